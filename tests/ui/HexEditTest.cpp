// The hexadecimal field: its character filter, the editing it leaves to the
// line edit, input-method text and the conversion of its text.

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QString>
#include <QTest>
#include <ostream>
#include <string>

#include "ui/HexEdit.h"

namespace mc {
namespace {

// A typing case: the field as the program left it, the keys typed, the result.
struct TypingRow {
    const char* name;
    const char* initial;  // set by the program
    int limit;
    int selStart;  // -1: no selection, the caret at caret
    int selLength;
    int caret;
    const char* keys;  // '\b' is Backspace
    const char* expected;
    int expectedCaret;
};

const TypingRow kTypingRows[] = {
    {"TwoDigitsThenFull", "", 2, -1, 0, 0, "abc", "AB", 2},
    {"AppendedAtEndWhereverTheCaret", "12", 3, -1, 0, 0, "3", "123", 3},
    {"WholeSelectionReplaced", "FF", 2, 0, 2, 0, "1", "1", 1},
    {"RefusedCharacterStillDeletesSelection", "ABC", 3, 1, 1, 0, "g", "AC", 1},
    // A full field: the selection goes first, which makes room for the digit.
    {"SelectionInFullFieldMakesRoom", "ABC", 3, 1, 1, 0, "5", "AC5", 3},
    {"BackspaceBeforeCaret", "AB", 2, -1, 0, 1, "\b", "B", 0},
    {"BackspaceAtStart", "AB", 2, -1, 0, 0, "\b", "AB", 0},
    {"BackspaceEmpty", "", 2, -1, 0, 0, "\b", "", 0},
    {"BackspaceAfterDeletingSelection", "ABC", 3, 2, 1, 0, "\b", "A", 1},
    {"LongerThanLimitStillTakesDigits", "100", 2, -1, 0, 3, "5", "1005", 4},
    {"LimitZeroRefusesOnlyWhenEmpty", "", 0, -1, 0, 0, "7", "", 0},
    {"LimitZeroTakesDigitsAfterText", "0", 0, -1, 0, 1, "7", "07", 2},
    {"ProgramTextUpperCasedOnTyping", "ab", 4, -1, 0, 1, "c", "ABC", 3},
    {"OtherCharactersDropped", "1", 4, -1, 0, 1, "x -.G", "1", 1},
    {"DigitsAfterBackspace", "AB", 2, -1, 0, 2, "\b9", "A9", 2},
};

void PrintTo(const TypingRow& row, std::ostream* os) {
    *os << row.name;
}

class HexEditTyping : public ::testing::TestWithParam<TypingRow> {};

TEST_P(HexEditTyping, KeysGiveText) {
    const TypingRow& row = GetParam();
    THexEdit edit;
    edit.setMaxDigits(row.limit);
    edit.setText(QString::fromLatin1(row.initial));
    if (row.selStart >= 0)
        edit.setSelection(row.selStart, row.selLength);
    else
        edit.setCursorPosition(row.caret);
    for (const char* k = row.keys; *k != '\0'; ++k) {
        if (*k == '\b')
            QTest::keyClick(&edit, Qt::Key_Backspace);
        else
            QTest::keyClick(&edit, *k);
    }
    EXPECT_EQ(edit.text(), QString::fromLatin1(row.expected));
    EXPECT_EQ(edit.cursorPosition(), row.expectedCaret);
    EXPECT_FALSE(edit.hasSelectedText());
}

INSTANTIATE_TEST_SUITE_P(Cases, HexEditTyping, ::testing::ValuesIn(kTypingRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(HexEdit, StartsWithZero) {
    THexEdit edit;
    EXPECT_EQ(edit.text(), QStringLiteral("0"));
    EXPECT_EQ(edit.MaxDigits(), 0);
    EXPECT_EQ(edit.Value(), 0);
}

TEST(HexEdit, ValueConvertsAndKeepsText) {
    struct Row {
        const char* text;
        std::int32_t value;
    };
    const Row rows[] = {{"ff", 255}, {"1G", 32}, {"", 0}, {"0A", 10}, {"100", 256}};
    THexEdit edit;
    for (const Row& row : rows) {
        edit.setText(QString::fromLatin1(row.text));
        EXPECT_EQ(edit.Value(), row.value) << row.text;
        EXPECT_EQ(edit.text(), QString::fromLatin1(row.text)) << "Value() leaves the text";
    }
}

TEST(HexEdit, ProgramTextIsNotFiltered) {
    THexEdit edit;
    edit.setMaxDigits(2);
    edit.setText(QStringLiteral("xyz123"));
    EXPECT_EQ(edit.text(), QStringLiteral("xyz123"));
}

TEST(HexEdit, DeleteKeyAndCaretMovementKeepLineEditBehaviour) {
    THexEdit edit;
    edit.setMaxDigits(4);
    edit.setText(QStringLiteral("ABC"));
    edit.setCursorPosition(0);
    QTest::keyClick(&edit, Qt::Key_Delete);
    EXPECT_EQ(edit.text(), QStringLiteral("BC"));
    QTest::keyClick(&edit, Qt::Key_Right);
    EXPECT_EQ(edit.cursorPosition(), 1);
    QTest::keyClick(&edit, Qt::Key_End, Qt::ShiftModifier);
    EXPECT_EQ(edit.selectedText(), QStringLiteral("C"));
}

TEST(HexEdit, ControlShortcutsAreNotCharacters) {
    THexEdit edit;
    edit.setMaxDigits(4);
    edit.setText(QStringLiteral("12"));
    edit.setCursorPosition(2);
    // Ctrl+A selects everything instead of being dropped as a character.
    QTest::keyClick(&edit, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(edit.selectedText(), QStringLiteral("12"));
    QTest::keyClick(&edit, 'e');
    EXPECT_EQ(edit.text(), QStringLiteral("E"));
}

TEST(HexEdit, PasteKeepsLineEditBehaviour) {
    QClipboard* clipboard = QApplication::clipboard();
    clipboard->setText(QStringLiteral("zz"));
    if (clipboard->text() != QStringLiteral("zz")) GTEST_SKIP() << "no clipboard on this platform";
    THexEdit edit;
    edit.setMaxDigits(2);
    edit.setText(QStringLiteral("12"));
    edit.setCursorPosition(1);
    QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(edit.text(), QStringLiteral("1zz2"));
}

TEST(HexEdit, InputMethodCommitIsFiltered) {
    THexEdit edit;
    edit.setMaxDigits(3);
    edit.setText(QString());
    QInputMethodEvent preedit(QStringLiteral("ni"), {});
    QApplication::sendEvent(&edit, &preedit);
    EXPECT_EQ(edit.text(), QString()) << "pre-edit text is not part of the text";

    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("a你1fe"));
    QApplication::sendEvent(&edit, &commit);
    EXPECT_EQ(edit.text(), QStringLiteral("A1F"));
    EXPECT_EQ(edit.cursorPosition(), 3);
}

TEST(HexEdit, InputMethodCommitDeletesSelectionFirst) {
    THexEdit edit;
    edit.setMaxDigits(2);
    edit.setText(QStringLiteral("FF"));
    edit.selectAll();
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("。"));
    QApplication::sendEvent(&edit, &commit);
    EXPECT_EQ(edit.text(), QString());
}

}  // namespace
}  // namespace mc
