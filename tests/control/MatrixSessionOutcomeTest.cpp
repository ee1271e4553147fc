// What a request comes to: done, or refused with its reason; a client's file
// error comes back to it and never opens a window; the journal line of a step
// is written before the queue lets its frames go.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <thread>

#include "control/SessionTestUtil.h"
#include "store/Journal.h"

namespace mc::test {
namespace {

using SessionOutcome = SessionTest;

TEST_F(SessionOutcome, RefusalsSayWhy) {
    useModel(8, 4);
    EXPECT_EQ(MatrixSession(paths, poster).routeOutput("127.0.0.2", 0, 1).refusal, Refusal::Busy)
        << "not built";
    start();
    frames();
    const std::string client = "127.0.0.2";
    EXPECT_EQ(session->routeOutput(client, 4, 1).refusal, Refusal::OutOfRange);
    EXPECT_EQ(session->routeOutput(client, 0, 8).refusal, Refusal::OutOfRange);
    EXPECT_EQ(session->setOutputName(client, -1, "x").refusal, Refusal::OutOfRange);
    EXPECT_EQ(session->setOutputName(client, 1, "Desk\n2").refusal, Refusal::BadName);
    EXPECT_EQ(session->setInputName(client, 1, std::string("A\0B", 3)).refusal, Refusal::BadName);
    EXPECT_EQ(session->stageRoute(client, 1, 2).refusal, Refusal::Unavailable) << "take mode off";
    EXPECT_EQ(session->take(client).refusal, Refusal::Unavailable) << "nothing staged";
    EXPECT_EQ(session->applyMode("none", client).refusal, Refusal::NotFound);
    EXPECT_EQ(session->chooseLayer(4, client).refusal, Refusal::OutOfRange);

    ASSERT_TRUE(session->lockOutput("127.0.0.3", 2, LockRequest::Lock));
    for (const Outcome& refused :
         {session->routeOutput(client, 2, 1), session->lockOutput(client, 2, LockRequest::Unlock),
          session->clickBox(2, 1, true)}) {
        EXPECT_EQ(refused.refusal, Refusal::Locked);
        EXPECT_EQ(refused.detail, "127.0.0.3");
    }
    EXPECT_TRUE(frames().empty()) << "no refusal queued a frame";
    session->close();
    EXPECT_EQ(session->routeOutput(client, 0, 1).refusal, Refusal::Busy) << "closed";
}

TEST_F(SessionOutcome, AClientsFileErrorComesBackToItWithoutADialog) {
    useModel(8, 4);
    start();
    std::ofstream(paths.modeFile()) << "<MatrixMode><Mode";  // malformed
    const LoadOutcome remote = session->applyMode("Show", "127.0.0.2");
    EXPECT_EQ(remote.refusal, Refusal::FileError);
    EXPECT_FALSE(remote.detail.empty());
    EXPECT_TRUE(prompts.errors.empty()) << "no window opens for a client";
    EXPECT_NE(session->note().find("127.0.0.2"), std::string::npos) << session->note();
    EXPECT_EQ(session->readModes().refusal, Refusal::FileError);
    EXPECT_TRUE(prompts.errors.empty());

    // The window's own error is shown, once its step is over: a request that
    // the dialog's event loop brings is a step of its own, under its origin.
    Outcome duringDialog = Outcome::refused(Refusal::None);
    prompts.onError = [&] { duringDialog = session->routeOutput("127.0.0.3", 0, 1); };
    ASSERT_TRUE(session->setTakeMode(MatrixSession::kWindowOwner, true));
    // A folder where the settings file was: no write can replace it.
    std::filesystem::remove(paths.mainConfigFile());
    std::filesystem::create_directory(paths.mainConfigFile());
    const Outcome window = session->setTakeMode(MatrixSession::kWindowOwner, false);
    EXPECT_EQ(window.refusal, Refusal::FileError);
    ASSERT_EQ(prompts.errors.size(), 1u);
    EXPECT_TRUE(duringDialog) << "no step was open while the error box showed";
    EXPECT_EQ(Journal::readLatest(paths.configDir(), 1).at(0).origin, "127.0.0.3");
}

// Records, whenever the queue's figures are posted from the test's thread,
// how many journal lines exist: the figures move when the queue lets a
// step's frames go. (The port's threads post too, e.g. when another test
// makes a terminal: not counted.)
class JournalCountingPoster final : public IUiPoster {
public:
    explicit JournalCountingPoster(std::string dir) : m_dir(std::move(dir)) {}
    void post(std::function<void()> task) override {
        if (std::this_thread::get_id() == m_thread)
            lines.push_back(Journal::readLatest(m_dir, 100).size());
        m_queued.post(std::move(task));
    }
    void postLater(std::function<void()> task, std::chrono::milliseconds delay) override {
        m_queued.postLater(std::move(task), delay);
    }
    void run() { m_queued.runPending(); }
    std::vector<std::size_t> lines;

private:
    std::string m_dir;
    std::thread::id m_thread = std::this_thread::get_id();
    QueuedPoster m_queued;
};

TEST_F(SessionOutcome, AStepsJournalLineIsWrittenBeforeItsFramesCanGo) {
    useModel(8, 4);
    JournalCountingPoster counting(paths.configDir());
    MatrixSession own(paths, counting, SessionOptions::queueOnly());
    own.start();
    counting.run();
    counting.lines.clear();
    ASSERT_TRUE(own.routeOutput("127.0.0.2", 1, 2));
    ASSERT_FALSE(counting.lines.empty()) << "the frame reached the queue";
    EXPECT_EQ(counting.lines.front(), 1u) << "the line was there before the frame could go";
}

}  // namespace
}  // namespace mc::test
