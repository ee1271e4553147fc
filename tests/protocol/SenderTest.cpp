// The sender thread: order, pacing, refused hand-overs, stopping. Pacing is
// checked with a fake clock, so these tests do not wait out real slots
// (except the one that checks the steady clock itself).

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <stdexcept>
#include <thread>
#include <vector>

#include "FrameTestUtil.h"
#include "SenderFakes.h"
#include "protocol/MatrixComm.h"
#include "protocol/QXRClass.h"

namespace mc {
namespace {

using namespace std::chrono_literals;
using test::FakeClock;
using test::hexText;
using test::RecordingPort;

void queueClose(CommandQueue& queue, int output) {
    TQXRClass cell;
    cell.SendCloseOutput(queue, 0x52, output);
}

TEST(Sender, HandsOverInAppendOrderAtLeast205msApart) {
    FakeClock clock;
    RecordingPort port(clock);
    CommandQueue queue;
    TQXRClass cell;
    cell.SendSwitch(queue, 0x52, 2, 0);
    cell.SendCloseOutput(queue, 0x52, 3);
    cell.SendLayer(queue, 0x52, 2);
    TMatrixCommDataThread sender(queue, port, clock);
    sender.start();

    const auto handOvers = port.waitFor(3);
    ASSERT_EQ(handOvers.size(), 3u);
    EXPECT_EQ(hexText(handOvers[0].bytes), "EB 52 02 02 00 02 58");
    EXPECT_EQ(hexText(handOvers[1].bytes), "EB 52 08 01 03 5E");
    EXPECT_EQ(hexText(handOvers[2].bytes), "EB 52 16 01 02 6B");
    EXPECT_GE(handOvers[1].at - handOvers[0].at, 205ms);
    EXPECT_GE(handOvers[2].at - handOvers[1].at, 205ms);
    EXPECT_TRUE(handOvers[0].accepted);
}

TEST(Sender, AFrameTheWriterWroteLateStillGetsTheWholeGapOnTheLine) {
    FakeClock clock;
    RecordingPort port(clock);
    port.setWriteDelay(7ms);
    CommandQueue queue;
    queueClose(queue, 1);
    queueClose(queue, 2);
    TMatrixCommDataThread sender(queue, port, clock);
    sender.start();
    const auto handOvers = port.waitFor(2);
    ASSERT_EQ(handOvers.size(), 2u);
    EXPECT_GE(handOvers[1].at - (handOvers[0].at + 7ms), 205ms);
}

TEST(Sender, IdleSenderDoesNotPollAndSendsANewFrameAtOnce) {
    FakeClock clock;
    RecordingPort port(clock);
    CommandQueue queue;
    TMatrixCommDataThread sender(queue, port, clock);
    sender.start();
    queueClose(queue, 1);
    ASSERT_EQ(port.waitFor(1).size(), 1u);
    ASSERT_TRUE(clock.waitForSleeps(1));  // the slot after the first frame is over

    clock.advance(10s);  // long idle
    const auto appendedAt = clock.now();
    queueClose(queue, 2);
    const auto handOvers = port.waitFor(2);
    ASSERT_EQ(handOvers.size(), 2u);
    EXPECT_EQ(handOvers[1].at, appendedAt);  // no pacing delay after an idle spell
    // One pacing sleep per frame; none while idle.
    EXPECT_LE(clock.sleeps(), 2);
}

TEST(Sender, ClosedPortStillCostsEachFrameItsSlot) {
    FakeClock clock;
    RecordingPort port(clock);
    port.setOpen(false);
    CommandQueue queue;
    for (int i = 0; i < 10; ++i) {
        queueClose(queue, i);
    }
    std::vector<bool> accepted;
    std::mutex mutex;
    TMatrixCommDataThread sender(queue, port, clock);
    sender.setHandOverListener([&](bool ok, std::size_t) {
        std::lock_guard lock(mutex);
        accepted.push_back(ok);
    });
    sender.start();

    const auto handOvers = port.waitFor(10);
    ASSERT_EQ(handOvers.size(), 10u);
    EXPECT_EQ(queue.count(), 0u);
    for (std::size_t i = 0; i < handOvers.size(); ++i) {
        EXPECT_FALSE(handOvers[i].accepted);
        EXPECT_EQ(handOvers[i].bytes[4], i);
        if (i > 0) {
            EXPECT_GE(handOvers[i].at - handOvers[i - 1].at, 205ms);
        }
    }
    EXPECT_LE(handOvers.back().at - handOvers.front().at, 2s);
    sender.stop();
    EXPECT_EQ(accepted, std::vector<bool>(10, false));
}

TEST(Sender, EmptyRecordIsHandedOverRefusedAndStillPaced) {
    FakeClock clock;
    RecordingPort port(clock);
    CommandQueue queue;
    auto empty = std::make_unique<TMatrixCommDataType>();
    empty->SetData(nullptr, 0);
    queue.append(std::move(empty));
    queueClose(queue, 3);
    TMatrixCommDataThread sender(queue, port, clock);
    sender.start();

    const auto handOvers = port.waitFor(2);
    ASSERT_EQ(handOvers.size(), 2u);
    EXPECT_TRUE(handOvers[0].bytes.empty());
    EXPECT_FALSE(handOvers[0].accepted);
    EXPECT_TRUE(handOvers[1].accepted);
    EXPECT_GE(handOvers[1].at - handOvers[0].at, 205ms);
}

TEST(Sender, StopWithFramesQueuedEndsAtOnceAndWritesNoMore) {
    test::StopOnlyClock clock;  // the first pacing sleep lasts until the stop
    RecordingPort port(clock);
    int remaining = 0;
    {
        CommandQueue queue;
        for (int i = 0; i < 5; ++i) {
            queueClose(queue, i);
        }
        TMatrixCommDataThread sender(queue, port, clock);
        sender.start();
        ASSERT_EQ(port.waitFor(1).size(), 1u);

        const auto before = std::chrono::steady_clock::now();
        sender.stop();
        EXPECT_LT(std::chrono::steady_clock::now() - before, 2s);
        EXPECT_FALSE(sender.running());
        remaining = static_cast<int>(queue.count());
    }  // the queue goes with the four records still in it
    EXPECT_EQ(remaining, 4);
    EXPECT_EQ(port.handOvers().size(), 1u);
}

TEST(Sender, StopsWhenIdleAndCanBeStartedAgain) {
    FakeClock clock;
    RecordingPort port(clock);
    CommandQueue queue;
    TMatrixCommDataThread sender(queue, port, clock);
    sender.stop();  // not running: nothing to do
    sender.start();
    EXPECT_TRUE(sender.running());
    sender.stop();
    EXPECT_FALSE(sender.running());

    queueClose(queue, 7);  // queued while stopped: waits
    EXPECT_EQ(queue.count(), 1u);
    sender.start();
    const auto handOvers = port.waitFor(1);
    ASSERT_EQ(handOvers.size(), 1u);
    EXPECT_EQ(handOvers[0].bytes[4], 7);
}

TEST(Sender, ListenerHearsRemainingCountAndMayStopTheSender) {
    FakeClock clock;
    RecordingPort port(clock);
    CommandQueue queue;
    for (int i = 0; i < 3; ++i) {
        queueClose(queue, i);
    }
    std::vector<std::size_t> remaining;
    TMatrixCommDataThread sender(queue, port, clock);
    sender.setHandOverListener([&](bool, std::size_t left) {
        remaining.push_back(left);
        if (left == 1) {
            sender.stop();  // from the sender thread itself: request only
        }
    });
    sender.start();
    ASSERT_EQ(port.waitFor(2).size(), 2u);
    sender.stop();  // joins; the thread ends after the second frame either way
    EXPECT_EQ(remaining, (std::vector<std::size_t>{2, 1}));
    EXPECT_EQ(port.handOvers().size(), 2u);
    EXPECT_EQ(queue.count(), 1u);
}

class ThrowingPort : public IBytePort {
public:
    bool WriteData(const std::uint8_t*, std::uint16_t) override {
        ++calls;
        throw std::runtime_error("port failed");
    }
    std::atomic<int> calls = 0;
};

TEST(Sender, ThrowingPortCountsAsRefusalAndTheThreadGoesOn) {
    FakeClock clock;
    ThrowingPort port;
    CommandQueue queue;
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<bool> accepted;
    TMatrixCommDataThread sender(queue, port, clock);
    sender.setHandOverListener([&](bool ok, std::size_t) {
        std::lock_guard lock(mutex);
        accepted.push_back(ok);
        changed.notify_all();
    });
    sender.start();
    queueClose(queue, 1);
    queueClose(queue, 2);
    std::unique_lock lock(mutex);
    changed.wait_for(lock, 10s, [&] { return accepted.size() == 2; });
    EXPECT_EQ(accepted, (std::vector<bool>{false, false}));
    EXPECT_EQ(port.calls, 2);
}

TEST(Sender, FramesAppendedWhileSendingAllArriveInOrder) {
    FakeClock clock;
    RecordingPort port(clock);
    CommandQueue queue;
    TMatrixCommDataThread sender(queue, port, clock);
    sender.start();
    TQXRClass cell;
    for (int i = 0; i < 300; ++i) {
        cell.SendSwitch(queue, 0x52, i % 256, i / 256);
    }
    const auto handOvers = port.waitFor(300);
    ASSERT_EQ(handOvers.size(), 300u);
    for (int i = 0; i < 300; ++i) {
        EXPECT_EQ(handOvers[i].bytes[5], i % 256);
        EXPECT_EQ(handOvers[i].bytes[4], i / 256);
    }
}

TEST(SteadySenderClock, SleepEndsAtTheDeadlineOrOnStop) {
    SteadySenderClock clock;
    std::stop_source idle;
    EXPECT_TRUE(clock.sleepUntil(clock.now() - 1s, idle.get_token()));
    const auto start = clock.now();
    EXPECT_TRUE(clock.sleepUntil(start + 20ms, idle.get_token()));
    EXPECT_GE(clock.now() - start, 20ms);

    std::stop_source stopped;
    stopped.request_stop();
    EXPECT_FALSE(clock.sleepUntil(clock.now() + 1h, stopped.get_token()));

    std::atomic<bool> result = true;
    std::jthread sleeper(
        [&](std::stop_token stop) { result = clock.sleepUntil(clock.now() + 1h, stop); });
    const auto before = clock.now();
    sleeper.request_stop();
    sleeper.join();
    EXPECT_FALSE(result);
    EXPECT_LT(clock.now() - before, 10s);
}

TEST(Sender, RealClockPacesFrames) {
    CommandQueue queue;
    RecordingPort port(steadySenderClock());
    queueClose(queue, 1);
    queueClose(queue, 2);
    TMatrixCommDataThread sender(queue, port);
    sender.start();
    const auto handOvers = port.waitFor(2);
    ASSERT_EQ(handOvers.size(), 2u);
    EXPECT_GE(handOvers[1].at - handOvers[0].at, 205ms);
}

}  // namespace
}  // namespace mc
