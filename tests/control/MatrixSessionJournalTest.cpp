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
    ASSERT_TRUE(session->setInputName("127.0.0.2", 2, "Cam"));
    frames();
    ASSERT_TRUE(session->clickBox(1, 2, true));
    const std::vector<Bytes> clicked = frames();
    ASSERT_TRUE(session->routeOutput("127.0.0.2", 1, -1));
    ASSERT_TRUE(session->setOutputName("127.0.0.2", 3, "Monitor"));
    session->setOutputName("127.0.0.2", 3, "Monitor");  // unchanged: no line
    ASSERT_TRUE(session->lockOutput("127.0.0.2", 3, LockRequest::Lock));

    const std::vector<JournalEntry> latest = Journal::readLatest(paths.configDir(), 10);
    ASSERT_EQ(latest.size(), 5u);
    const JournalEntry& click = latest[3];
    EXPECT_EQ(click.origin, MatrixSession::kWindowOwner);
    EXPECT_EQ(click.action, "route");
    EXPECT_EQ(
        click.changes,
        (std::vector<JournalChange>{{1, -1, 2, "all", "", "unknown", "", {}, "", "Cam", {}}}));
    EXPECT_EQ(click.frames, clicked);
    const JournalEntry& close = latest[2];
    EXPECT_EQ(close.origin, "127.0.0.2");
    EXPECT_EQ(close.action, "close");
    EXPECT_EQ(close.changes,
              (std::vector<JournalChange>{{1, 2, -1, "all", "", "", "Cam", {}, "closed", "", {}}}));
    EXPECT_EQ(close.frames, std::vector<Bytes>{closeFrame(0x52, 1)});
    EXPECT_EQ(latest[1].action, "label");
    EXPECT_EQ(latest[1].kind, "output");
    EXPECT_EQ(latest[1].text, "Monitor");
    EXPECT_EQ(latest[0].action, "lock");
    EXPECT_EQ(latest[0].port, 3);
    EXPECT_EQ(latest[0].portName, "Monitor");
}

TEST_F(SessionJournal, ACycleIsWrittenWithItsInputs) {
    useModel(8, 4);
    start();
    ASSERT_TRUE(session->clickBox(0, 2, true));
    ASSERT_TRUE(session->clickBox(0, 3, true));
    EXPECT_EQ(Journal::readLatest(paths.configDir(), 1).at(0).changes.at(0),
              (JournalChange{0, 2, -1, "video", "", "", "", {}, "cycle", "", {2, 3}}));
}

TEST_F(SessionJournal, ANameTypedIsOneLinePerEditWithTheWholeName) {
    useModel(8, 4, true);
    start();
    const auto latest = [&] { return Journal::readLatest(paths.configDir(), 10); };
    for (const char* typed : {"M", "Mo", "Mon"})
        session->setOutputName(MatrixSession::kWindowOwner, 0, typed, NameEntry::Typing);
    EXPECT_EQ(events.changes.back().outputNames.at(0).text, "Mon") << "clients see each key";
    EXPECT_TRUE(latest().empty());
    poster.runLater();  // a second after the last keystroke
    ASSERT_EQ(latest().size(), 1u);
    EXPECT_EQ(latest()[0].text, "Mon");

    session->setOutputName(MatrixSession::kWindowOwner, 0, "Mont", NameEntry::Typing);
    ASSERT_TRUE(session->clickBox(1, 2, true));
    ASSERT_EQ(latest().size(), 3u);
    EXPECT_EQ(latest()[1].text, "Mont") << "before the next step's line";
    EXPECT_EQ(latest()[0].action, "route");

    session->setInputName(MatrixSession::kWindowOwner, 2, "X", NameEntry::Typing);
    session->setInputName(MatrixSession::kWindowOwner, 2, "", NameEntry::Typing);
    session->finishNameEdit();  // as it began: no line
    session->setInputName(MatrixSession::kWindowOwner, 3, "Cam", NameEntry::Typing);
    session->finishNameEdit();  // the field was left
    poster.runLater();
    ASSERT_EQ(latest().size(), 4u);
    EXPECT_EQ(latest()[0].kind, "input");
    EXPECT_EQ(latest()[0].text, "Cam");
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
