// Paging of the grid and what its controls show: buttons, labels, boxes,
// name fields, and names typed into the fields of the page shown.

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "control/ControlTestUtil.h"

namespace mc::test {
namespace {

std::vector<std::string> labelCaptions(const GridPage& state) {
    std::vector<std::string> captions;
    for (int c = 0; c < state.labelCount(); ++c) {
        const LabelView view = state.label(c);
        captions.push_back(view.visible ? view.caption : "-");
    }
    return captions;
}

std::vector<std::string> numbered(int from, int to) {
    std::vector<std::string> out;
    for (int n = from; n <= to; ++n)
        out.push_back(std::to_string(n));
    return out;
}

std::vector<std::string> operator+(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

struct ButtonsCase {
    int inputs;
    int outputs;
    bool columnButtons;
    bool rowButtons;
};

class PagingButtonsAtStart : public ::testing::TestWithParam<ButtonsCase> {};

TEST_P(PagingButtonsAtStart, ShownOnlyWhenTheMatrixHasMoreThanOnePage) {
    const ButtonsCase& p = GetParam();
    Grid grid(model(p.inputs, p.outputs));
    const PagingButtons& b = grid.page->pagingButtons();
    EXPECT_EQ(b.left, (ButtonState{p.columnButtons, false}));
    EXPECT_EQ(b.right, (ButtonState{p.columnButtons, p.columnButtons}));
    EXPECT_EQ(b.up, (ButtonState{p.rowButtons, false}));
    EXPECT_EQ(b.down, (ButtonState{p.rowButtons, p.rowButtons}));
    EXPECT_FALSE(grid.page->LeftBitBtnClick());
    EXPECT_FALSE(grid.page->UpBitBtnClick());
    EXPECT_EQ(grid.page->RightBitBtnClick(), p.columnButtons);
    EXPECT_EQ(grid.page->DownBitBtnClick(), p.rowButtons);
}

INSTANTIATE_TEST_SUITE_P(Sizes, PagingButtonsAtStart,
                         ::testing::Values(ButtonsCase{16, 16, false, false},
                                           ButtonsCase{8, 4, false, false},
                                           ButtonsCase{17, 16, true, false},
                                           ButtonsCase{16, 17, false, true},
                                           ButtonsCase{32, 32, true, true}));

TEST(ColumnLabels, CreationCaptions) {
    Grid grid(model(32, 32));
    EXPECT_EQ(labelCaptions(*grid.page),
              std::vector<std::string>{" 1 "} + numbered(2, 16) + std::vector<std::string>{"关闭"});
    Grid small(model(3, 2));
    EXPECT_EQ(labelCaptions(*small.page), (std::vector<std::string>{" 1 ", "2", "3", "关闭"}));
}

TEST(ColumnPaging, TwentyInputsRightThenLeft) {
    Grid grid(model(20, 4));
    ASSERT_TRUE(grid.page->RightBitBtnClick());
    EXPECT_EQ(grid.page->ColumnOffset(), 16);
    EXPECT_EQ(labelCaptions(*grid.page), numbered(17, 20) + std::vector<std::string>{"关闭 "} +
                                             std::vector<std::string>(12, "-"));
    EXPECT_EQ(grid.page->pagingButtons().right, (ButtonState{true, false}));
    EXPECT_EQ(grid.page->pagingButtons().left, (ButtonState{true, true}));
    EXPECT_FALSE(grid.page->RightBitBtnClick());
    for (int c = 5; c <= 16; ++c)
        EXPECT_FALSE(grid.page->box(0, c).visible) << c;

    ASSERT_TRUE(grid.page->LeftBitBtnClick());
    EXPECT_EQ(grid.page->ColumnOffset(), 0);
    EXPECT_EQ(labelCaptions(*grid.page), numbered(1, 16) + std::vector<std::string>{"关闭 "});
    EXPECT_EQ(grid.page->pagingButtons().left, (ButtonState{true, false}));
    EXPECT_EQ(grid.page->pagingButtons().right, (ButtonState{true, true}));
    EXPECT_TRUE(grid.page->box(0, 16).visible);
}

TEST(ColumnPaging, FortyInputsShowAbsoluteNumbers) {
    Grid grid(model(40, 4));
    ASSERT_TRUE(grid.page->RightBitBtnClick());
    EXPECT_EQ(labelCaptions(*grid.page), numbered(17, 32) + std::vector<std::string>{"关闭 "});
    EXPECT_EQ(grid.page->box(1, 0).hint, "17 => 2");
    ASSERT_TRUE(grid.page->RightBitBtnClick());
    EXPECT_EQ(grid.page->ColumnOffset(), 32);
    EXPECT_EQ(grid.page->closeColumn(), 8);
    EXPECT_EQ(grid.page->label(8).caption, "关闭 ");
    EXPECT_FALSE(grid.page->RightBitBtnClick());
}

TEST(RowPaging, FortyOutputsDownAndUp) {
    Grid grid(model(4, 40));
    const std::vector<int> downOffsets{16, 32};
    for (int expected : downOffsets) {
        ASSERT_TRUE(grid.page->DownBitBtnClick());
        EXPECT_EQ(grid.page->RowOffset(), expected);
    }
    EXPECT_EQ(grid.page->pagingButtons().down, (ButtonState{true, false}));
    EXPECT_EQ(grid.page->pagingButtons().up, (ButtonState{true, true}));
    for (int r = 0; r < 16; ++r) {
        EXPECT_EQ(grid.page->box(r, 4).visible, r < 8) << r;
        EXPECT_EQ(grid.page->outputField(r).visible, r < 8) << r;
    }
    EXPECT_EQ(grid.page->box(7, 4).caption, "输出40");
    EXPECT_EQ(labelCaptions(*grid.page), (std::vector<std::string>{" 1 ", "2", "3", "4", "关闭"}))
        << "row paging keeps the labels";

    ASSERT_TRUE(grid.page->UpBitBtnClick());
    EXPECT_EQ(grid.page->RowOffset(), 16);
    EXPECT_EQ(grid.page->pagingButtons().up, (ButtonState{true, true}));
    ASSERT_TRUE(grid.page->UpBitBtnClick());
    EXPECT_EQ(grid.page->RowOffset(), 0);
    EXPECT_EQ(grid.page->pagingButtons().up, (ButtonState{true, false}));
    EXPECT_EQ(grid.page->pagingButtons().down, (ButtonState{true, true}));
}

TEST(RowPaging, ThirtyTwoOutputsTakeOneStep) {
    Grid grid(model(4, 32));
    ASSERT_TRUE(grid.page->DownBitBtnClick());
    EXPECT_EQ(grid.page->RowOffset(), 16);
    EXPECT_FALSE(grid.page->DownBitBtnClick());
}

// After any page change every shown box is ticked exactly when its cell is
// selected; paging queues nothing and changes no Selected flag.
TEST(PagingKeepsState, TicksFollowTheStateInEveryDirection) {
    Grid grid(model(40, 40, true));
    std::mt19937 random(7);
    std::vector<Node> nodes;
    for (int o = 0; o < 40; ++o) {
        nodes.push_back({o, static_cast<int>(random() % 41)});
    }
    grid->applyNodes(nodes);
    grid.frames();
    const std::vector<Node> before = grid->selectedNodes();

    auto checkTicks = [&](const char* step) {
        for (int r = 0; r < grid.page->visibleRows(); ++r) {
            for (int c = 0; c <= grid.page->visibleColumns(); ++c) {
                const BoxView view = grid.page->box(r, c);
                const int o = grid.page->RowOffset() + r;
                const int k = c == grid.page->closeColumn() ? 40 : grid.page->ColumnOffset() + c;
                if (!view.visible) continue;
                EXPECT_EQ(view.checked, grid->selected(o, k)) << step << " box " << r << "," << c;
            }
        }
        EXPECT_TRUE(grid.frames().empty()) << step;
        EXPECT_EQ(grid->selectedNodes(), before) << step;
    };
    checkTicks("start");
    const std::vector<std::pair<const char*, bool (GridPage::*)()>> steps{
        {"right", &GridPage::RightBitBtnClick}, {"down", &GridPage::DownBitBtnClick},
        {"right", &GridPage::RightBitBtnClick}, {"down", &GridPage::DownBitBtnClick},
        {"left", &GridPage::LeftBitBtnClick},   {"up", &GridPage::UpBitBtnClick},
        {"left", &GridPage::LeftBitBtnClick},   {"up", &GridPage::UpBitBtnClick}};
    for (const auto& [name, click] : steps) {
        ASSERT_TRUE(((*grid.page).*click)()) << name;
        checkTicks(name);
    }
}

TEST(ReturnToFirstPage, ResetsOffsetsButtonsAndLabels) {
    Grid grid(model(20, 20));
    ASSERT_TRUE(grid.page->RightBitBtnClick());
    ASSERT_TRUE(grid.page->DownBitBtnClick());
    grid.page->returnToFirstPage();
    EXPECT_EQ(grid.page->RowOffset(), 0);
    EXPECT_EQ(grid.page->ColumnOffset(), 0);
    EXPECT_EQ(grid.page->pagingButtons(),
              (PagingButtons{{true, false}, {true, true}, {true, false}, {true, true}}));
    EXPECT_EQ(labelCaptions(*grid.page), numbered(1, 16) + std::vector<std::string>{"关闭"});
    for (int c = 0; c <= 16; ++c)
        EXPECT_TRUE(grid.page->box(15, c).visible) << c;
}

TEST(BoxViews, CaptionsAndHintsFromNumbersAndNames) {
    Grid grid(model(8, 4));
    EXPECT_EQ(grid.page->box(2, 4).hint, "5 => 3");
    EXPECT_EQ(grid.page->box(2, 4).caption, "");
    EXPECT_EQ(grid.page->box(0, 8).caption, "输出1");
    EXPECT_EQ(grid.page->box(0, 8).hint, "关闭或打开输出端口1");
    EXPECT_FALSE(grid.page->box(4, 0).visible);
    grid->setInputName(4, "摄像机");
    grid->setOutputName(2, "投影");
    EXPECT_EQ(grid.page->box(2, 4).hint, "摄像机 => 投影");
    EXPECT_EQ(grid.page->box(2, 8).hint, "关闭或打开输出端口投影");
    EXPECT_EQ(grid.page->box(2, 8).caption, "输出3");
    EXPECT_FALSE(grid->setInputName(8, "x"));
    EXPECT_FALSE(grid->setOutputName(-1, "x"));
}

TEST(NameFields, ShowNamesOfThePageOnlyWhenTheListIsInUse) {
    StartupSettings settings = model(20, 40);
    settings.MatrixOutputEditEnable = true;
    Grid grid(settings);
    for (int o = 0; o < 40; ++o)
        grid->setOutputName(o, "out" + std::to_string(o + 1));
    grid->setInputName(17, "in18");
    ASSERT_TRUE(grid.page->DownBitBtnClick());
    for (int r = 0; r < 16; ++r) {
        EXPECT_EQ(grid.page->outputField(r).text, "out" + std::to_string(r + 17));
        EXPECT_EQ(grid.page->outputField(r).hint, "out" + std::to_string(r + 17));
    }
    ASSERT_TRUE(grid.page->RightBitBtnClick());
    EXPECT_EQ(grid.page->inputField(1).text, "") << "input list not in use";
    for (int c = 0; c < 16; ++c)
        EXPECT_EQ(grid.page->inputField(c).visible, c < 4) << c;
}

// Going straight to a port lands on the page the buttons would reach, with
// the buttons and the spans as those clicks leave them.
TEST(GoToPort, LandsOnThePageThatHoldsIt) {
    Grid grid(model(64, 40));
    ASSERT_TRUE(grid.page->showOutput(39));
    EXPECT_EQ(grid.page->RowOffset(), 32);
    EXPECT_EQ(grid.page->pagingButtons().down, (ButtonState{true, false}));
    EXPECT_EQ(grid.page->pagingButtons().up, (ButtonState{true, true}));
    EXPECT_EQ(grid.page->rowOf(39), 7);
    const GridPage::Span rows = grid.page->outputSpan();
    EXPECT_EQ((std::vector<int>{rows.first, rows.last, rows.count}),
              (std::vector<int>{32, 39, 40}));

    ASSERT_TRUE(grid.page->showInput(20));
    EXPECT_EQ(grid.page->ColumnOffset(), 16);
    EXPECT_EQ(grid.page->pagingButtons().left, (ButtonState{true, true}));
    EXPECT_EQ(grid.page->pagingButtons().right, (ButtonState{true, true}));
    EXPECT_EQ(labelCaptions(*grid.page), numbered(17, 32) + std::vector<std::string>{"关闭 "});
    const GridPage::Span columns = grid.page->inputSpan();
    EXPECT_EQ((std::vector<int>{columns.first, columns.last, columns.count}),
              (std::vector<int>{16, 31, 64}));

    ASSERT_TRUE(grid.page->showInput(3));
    EXPECT_EQ(grid.page->pagingButtons().left, (ButtonState{true, false}));
    EXPECT_FALSE(grid.page->showOutput(40) || grid.page->showInput(-1));
    EXPECT_EQ(grid.page->RowOffset(), 32);
}

TEST(NameEdits, StoredAtTheOffsetOfTheShownPage) {
    Grid grid(model(20, 20));
    ASSERT_TRUE(grid.page->RightBitBtnClick());
    EXPECT_TRUE(grid.typeInputName(0, "Cam"));
    EXPECT_EQ(grid->InputNames()[16], "Cam");
    EXPECT_TRUE(grid->MatrixInputEditEnable);
    EXPECT_EQ(grid.page->box(5, 0).hint, "Cam => 6");
    EXPECT_EQ(grid.page->inputField(0).text, "Cam");
    EXPECT_EQ(grid.page->box(5, 1).hint, "18 => 6") << "other columns unchanged";

    EXPECT_TRUE(grid.typeInputName(0, ""));
    EXPECT_EQ(grid->inputText(16), "17") << "cleared name: the number";
    EXPECT_EQ(grid->InputNames()[16], "");
    EXPECT_TRUE(grid->MatrixInputEditEnable);
    EXPECT_EQ(grid.page->box(5, 0).hint, "17 => 6");

    ASSERT_TRUE(grid.page->DownBitBtnClick());
    EXPECT_TRUE(grid.typeOutputName(3, "Hall"));
    EXPECT_EQ(grid->OutputNames()[19], "Hall");
    EXPECT_TRUE(grid->MatrixOutputEditEnable);
    EXPECT_EQ(grid.page->box(3, 4).hint, "关闭或打开输出端口Hall");
    EXPECT_EQ(grid.page->box(3, 2).hint, "19 => Hall");
    EXPECT_EQ(grid.page->box(2, 2).hint, "19 => 19") << "other rows unchanged";
}

TEST(NameEdits, FieldsBeyondTheLastPortStoreNothing) {
    Grid grid(model(20, 20));
    ASSERT_TRUE(grid.page->RightBitBtnClick());
    ASSERT_TRUE(grid.page->DownBitBtnClick());
    EXPECT_FALSE(grid.typeInputName(4, "x"));
    EXPECT_FALSE(grid.typeInputName(16, "x"));
    EXPECT_FALSE(grid.typeOutputName(4, "x"));
    EXPECT_FALSE(grid.typeOutputName(-1, "x"));
    EXPECT_FALSE(grid->MatrixInputEditEnable);
    EXPECT_FALSE(grid->MatrixOutputEditEnable);
    for (const std::string& name : grid->InputNames())
        EXPECT_EQ(name, "");
    for (const std::string& name : grid->OutputNames())
        EXPECT_EQ(name, "");
}

}  // namespace
}  // namespace mc::test
