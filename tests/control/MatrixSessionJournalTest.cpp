// The journal the session writes: one line per step, before its frames can
// go, with who asked, what changed and the frames exactly as queued.

#include <gtest/gtest.h>

#include <filesystem>

#include "control/SessionTestUtil.h"
#include "store/Journal.h"

namespace mc::test {
namespace {

using SessionJournal = SessionTest;

TEST_F(SessionJournal, EveryStepIsALineWithItsOriginChangesAndFrames) {
    useModel(8, 4, true);
    start();
    frames();
    ASSERT_TRUE(session->clickBox(1, 2, true));
    const std::vector<Bytes> clicked = frames();
    ASSERT_TRUE(session->routeOutput("127.0.0.2", 1, -1));
    ASSERT_TRUE(session->lockOutput("127.0.0.2", 3, LockRequest::Lock));
    ASSERT_TRUE(session->setOutputName("127.0.0.2", 0, "Monitor"));
    session->setOutputName("127.0.0.2", 0, "Monitor");  // unchanged: no line

    const std::vector<JournalEntry> latest = Journal::readLatest(paths.configDir(), 10);
    ASSERT_EQ(latest.size(), 4u);
    const JournalEntry& click = latest[3];
    EXPECT_EQ(click.origin, MatrixSession::kWindowOwner);
    EXPECT_EQ(click.action, "route");
    EXPECT_EQ(click.changes, (std::vector<JournalChange>{{1, -1, 2, "all"}}));
    EXPECT_EQ(click.frames, clicked);
    const JournalEntry& close = latest[2];
    EXPECT_EQ(close.origin, "127.0.0.2");
    EXPECT_EQ(close.action, "close");
    EXPECT_EQ(close.changes, (std::vector<JournalChange>{{1, 2, -1, "all"}}));
    EXPECT_EQ(close.frames, std::vector<Bytes>{closeFrame(0x52, 1)});
    EXPECT_EQ(latest[1].action, "lock");
    EXPECT_EQ(latest[1].port, 3);
    EXPECT_EQ(latest[0].action, "label");
    EXPECT_EQ(latest[0].text, "output: Monitor");
}

TEST_F(SessionJournal, AFailedWriteIsNotedOnceAndSwitchingGoesOn) {
    useModel(8, 4, true);
    std::filesystem::create_directory(paths.configDir() + "/" + Journal::kFileName);
    start();
    frames();
    ASSERT_TRUE(session->clickBox(1, 2, true));
    EXPECT_NE(session->note().find(Journal::kFileName), std::string::npos) << session->note();
    const int notes = events.notes;
    ASSERT_TRUE(session->clickBox(1, 3, true));
    EXPECT_EQ(events.notes, notes) << "noted once";
    EXPECT_EQ(frames(), (std::vector<Bytes>{switchFrame(0x52, 2, 1), switchFrame(0x52, 3, 1)}));
}

}  // namespace
}  // namespace mc::test
