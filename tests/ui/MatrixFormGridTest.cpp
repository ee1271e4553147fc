// Clicks on the control window's grid: each reaches the session, and the
// ticks of the row follow the state the session keeps (the switching rules
// themselves are tested on the state and the session).

#include <QAction>
#include <QKeySequence>
#include <QLineEdit>

#include "ui/MatrixFormTestUtil.h"

namespace mc::test {
namespace {

class MatrixFormClicks : public MatrixFormTest {
protected:
    void openModel(std::int32_t inputs, std::int32_t outputs) {
        useModel(inputs, outputs);
        open();
        frames();  // the start-up frames
    }
};

TEST_F(MatrixFormClicks, ExclusiveOutputMovesItsTickAndClosesWhenEmptied) {
    openModel(16, 16);

    click(box(1, 2));
    click(box(1, 6));
    EXPECT_FALSE(box(1, 2)->isChecked());
    EXPECT_TRUE(box(1, 6)->isChecked());
    EXPECT_EQ(frames(), (std::vector<Bytes>{switchFrame(0x52, 2, 1), switchFrame(0x52, 6, 1)}));

    // Unticking the only input ticks the close box.
    click(box(1, 6));
    EXPECT_TRUE(box(1, 16)->isChecked());
    EXPECT_EQ(frames(), std::vector<Bytes>{closeFrame(0x52, 1)});

    // Unticking the ticked close box ticks it again.
    click(box(1, 16));
    EXPECT_TRUE(box(1, 16)->isChecked());
    EXPECT_EQ(frames(), std::vector<Bytes>{closeFrame(0x52, 1)});
    expectTicksMatchState();
}

TEST_F(MatrixFormClicks, OutputOneKeepsSeveralTicksUntilItsCloseBox) {
    openModel(16, 16);
    click(box(0, 3));
    click(box(0, 4));
    EXPECT_TRUE(box(0, 3)->isChecked() && box(0, 4)->isChecked());
    click(box(0, 16));
    EXPECT_FALSE(box(0, 3)->isChecked() || box(0, 4)->isChecked());
    EXPECT_TRUE(box(0, 16)->isChecked());
    expectTicksMatchState();
}

TEST_F(MatrixFormClicks, OutputLockedByAnotherOwnerTakesBackTheTickWithANote) {
    openModel(16, 16);
    ASSERT_TRUE(session->lockOutput("127.0.0.2", 1, LockRequest::Lock));
    click(box(1, 3));
    EXPECT_FALSE(box(1, 3)->isChecked());
    EXPECT_TRUE(frames().empty());
    EXPECT_TRUE(form->statusNote().contains(QStringLiteral("127.0.0.2")))
        << form->statusNote().toStdString();
    expectTicksMatchState();
}

// The Edit menu takes a click back and does it again; the ticks follow.
TEST_F(MatrixFormClicks, UndoAndRedoItemsFollowTheSession) {
    openModel(16, 16);
    QAction* undo = child<QAction>(*form, QStringLiteral("UndoItem"));
    QAction* redo = child<QAction>(*form, QStringLiteral("RedoItem"));
    ASSERT_TRUE(undo != nullptr && redo != nullptr);
    EXPECT_EQ(undo->shortcut(), QKeySequence(QKeySequence::Undo));
    EXPECT_FALSE(undo->isEnabled());
    click(box(1, 2));
    click(box(1, 6));
    frames();
    ASSERT_TRUE(undo->isEnabled());
    undo->trigger();
    EXPECT_TRUE(box(1, 2)->isChecked());
    EXPECT_EQ(frames(), std::vector<Bytes>{switchFrame(0x52, 2, 1)});
    ASSERT_TRUE(redo->isEnabled());
    redo->trigger();
    EXPECT_TRUE(box(1, 6)->isChecked());
    EXPECT_FALSE(redo->isEnabled());
    expectTicksMatchState();
}

// Take mode: a click shows partially checked and waits for "执行".
TEST_F(MatrixFormClicks, TakeModeStagesClicksUntilTake) {
    openModel(16, 16);
    click(box(1, 2));
    frames();
    button("TakeModeButton")->click();
    EXPECT_TRUE(session->takeMode());
    EXPECT_FALSE(button("TakeButton")->isEnabled());
    click(box(1, 6));
    EXPECT_EQ(box(1, 6)->checkState(), Qt::PartiallyChecked);
    EXPECT_TRUE(box(1, 2)->isChecked()) << "the current input stays ticked";
    EXPECT_TRUE(frames().empty());
    EXPECT_TRUE(form->statusNote().contains(QStringLiteral("预选 1 项")));
    ASSERT_TRUE(button("TakeButton")->isEnabled());
    button("TakeButton")->click();
    EXPECT_EQ(frames(), std::vector<Bytes>{switchFrame(0x52, 6, 1)});
    EXPECT_FALSE(button("ClearButton")->isEnabled());
    expectTicksMatchState();
}

}  // namespace
}  // namespace mc::test
