// Undo and redo of the window operator's routing steps, and an output's
// return to the input it had before its last change.

#include <gtest/gtest.h>

#include "control/SessionTestUtil.h"
#include "store/ModeStore.h"

namespace mc::test {
namespace {

class SessionUndo : public SessionTest {
protected:
    void SetUp() override {
        useModel(8, 4, true);
        start();
        frames();
    }
};

TEST_F(SessionUndo, UndoAndRedoQueueTheFramesOfClicksAndSkipWhatOthersChanged) {
    ModeStore(paths.modeFile()).saveMode("Mode会议", {{0, 1}, {1, 2}, {2, 3}});
    ASSERT_TRUE(session->clickBox(0, 5, true));
    ASSERT_TRUE(session->applyMode("会议").done());
    frames();
    ASSERT_TRUE(session->routeOutput("127.0.0.2", 1, 7));  // another owner, after the mode
    frames();

    ASSERT_TRUE(session->undo());
    EXPECT_EQ(frames(), (std::vector<Bytes>{switchFrame(0x52, 5, 0), closeFrame(0x52, 2)}))
        << "output 0 back to its click, output 2 never switched comes back closed";
    EXPECT_EQ(selectedOf(state(), 1), std::vector<std::int32_t>{7});
    EXPECT_NE(session->note().find("输出 2"), std::string::npos) << session->note();

    ASSERT_TRUE(session->redo());
    EXPECT_EQ(frames(), (std::vector<Bytes>{switchFrame(0x52, 1, 0), switchFrame(0x52, 3, 2)}));
    ASSERT_TRUE(session->undo());
    ASSERT_TRUE(session->undo());
    EXPECT_EQ(frames().back(), closeFrame(0x52, 0)) << "the click undone";
    EXPECT_FALSE(session->canUndo());
    EXPECT_FALSE(session->undo());

    const std::vector<JournalEntry> latest = Journal::readLatest(paths.configDir(), 1);
    ASSERT_EQ(latest.size(), 1u);
    EXPECT_EQ(latest[0].action, "undo");
    EXPECT_EQ(latest[0].changes,
              (std::vector<JournalChange>{{0, 5, -1, "all", "", "", "", {}, "closed", "", {}}}));

    ASSERT_TRUE(session->clickBox(3, 4, true));
    EXPECT_FALSE(session->canRedo()) << "a new step drops what could be redone";
}

TEST_F(SessionUndo, AnOutputReturnsToTheInputBeforeItsLastChangeWhoeverMadeIt) {
    EXPECT_FALSE(session->returnToPreviousInput(1));
    ASSERT_TRUE(session->clickBox(1, 2, true));
    ASSERT_TRUE(session->routeOutput("127.0.0.2", 1, 6));
    frames();
    ASSERT_TRUE(session->returnToPreviousInput(1));
    EXPECT_EQ(frames(), std::vector<Bytes>{switchFrame(0x52, 2, 1)});
    ASSERT_TRUE(session->returnToPreviousInput(1));
    EXPECT_EQ(frames(), std::vector<Bytes>{switchFrame(0x52, 6, 1)}) << "and back again";
    ASSERT_TRUE(session->lockOutput("127.0.0.2", 1, LockRequest::Lock));
    EXPECT_FALSE(session->returnToPreviousInput(1));
}

}  // namespace
}  // namespace mc::test
