// Paging the control window's grid: offsets, buttons, labels, hidden
// controls on last pages, names per page; paging never queues a frame.

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "ui/MatrixFormTestUtil.h"

namespace mc::test {
namespace {

using MatrixFormPaging = MatrixFormTest;

TEST_F(MatrixFormPaging, RowsPageDownAndUpWithTicksFollowingTheState) {
    useModel(40, 40);
    TMatrixForm& window = open();
    click(box(0, 2));
    click(box(5, 16));
    frames();

    click(button("DownBitBtn"));
    EXPECT_EQ(form->gridPage().RowOffset(), 16);
    EXPECT_TRUE(button("UpBitBtn")->isEnabled());
    EXPECT_FALSE(box(0, 2)->isChecked());
    click(box(3, 7));  // output 20, input 8
    frames();
    click(button("DownBitBtn"));
    EXPECT_EQ(form->gridPage().RowOffset(), 32);
    EXPECT_FALSE(button("DownBitBtn")->isEnabled());
    // Outputs 33..40 in rows 0..7; rows 8..15 and their name fields hidden.
    EXPECT_EQ(box(7, 16)->text(), QStringLiteral("输出40"));
    EXPECT_FALSE(box(8, 0)->isVisibleTo(&window));
    EXPECT_FALSE(outputEdit(window, 8)->isVisibleTo(&window));
    EXPECT_TRUE(outputEdit(window, 7)->isVisibleTo(&window));
    expectTicksMatchState();

    click(button("UpBitBtn"));
    EXPECT_TRUE(box(3, 7)->isChecked());
    click(button("UpBitBtn"));
    EXPECT_EQ(form->gridPage().RowOffset(), 0);
    EXPECT_FALSE(button("UpBitBtn")->isEnabled());
    EXPECT_TRUE(box(0, 2)->isChecked() && box(5, 16)->isChecked());
    EXPECT_TRUE(box(8, 0)->isVisibleTo(&window));
    expectTicksMatchState();
    EXPECT_TRUE(frames().empty());
}

TEST_F(MatrixFormPaging, ColumnsPageRightAndLeftWithLabels) {
    useModel(20, 20);
    TMatrixForm& window = open();
    click(box(0, 16));
    frames();

    click(button("RightBitBtn"));
    EXPECT_EQ(columnLabel(window, 0)->text(), QStringLiteral("17"));
    EXPECT_EQ(columnLabel(window, 3)->text(), QStringLiteral("20"));
    EXPECT_EQ(columnLabel(window, 4)->text(), QStringLiteral("关闭 "));
    EXPECT_FALSE(columnLabel(window, 5)->isVisibleTo(&window));
    EXPECT_FALSE(box(0, 5)->isVisibleTo(&window));
    EXPECT_TRUE(box(0, 4)->isChecked());  // output 1 closed
    EXPECT_EQ(box(1, 2)->toolTip(), QStringLiteral("19 => 2"));
    // Name fields beyond the last input are hidden.
    EXPECT_TRUE(inputEdit(window, 3)->isVisibleTo(&window));
    EXPECT_FALSE(inputEdit(window, 4)->isVisibleTo(&window));
    EXPECT_FALSE(button("RightBitBtn")->isEnabled());
    EXPECT_TRUE(button("LeftBitBtn")->isEnabled());

    click(button("LeftBitBtn"));
    EXPECT_EQ(columnLabel(window, 0)->text(), QStringLiteral("1"));
    EXPECT_EQ(columnLabel(window, 16)->text(), QStringLiteral("关闭 "));
    EXPECT_TRUE(box(0, 16)->isChecked());
    EXPECT_TRUE(inputEdit(window, 15)->isVisibleTo(&window));
    EXPECT_FALSE(button("LeftBitBtn")->isEnabled());
    expectTicksMatchState();
    EXPECT_TRUE(frames().empty());
}

TEST_F(MatrixFormPaging, NamesFollowThePage) {
    useModel(20, 40);
    setConfig("Matrix Manage Message", "MatrixOutputEditEnable", "1");
    iniWriteString(paths.editListFile(), "MatrixOutputStringList", "OutputString17", "Studio");
    TMatrixForm& window = open();

    click(button("DownBitBtn"));
    EXPECT_EQ(outputEdit(window, 1)->text(), QStringLiteral("Studio"));
    EXPECT_EQ(box(1, 16)->toolTip(), QStringLiteral("关闭或打开输出端口Studio"));

    // A name typed on the second column page belongs to input 17.
    click(button("RightBitBtn"));
    inputEdit(window, 0)->setText(QStringLiteral("Cam"));
    EXPECT_EQ(session->state().InputNames()[16], "Cam");
    EXPECT_TRUE(session->state().MatrixInputEditEnable);
    EXPECT_EQ(box(1, 0)->toolTip(), QStringLiteral("Cam => Studio"));
    EXPECT_EQ(inputEdit(window, 0)->toolTip(), QStringLiteral("Cam"));
    // Clearing it shows the number again.
    inputEdit(window, 0)->clear();
    EXPECT_EQ(inputEdit(window, 0)->toolTip(), QStringLiteral("17"));
    EXPECT_EQ(box(1, 0)->toolTip(), QStringLiteral("17 => Studio"));
    EXPECT_EQ(frames().size(), 2u);  // the start-up frames only
}

TEST_F(MatrixFormPaging, SmallModelHasNoPagingButtons) {
    useModel(8, 4);
    TMatrixForm& window = open();
    for (const char* name : {"UpBitBtn", "DownBitBtn", "LeftBitBtn", "RightBitBtn"}) {
        EXPECT_FALSE(button(name)->isVisibleTo(&window)) << name;
        EXPECT_FALSE(button(name)->isEnabled()) << name;
    }
    EXPECT_EQ(gridRows(window), 4u);
    EXPECT_EQ(gridColumns(window), 9u);
    window.DownBitBtnClick();
    window.RightBitBtnClick();
    EXPECT_EQ(form->gridPage().RowOffset(), 0);
    EXPECT_EQ(form->gridPage().ColumnOffset(), 0);
}

}  // namespace
}  // namespace mc::test
