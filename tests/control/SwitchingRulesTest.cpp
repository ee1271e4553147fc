// The switching rules of the grid: which cells a click selects and which
// frames it queues, for exclusive outputs and the cycle output.

#include <gtest/gtest.h>

#include <vector>

#include "control/ControlTestUtil.h"

namespace mc::test {
namespace {

using Frames = std::vector<Bytes>;

// A few frames written out by hand, so the helpers above are checked too.
TEST(SwitchingFrames, BytesOnTheWireForClicksAtTheDefaultAddress) {
    Grid grid(model(32, 32, true));
    grid.click(0, 2, true);
    grid.click(3, 16, true);
    EXPECT_EQ(grid.frames(), (Frames{{0xEB, 0x52, 0x02, 0x02, 0x00, 0x02, 0x58},
                                     {0xEB, 0x52, 0x08, 0x01, 0x03, 0x5E}}));

    Grid cycling(model(32, 32, false));
    for (int c : {0, 1, 2})
        cycling.click(0, c, true);
    const Frames frames = cycling.frames();
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames[2], (Bytes{0xEB, 0x52, 0x09, 0x05, 0x00, 0x01, 0x00, 0x01, 0x02, 0x64}));
}

// Exclusive outputs: every output when MatrixPattern is true, outputs 2..N
// otherwise. Parameter: pattern flag and screen row.
struct ExclusiveCase {
    bool pattern;
    int row;
};

class ExclusiveOutput : public ::testing::TestWithParam<ExclusiveCase> {
protected:
    ExclusiveOutput() : grid(model(32, 32, GetParam().pattern)) { grid->ActiveAddress = 0x31; }
    int row() const { return GetParam().row; }
    Grid grid;
};

TEST_P(ExclusiveOutput, TickingAnotherInputMovesTheSelectionWithOneSwitchFrame) {
    grid.click(row(), 2, true);
    grid.click(row(), 6, true);
    EXPECT_EQ(grid.frames(), (Frames{switchFrame(0x31, 2, row()), switchFrame(0x31, 6, row())}));
    EXPECT_EQ(selectedOf(*grid, row()), (std::vector<int>{6}));
    EXPECT_FALSE(grid.page->box(row(), 2).checked);
    EXPECT_TRUE(grid.page->box(row(), 6).checked);
    EXPECT_FALSE(grid.page->box(row(), 16).checked);
}

TEST_P(ExclusiveOutput, UntickingTheOnlyInputClosesTheOutput) {
    grid.click(row(), 4, true);
    grid.frames();
    grid.click(row(), 4, false);
    EXPECT_EQ(grid.frames(), (Frames{closeFrame(0x31, row())}));
    EXPECT_EQ(selectedOf(*grid, row()), (std::vector<int>{32}));
    EXPECT_TRUE(grid.page->box(row(), 16).checked);
    EXPECT_FALSE(grid.page->box(row(), 4).checked);
}

TEST_P(ExclusiveOutput, UntickingTheCloseBoxTicksItAgainAndResendsTheCloseFrame) {
    grid.click(row(), 16, true);
    grid.click(row(), 16, false);
    EXPECT_EQ(grid.frames(), (Frames{closeFrame(0x31, row()), closeFrame(0x31, row())}));
    EXPECT_EQ(selectedOf(*grid, row()), (std::vector<int>{32}));
    EXPECT_TRUE(grid.page->box(row(), 16).checked);
}

TEST_P(ExclusiveOutput, TickingTheCloseBoxClearsTheInputAndTickingAnInputClearsTheClose) {
    grid.click(row(), 9, true);
    grid.click(row(), 16, true);
    EXPECT_EQ(selectedOf(*grid, row()), (std::vector<int>{32}));
    grid.click(row(), 1, true);
    EXPECT_EQ(selectedOf(*grid, row()), (std::vector<int>{1}));
    EXPECT_EQ(grid.frames(), (Frames{switchFrame(0x31, 9, row()), closeFrame(0x31, row()),
                                     switchFrame(0x31, 1, row())}));
    EXPECT_TRUE(selectedOf(*grid, row() + 1).empty()) << "other outputs untouched";
}

TEST_P(ExclusiveOutput, SelectionMovesToTheSecondColumnPageUnderTheSameScreenColumn) {
    grid.click(row(), 1, true);
    ASSERT_TRUE(grid.page->RightBitBtnClick());
    EXPECT_FALSE(grid.page->box(row(), 1).checked);
    grid.click(row(), 1, true);
    EXPECT_EQ(grid.frames(), (Frames{switchFrame(0x31, 1, row()), switchFrame(0x31, 17, row())}));
    EXPECT_EQ(selectedOf(*grid, row()), (std::vector<int>{17}));
    EXPECT_TRUE(grid.page->box(row(), 1).checked);
    ASSERT_TRUE(grid.page->LeftBitBtnClick());
    EXPECT_FALSE(grid.page->box(row(), 1).checked);
}

INSTANTIATE_TEST_SUITE_P(Rows, ExclusiveOutput,
                         ::testing::Values(ExclusiveCase{false, 2}, ExclusiveCase{false, 15},
                                           ExclusiveCase{true, 0}, ExclusiveCase{true, 7}));

// Output 1 in cycle mode (MatrixPattern false).
class CycleOutput : public ::testing::Test {
protected:
    CycleOutput() : grid(model(32, 32, false)) {
        grid->ActiveAddress = 0x52;
        grid->CircleTime = 300;
    }
    Grid grid;
};

TEST_F(CycleOutput, TickingAndUntickingTwoInputs) {
    grid.click(0, 0, true);
    EXPECT_EQ(grid.frames(), (Frames{switchFrame(0x52, 0, 0)}));
    grid.click(0, 1, true);
    EXPECT_EQ(grid.frames(), (Frames{cycleFrame(0x52, {0, 1}, 300)}));
    EXPECT_EQ(selectedOf(*grid, 0), (std::vector<int>{0, 1}));
    EXPECT_TRUE(grid.page->box(0, 0).checked);
    EXPECT_TRUE(grid.page->box(0, 1).checked);

    grid.click(0, 0, false);
    EXPECT_EQ(grid.frames(), (Frames{switchFrame(0x52, 1, 0)}));
    grid.click(0, 1, false);
    EXPECT_EQ(grid.frames(), (Frames{closeFrame(0x52, 0)}));
    EXPECT_EQ(selectedOf(*grid, 0), (std::vector<int>{32}));
    EXPECT_TRUE(grid.page->box(0, 16).checked);
}

TEST_F(CycleOutput, CycleFrameListsTheInputsInAscendingOrderOverAllPages) {
    grid.click(0, 5, true);
    ASSERT_TRUE(grid.page->RightBitBtnClick());
    grid.click(0, 3, true);  // input 20, index 19
    ASSERT_TRUE(grid.page->LeftBitBtnClick());
    grid.click(0, 0, true);
    EXPECT_EQ(grid.frames(), (Frames{switchFrame(0x52, 5, 0), cycleFrame(0x52, {5, 19}, 300),
                                     cycleFrame(0x52, {0, 5, 19}, 300)}));
}

TEST_F(CycleOutput, TickingTheCloseBoxClearsEveryInputAndAnInputClearsTheClose) {
    grid.click(0, 2, true);
    grid.click(0, 3, true);
    grid.frames();
    grid.click(0, 16, true);
    EXPECT_EQ(grid.frames(), (Frames{closeFrame(0x52, 0)}));
    EXPECT_EQ(selectedOf(*grid, 0), (std::vector<int>{32}));

    grid.click(0, 7, true);
    EXPECT_EQ(grid.frames(), (Frames{switchFrame(0x52, 7, 0)}));
    EXPECT_EQ(selectedOf(*grid, 0), (std::vector<int>{7}));
    EXPECT_FALSE(grid.page->box(0, 16).checked);
}

TEST_F(CycleOutput, UntickingTheCloseBoxTicksItAgain) {
    grid.click(0, 16, true);
    grid.click(0, 16, false);
    EXPECT_EQ(grid.frames(), (Frames{closeFrame(0x52, 0), closeFrame(0x52, 0)}));
    EXPECT_EQ(selectedOf(*grid, 0), (std::vector<int>{32}));
}

TEST_F(CycleOutput, OtherOutputsStayExclusive) {
    grid.click(1, 0, true);
    grid.click(1, 1, true);
    EXPECT_EQ(grid.frames(), (Frames{switchFrame(0x52, 0, 1), switchFrame(0x52, 1, 1)}));
    EXPECT_EQ(selectedOf(*grid, 1), (std::vector<int>{1}));
}

// 20 inputs: the second column page holds inputs 17..20 and the close column
// in screen column 4; the columns right of it are hidden.
TEST(PartialColumnPage, CloseBoxStandsInColumnFourInEveryRow) {
    Grid grid(model(20, 16, true));
    ASSERT_TRUE(grid.page->RightBitBtnClick());
    EXPECT_EQ(grid.page->closeColumn(), 4);
    Frames expected;
    for (int r = 0; r < 16; ++r) {
        EXPECT_EQ(grid.page->box(r, 4).caption, "输出" + std::to_string(r + 1));
        EXPECT_FALSE(grid.page->box(r, 5).visible);
        grid.click(r, 4, true);
        grid.click(r, 5, true);  // hidden: ignored
        expected.push_back(closeFrame(0x52, r));
        EXPECT_EQ(selectedOf(*grid, r), (std::vector<int>{20}));
    }
    EXPECT_EQ(grid.frames(), expected);
}

// The empty-output rule on a last, partial column page ticks the close box and
// sends the close frame, for exclusive outputs and the cycle output alike.
TEST(PartialColumnPage, EmptyOutputRuleClosesTheOutput) {
    Grid grid(model(20, 16, false));
    ASSERT_TRUE(grid.page->RightBitBtnClick());
    grid.click(3, 2, true);
    grid.click(3, 2, false);
    grid.click(0, 1, true);
    grid.click(0, 1, false);
    EXPECT_EQ(grid.frames(), (Frames{switchFrame(0x52, 18, 3), closeFrame(0x52, 3),
                                     switchFrame(0x52, 17, 0), closeFrame(0x52, 0)}));
    EXPECT_EQ(selectedOf(*grid, 3), (std::vector<int>{20}));
    EXPECT_EQ(selectedOf(*grid, 0), (std::vector<int>{20}));
    EXPECT_TRUE(grid.page->box(3, 4).checked);
    EXPECT_TRUE(grid.page->box(0, 4).checked);
}

TEST(HiddenBoxes, ClicksOutsideTheShownGridChangeNothing) {
    Grid grid(model(8, 20, true));
    ASSERT_TRUE(grid.page->DownBitBtnClick());  // rows 4..15 beyond output 20
    for (auto [r, c] : {std::pair{4, 0}, {15, 8}, {-1, 0}, {0, -1}, {0, 9}, {16, 0}}) {
        grid.click(r, c, true);
        grid.click(r, c, false);
    }
    EXPECT_TRUE(grid.frames().empty());
    EXPECT_TRUE(grid->selectedNodes().empty());
}

}  // namespace
}  // namespace mc::test
