// Clicks on the control window's grid: the frames they queue and the ticks
// that follow, in exclusive outputs, in output 1's cycle mode, and on a
// partial last column page.

#include "control/MatrixFormTestUtil.h"

namespace mc::test {
namespace {

class MatrixFormClicks : public MatrixFormTest {
protected:
    TMatrixForm& openModel(std::int32_t inputs, std::int32_t outputs, bool pattern) {
        useModel(inputs, outputs, pattern);
        setConfig("System config", "CircleTime", "7");
        TMatrixForm& window = open();
        frames();  // the start-up frames
        return window;
    }
};

TEST_F(MatrixFormClicks, ExclusiveOutputMovesItsTickAndClosesWhenEmptied) {
    openModel(16, 16, false);

    click(box(1, 2));
    click(box(1, 6));
    EXPECT_FALSE(box(1, 2)->isChecked());
    EXPECT_TRUE(box(1, 6)->isChecked());
    EXPECT_EQ(frames(), (std::vector<Bytes>{switchFrame(0x52, 2, 1), switchFrame(0x52, 6, 1)}));

    // Unticking the only input closes the output.
    click(box(1, 6));
    EXPECT_TRUE(box(1, 16)->isChecked());
    EXPECT_EQ(frames(), std::vector<Bytes>{closeFrame(0x52, 1)});
    EXPECT_EQ(selectedOf(form->session().state(), 1), std::vector<std::int32_t>{16});

    // Unticking the ticked close box ticks it again and closes again.
    click(box(1, 16));
    EXPECT_TRUE(box(1, 16)->isChecked());
    EXPECT_EQ(frames(), std::vector<Bytes>{closeFrame(0x52, 1)});
    expectTicksMatchState();
}

TEST_F(MatrixFormClicks, OutputOneCyclesThroughSeveralInputs) {
    openModel(16, 16, false);

    click(box(0, 0));
    click(box(0, 1));
    EXPECT_TRUE(box(0, 0)->isChecked() && box(0, 1)->isChecked());
    EXPECT_EQ(frames(), (std::vector<Bytes>{switchFrame(0x52, 0, 0), cycleFrame(0x52, {0, 1}, 7)}));

    click(box(0, 0));
    EXPECT_EQ(frames(), std::vector<Bytes>{switchFrame(0x52, 1, 0)});
    click(box(0, 1));
    EXPECT_TRUE(box(0, 16)->isChecked());
    EXPECT_EQ(frames(), std::vector<Bytes>{closeFrame(0x52, 0)});

    // The close box clears every input of output 1.
    click(box(0, 3));
    click(box(0, 4));
    frames();
    click(box(0, 16));
    EXPECT_FALSE(box(0, 3)->isChecked() || box(0, 4)->isChecked());
    EXPECT_EQ(frames(), std::vector<Bytes>{closeFrame(0x52, 0)});
    expectTicksMatchState();
}

TEST_F(MatrixFormClicks, PatternModelMakesOutputOneExclusive) {
    openModel(16, 16, true);
    click(box(0, 0));
    click(box(0, 1));
    EXPECT_FALSE(box(0, 0)->isChecked());
    EXPECT_EQ(frames(), (std::vector<Bytes>{switchFrame(0x52, 0, 0), switchFrame(0x52, 1, 0)}));
}

TEST_F(MatrixFormClicks, SelectionMovesAcrossColumnPages) {
    openModel(20, 4, false);
    click(box(1, 1));  // input 2 of output 2
    frames();
    click(child<QPushButton>(*form, QStringLiteral("RightBitBtn")));
    EXPECT_FALSE(box(1, 1)->isChecked());
    click(box(1, 1));  // input 18
    EXPECT_TRUE(box(1, 1)->isChecked());
    EXPECT_EQ(frames(), std::vector<Bytes>{switchFrame(0x52, 17, 1)});
    EXPECT_EQ(selectedOf(form->session().state(), 1), std::vector<std::int32_t>{17});
    click(child<QPushButton>(*form, QStringLiteral("LeftBitBtn")));
    EXPECT_FALSE(box(1, 1)->isChecked());
    expectTicksMatchState();
}

TEST_F(MatrixFormClicks, EmptiedOutputOnAPartialPageIsClosedToo) {
    openModel(20, 4, false);
    click(child<QPushButton>(*form, QStringLiteral("RightBitBtn")));
    // The close box follows the last input: screen column 4.
    EXPECT_EQ(box(2, 4)->text(), QStringLiteral("输出3"));
    EXPECT_FALSE(box(2, 5)->isVisibleTo(form.get()));

    click(box(2, 0));  // input 17
    click(box(2, 0));
    EXPECT_TRUE(box(2, 4)->isChecked());
    EXPECT_EQ(frames(), (std::vector<Bytes>{switchFrame(0x52, 16, 2), closeFrame(0x52, 2)}));
    expectTicksMatchState();
}

}  // namespace
}  // namespace mc::test
