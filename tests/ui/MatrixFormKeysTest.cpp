// Switching from the keyboard: the X-Y field "快速切换" (names while typing,
// routes on Return, stages in take mode, Esc empties it), F9, Ctrl+Return,
// the keypad's Enter and Esc for 预选, 执行 and 清除, and Enter in the mode
// name dialog.

#include <QAction>
#include <QLabel>
#include <QLineEdit>

#include "ui/MatrixFormTestUtil.h"
#include "ui/ModeNameUnit.h"

namespace mc::test {
namespace {

class MatrixFormKeys : public MatrixFormTest {
protected:
    QLineEdit* entry() { return child<QLineEdit>(*form, QStringLiteral("QuickSwitchEdit")); }
    QString names() { return child<QLabel>(*form, QStringLiteral("QuickSwitchNames"))->text(); }
    QAction* item(const char* name) { return child<QAction>(*form, QString::fromLatin1(name)); }
    void type(const QString& text) {
        entry()->setFocus();
        entry()->clear();
        QTest::keyClicks(entry(), text);
    }
};

TEST_F(MatrixFormKeys, XyEntryNamesThePortsAndRoutesOnReturn) {
    openNamedModel();
    EXPECT_EQ(entry()->placeholderText(), QStringLiteral("快速切换"));
    EXPECT_EQ(entry()->accessibleName(), QStringLiteral("快速切换"));

    type(QStringLiteral("40"));
    EXPECT_TRUE(names().startsWith(QStringLiteral("Monitor 2"))) << names().toStdString();
    QTest::keyClicks(entry(), QStringLiteral(" 50"));
    EXPECT_EQ(names(), QStringLiteral("Monitor 2 ← Camera 5"));
    QTest::keyClick(entry(), Qt::Key_Return);
    EXPECT_EQ(frames(), std::vector<Bytes>{switchFrame(0x52, 49, 39)});
    EXPECT_TRUE(entry()->text().isEmpty());
    EXPECT_TRUE(box(7, 1)->isChecked()) << "the crosspoint is in view";

    // Ports the matrix lacks route nothing; Esc empties the field.
    type(QStringLiteral("65.1"));
    EXPECT_EQ(names(), QStringLiteral("没有输出 65"));
    QTest::keyClick(entry(), Qt::Key_Return);
    QTest::keyClick(entry(), Qt::Key_Escape);
    EXPECT_TRUE(entry()->text().isEmpty() && frames().empty());

    // An output locked by someone else is refused, saying by whom.
    ASSERT_TRUE(session->lockOutput("127.0.0.2", 2, LockRequest::Lock));
    type(QStringLiteral("3.4"));
    QTest::keyClick(entry(), Qt::Key_Return);
    EXPECT_TRUE(frames().empty());
    EXPECT_TRUE(names().contains(QStringLiteral("127.0.0.2"))) << names().toStdString();
}

TEST_F(MatrixFormKeys, TakeModeKeysStageTakeAndClear) {
    openNamedModel();
    EXPECT_TRUE(button("TakeButton")->toolTip().contains(QStringLiteral("Ctrl+Return")));

    QTest::keyClick(form.get(), Qt::Key_F9);
    ASSERT_TRUE(session->takeMode());
    EXPECT_TRUE(button("TakeModeButton")->isChecked());
    EXPECT_EQ(button("TakeModeButton")->text(), QStringLiteral("预选"));

    // In take mode the X-Y entry stages; Return again keeps it staged.
    type(QStringLiteral("40 50"));
    QTest::keyClick(entry(), Qt::Key_Enter, Qt::KeypadModifier);
    type(QStringLiteral("40 50"));
    QTest::keyClick(entry(), Qt::Key_Return);
    EXPECT_EQ(session->staged(), (std::map<std::int32_t, std::int32_t>{{39, 49}}));
    EXPECT_TRUE(frames().empty());
    // Esc in the empty field drops what is staged.
    QTest::keyClick(entry(), Qt::Key_Escape);
    EXPECT_TRUE(session->staged().empty());

    // The keypad's Enter takes in take mode, as Ctrl+Return does (the page
    // shows outputs 33.. and inputs 49..).
    click(box(1, 2));
    QTest::keyClick(form.get(), Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(frames(), std::vector<Bytes>{switchFrame(0x52, 50, 33)});
    click(box(1, 3));
    QTest::keyClick(form.get(), Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(frames(), std::vector<Bytes>{switchFrame(0x52, 51, 33)});

    QTest::keyClick(form.get(), Qt::Key_F9);
    EXPECT_FALSE(session->takeMode());
    EXPECT_FALSE(item("TakeModeItem")->isChecked());
    expectTicksMatchState();
}

TEST_F(MatrixFormKeys, EnterConfirmsTheModeName) {
    TModeNameForm dialog(dialogs);
    dialog.show();
    QTest::keyClicks(dialog.ModeNameEdit, QStringLiteral("Show"));
    QTest::keyClick(dialog.ModeNameEdit, Qt::Key_Return);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.CurrentModeName(), "ModeShow");
}

}  // namespace
}  // namespace mc::test
