// Construction of the crosspoint state, its cells, the start-up frames and the
// whole-state operations used by status files and matrix modes.

#include <gtest/gtest.h>

#include <limits>
#include <stdexcept>
#include <vector>

#include "control/ControlTestUtil.h"

namespace mc::test {
namespace {

using Frames = std::vector<Bytes>;

TEST(Construction, EverythingStartsEmptyOnTheFirstPage) {
    StartupSettings settings = model(20, 40);
    settings.CircleTime = 9;
    settings.MatrixCustomLogo = "Logo";
    Grid grid(settings);
    EXPECT_EQ(grid->MatrixInputNum(), 20);
    EXPECT_EQ(grid->MatrixOutputNum(), 40);
    EXPECT_EQ(grid.page->visibleColumns(), 16);
    EXPECT_EQ(grid.page->visibleRows(), 16);
    EXPECT_EQ(grid.page->closeColumn(), 16);
    EXPECT_EQ(grid.page->RowOffset(), 0);
    EXPECT_EQ(grid.page->ColumnOffset(), 0);
    EXPECT_EQ(grid->InputNames().size(), 20u);
    EXPECT_EQ(grid->OutputNames().size(), 40u);
    EXPECT_EQ(grid->CircleTime, 9);
    EXPECT_EQ(grid->MatrixCustomLogo, "Logo");
    EXPECT_TRUE(grid->CurrentModeName.empty());
    EXPECT_TRUE(grid->selectedNodes().empty());
    EXPECT_TRUE(grid.frames().empty()) << "construction queues nothing";

    Grid small(model(8, 4));
    EXPECT_EQ(small.page->visibleColumns(), 8);
    EXPECT_EQ(small.page->visibleRows(), 4);
    EXPECT_EQ(small.page->closeColumn(), 8);
}

TEST(Cells, NormalAndCloseCellsCarryTheirIndices) {
    Grid grid(model(20, 10));
    const TQXRClass normal = grid->cell(3, 7);
    EXPECT_EQ(normal.InputIndex, 7);
    EXPECT_EQ(normal.OutputIndex, 3);
    EXPECT_FALSE(normal.Selected);
    grid.click(3, 16, true);
    const TQXRClass close = grid->cell(3, 20);
    EXPECT_EQ(close.InputIndex, 3);
    EXPECT_EQ(close.OutputIndex, 255);
    EXPECT_TRUE(close.Selected);
    EXPECT_THROW(grid->cell(10, 0), std::out_of_range);
    EXPECT_THROW(grid->cell(0, 21), std::out_of_range);
    EXPECT_THROW(grid->selected(-1, 0), std::out_of_range);
}

TEST(StartupFrames, DefaultModelSendsOneOnFrame) {
    Grid grid(StartupSettings{});
    grid->queueStartupFrames();
    EXPECT_EQ(grid.frames(), (Frames{{0xEB, 0x52, 0x00, 0x01, 0xFF, 0x52}}));
    EXPECT_EQ(grid->ActiveAddress, 0x52);
    EXPECT_EQ(grid->MatrixInputNum(), 32);
    EXPECT_EQ(grid->MatrixOutputNum(), 32);
}

TEST(StartupFrames, CustomAddressFiveSendsThreeFramesInOrder) {
    StartupSettings settings;
    settings.MatrixCustomAddress = 5;
    Grid grid(settings);
    grid->queueStartupFrames();
    EXPECT_EQ(grid.frames(), (Frames{onOffFrame(0x52), onOffFrame(5), setAddressFrame(0x52, 5)}));
    EXPECT_EQ(grid->ActiveAddress, 5);
    grid.click(1, 1, true);
    EXPECT_EQ(grid.frames(), (Frames{switchFrame(5, 1, 1)})) << "switching uses the custom address";
}

TEST(Nodes, SelectedNodesInOutputOrderWithTheCloseCellLast) {
    Grid grid(model(4, 4, false));
    grid.click(2, 4, true);  // output 3 closed
    grid.click(0, 3, true);
    grid.click(0, 1, true);  // cycle output: inputs 2 and 4
    grid.click(1, 2, true);
    EXPECT_EQ(grid->selectedNodes(), (std::vector<Node>{{0, 1}, {0, 3}, {1, 2}, {2, 4}}));
    grid.frames();
    grid->clearSelection();
    EXPECT_TRUE(grid->selectedNodes().empty());
    EXPECT_TRUE(grid.frames().empty()) << "clearing sends nothing";
    EXPECT_FALSE(grid.page->box(0, 1).checked);
}

TEST(ApplyNodes, QueuesOneFramePerNodeInOrderAndSkipsNodesOutsideTheState) {
    Grid grid(model(4, 32));
    grid->ActiveAddress = 0x20;
    const std::vector<Node> nodes{{0, 2}, {1, 4},  {19, 3}, {32, 0},
                                  {0, 5}, {-1, 0}, {2, -1}, {0, 1}};
    EXPECT_EQ(grid->applyNodes(nodes), (ApplyResult{4, 4}));
    EXPECT_EQ(grid.frames(), (Frames{switchFrame(0x20, 2, 0), closeFrame(0x20, 1),
                                     switchFrame(0x20, 3, 19), switchFrame(0x20, 1, 0)}));
    EXPECT_EQ(grid->selectedNodes(), (std::vector<Node>{{0, 1}, {0, 2}, {1, 4}, {19, 3}}));
    EXPECT_TRUE(grid.page->box(0, 2).checked);
    EXPECT_TRUE(grid.page->box(1, 4).checked);
}

TEST(ApplyNodes, ALoadedSelectionRoundTripsThroughSelectedNodes) {
    Grid source(model(40, 40, false));
    source->applyNodes({{0, 3}, {0, 30}, {5, 40}, {39, 39}, {17, 0}});
    Grid target(model(40, 40, false));
    target.click(4, 4, true);
    target.page->returnToFirstPage();
    target->clearSelection();
    target.frames();
    EXPECT_EQ(target->applyNodes(source->selectedNodes()), (ApplyResult{5, 0}));
    EXPECT_EQ(target->selectedNodes(), source->selectedNodes());
    EXPECT_EQ(target.frames().size(), 5u);
}

struct ClampCase {
    std::int32_t raw;
    std::int32_t used;
};

class PortCountClamping : public ::testing::TestWithParam<ClampCase> {};

TEST_P(PortCountClamping, CountsOutsideOneTo256AreClampedAndNothingBreaks) {
    const ClampCase& p = GetParam();
    EXPECT_EQ(clampPortCount(p.raw), p.used);
    Grid grid(model(p.raw, p.raw, false));
    ASSERT_EQ(grid->MatrixInputNum(), p.used);
    ASSERT_EQ(grid->MatrixOutputNum(), p.used);
    const int last = p.used - 1;
    grid->applyNodes({{last, last}, {last, p.used}, {0, 0}});
    grid.click(0, grid.page->closeColumn(), true);
    // 256 ports are 16 pages; a button that never disables fails, not hangs.
    int pages = 0;
    while (grid.page->RightBitBtnClick())
        ASSERT_LT(++pages, 16);
    pages = 0;
    while (grid.page->DownBitBtnClick())
        ASSERT_LT(++pages, 16);
    for (int r = 0; r < grid.page->visibleRows(); ++r) {
        for (int c = 0; c <= grid.page->visibleColumns(); ++c)
            grid.page->box(r, c);
    }
    const int lastRow = last - grid.page->RowOffset();
    EXPECT_TRUE(grid.page->box(lastRow, grid.page->closeColumn()).checked)
        << "the last output shows closed on the last page";
    EXPECT_EQ(grid.page->box(lastRow, grid.page->closeColumn()).caption,
              "输出" + std::to_string(p.used));
}

INSTANTIATE_TEST_SUITE_P(Counts, PortCountClamping,
                         ::testing::Values(ClampCase{0, 1}, ClampCase{-5, 1}, ClampCase{1, 1},
                                           ClampCase{256, 256}, ClampCase{257, 256},
                                           ClampCase{std::numeric_limits<std::int32_t>::max(), 256},
                                           ClampCase{std::numeric_limits<std::int32_t>::min(), 1}));

}  // namespace
}  // namespace mc::test
