// Line events through TComm's read thread, fed by a fake line-status reader
// (a pseudo-terminal has neither error counters nor modem lines).

#include "PtyTestUtil.h"
#include "serial/LineEvents.h"
#include "serial/SerialComm.h"
#include "serial/SerialTypes.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <mutex>

namespace mc {
namespace {

using namespace std::chrono_literals;

// What the fake device reports; changed by the test, read by the read thread.
struct FakeLine {
    std::mutex mutex;
    LineSnapshot snapshot;                       // guarded by mutex
    LineReadResult result = LineReadResult::Ok;  // guarded by mutex
    int reads = 0;                               // guarded by mutex

    void change(void (*edit)(LineSnapshot&)) {
        std::lock_guard lock(mutex);
        edit(snapshot);
    }
    int readCount() {
        std::lock_guard lock(mutex);
        return reads;
    }
};

class FakeLineStatus final : public ILineStatus {
public:
    explicit FakeLineStatus(std::shared_ptr<FakeLine> line) : m_line(std::move(line)) {}
    LineReadResult read(LineSnapshot& snapshot) override {
        std::lock_guard lock(m_line->mutex);
        ++m_line->reads;
        snapshot = m_line->snapshot;
        return m_line->result;
    }
    bool supported() const override { return true; }

private:
    std::shared_ptr<FakeLine> m_line;
};

class LineEventTest : public ::testing::Test {
protected:
    void SetUp() override {
        line->snapshot.haveCounts = true;
        line->snapshot.haveLines = true;
        comm.setCommName(pty.slavePath());
        record.attach(comm);
        comm.OpenPort();
        ASSERT_TRUE(waitFor([&] { return line->readCount() > 0; }));  // first reading taken
    }
    void TearDown() override {
        comm.ClosePort();
        poster.runPending();
    }
    bool waitFor(const std::function<bool()>& pred) { return test::waitFor(poster, pred); }

    QueuedPoster poster;
    test::Pty pty;
    std::shared_ptr<FakeLine> line = std::make_shared<FakeLine>();
    TComm comm{poster, [fake = line](int) { return std::make_unique<FakeLineStatus>(fake); }};
    test::Recorder record;
};

struct Change {
    const char* what;
    void (*edit)(LineSnapshot&);
    std::uint32_t errorFlags;
    std::uint32_t modemBits;
};

const Change kChanges[] = {
    {"frame", [](LineSnapshot& s) { ++s.frame; }, CE_FRAME, 0},
    {"parity", [](LineSnapshot& s) { ++s.parity; }, CE_RXPARITY, 0},
    {"overrun", [](LineSnapshot& s) { ++s.overrun; }, CE_OVERRUN, 0},
    {"break", [](LineSnapshot& s) { ++s.brk; }, CE_BREAK, 0},
    {"carrier", [](LineSnapshot& s) { s.carrier = !s.carrier; }, 0, 8},
    {"ring", [](LineSnapshot& s) { ++s.rng; }, 0, 4},
    {"carrier and ring",
     [](LineSnapshot& s) {
         ++s.dcd;
         ++s.rng;
     },
     0, 12},
};

TEST_F(LineEventTest, CounterChangesSeenAtAWakeUpBecomeNotifications) {
    for (const Change& c : kChanges) {
        record.errors.clear();
        record.modemEvents.clear();
        line->change(c.edit);
        pty.send({'w'});  // wakes the read thread
        ASSERT_TRUE(waitFor([&] { return !record.errors.empty() || !record.modemEvents.empty(); }))
            << c.what;
        if (c.errorFlags != 0) {
            EXPECT_EQ(record.errors, std::vector<std::uint32_t>{c.errorFlags}) << c.what;
        } else {
            EXPECT_TRUE(record.errors.empty()) << c.what;
        }
        if (c.modemBits != 0) {
            EXPECT_EQ(record.modemEvents, std::vector<std::uint32_t>{c.modemBits}) << c.what;
        } else {
            EXPECT_TRUE(record.modemEvents.empty()) << c.what;
        }
    }
}

TEST_F(LineEventTest, AnIdleLineIsLookedAtAboutOnceASecond) {
    const int readsBefore = line->readCount();
    line->change([](LineSnapshot& s) { s.frame += 2; });
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(waitFor([&] { return !record.errors.empty(); }));
    EXPECT_EQ(record.errors, std::vector<std::uint32_t>{CE_FRAME});
    EXPECT_LT(std::chrono::steady_clock::now() - start, 3s);
    EXPECT_LE(line->readCount() - readsBefore, 3);  // no busy polling
}

TEST_F(LineEventTest, AFailingLineStatusIsAHangup) {
    {
        std::lock_guard lock(line->mutex);
        line->result = LineReadResult::Gone;
    }
    pty.send({'w'});
    ASSERT_TRUE(waitFor([&] { return record.hangups == 1; }));
    // The read thread has ended; the write thread still writes.
    const std::uint8_t frame[] = {1, 2};
    EXPECT_TRUE(comm.WriteData(frame, 2));
    EXPECT_EQ(pty.receive(2, 5s), std::vector<std::uint8_t>(frame, frame + 2));
    comm.ClosePort();
    poster.runPending();
    EXPECT_EQ(record.hangups, 1);
}

}  // namespace
}  // namespace mc
