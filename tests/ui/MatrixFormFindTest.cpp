// Finding a port at a big matrix: Ctrl+F opens the finder, a number or part
// of a name lists inputs and outputs, choosing one pages the grid there and
// marks its row or column; the page labels say what is shown.

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>

#include "ui/MatrixFormTestUtil.h"

namespace mc::test {
namespace {

class MatrixFormFind : public MatrixFormTest {
protected:
    QLineEdit* field() { return child<QLineEdit>(*form, QStringLiteral("PortFinderEdit")); }
    QListWidget* list() { return child<QListWidget>(*form, QStringLiteral("PortFinderList")); }
    QString label(const char* name) {
        return child<QLabel>(*form, QString::fromLatin1(name))->text();
    }
    // Ctrl+F, then the text typed into the finder.
    void find(const QString& text) {
        QTest::keyClick(form.get(), Qt::Key_F, Qt::ControlModifier);
        ASSERT_TRUE(field()->isVisible());
        ASSERT_TRUE(field()->hasFocus());
        QTest::keyClicks(field(), text);
    }
};

TEST_F(MatrixFormFind, NameOrNumberFindsInputsAndOutputs) {
    openNamedModel();
    EXPECT_EQ(label("InputPageLabel"), QStringLiteral("输入 1–16 / 64"));
    EXPECT_EQ(label("OutputPageLabel"), QStringLiteral("输出 1–16 / 64"));

    // Part of a name, any letter case: Return takes the first match.
    find(QStringLiteral("monitor"));
    ASSERT_EQ(list()->count(), 1);
    EXPECT_EQ(list()->item(0)->text(), QStringLiteral("输出 40：Monitor 2"));
    QTest::keyClick(field(), Qt::Key_Return);
    EXPECT_FALSE(field()->isVisible());
    EXPECT_EQ(form->gridPage().RowOffset(), 32);
    EXPECT_EQ(label("OutputPageLabel"), QStringLiteral("输出 33–48 / 64"));
    EXPECT_EQ(form->markedOutput(), 39);
    EXPECT_TRUE(box(7, 3)->property("portFound").toBool() &&
                !box(6, 3)->property("portFound").toBool());

    // A number finds the input and the output of that number; Down, then
    // Return, chooses in the list.
    find(QStringLiteral("50"));
    ASSERT_EQ(list()->count(), 2);
    EXPECT_EQ(list()->item(0)->text(), QStringLiteral("输入 50：Camera 5"));
    EXPECT_EQ(list()->item(1)->text(), QStringLiteral("输出 50"));
    QTest::keyClick(field(), Qt::Key_Down);
    QTest::keyClick(list(), Qt::Key_Return);
    EXPECT_EQ(form->gridPage().ColumnOffset(), 48);
    EXPECT_EQ(label("InputPageLabel"), QStringLiteral("输入 49–64 / 64"));
    EXPECT_EQ(form->markedInput(), 49);
    EXPECT_EQ(form->markedOutput(), -1);
    EXPECT_TRUE(columnLabel(*form, 1)->property("portFound").toBool());
    EXPECT_FALSE(box(7, 3)->property("portFound").toBool());

    // A click chooses too; Esc closes the finder and moves nothing.
    find(QStringLiteral("50"));
    QListWidget* matches = list();
    QTest::mouseClick(matches->viewport(), Qt::LeftButton, Qt::NoModifier,
                      matches->visualItemRect(matches->item(1)).center());
    EXPECT_EQ(form->gridPage().RowOffset(), 48);
    EXPECT_EQ(form->markedOutput(), 49);
    find(QStringLiteral("cam"));
    QTest::keyClick(field(), Qt::Key_Escape);
    EXPECT_FALSE(field()->isVisible());
    EXPECT_EQ(form->gridPage().ColumnOffset(), 48);
    expectTicksMatchState();
    EXPECT_TRUE(frames().empty());
}

}  // namespace
}  // namespace mc::test
