// Closing TComm while idle, while its output is held by XOFF, and losing the
// device under it.

#include "PtyTestUtil.h"
#include "serial/SerialComm.h"

#include <gtest/gtest.h>

#include <chrono>
#include <vector>

namespace mc {
namespace {

using namespace std::chrono_literals;
using test::PtyCommTest;

// Every wait of both threads watches the close event, so closing never waits
// for a time-out; the bound is generous for loaded machines.
constexpr auto kQuickClose = 2s;

template <typename Fn>
std::chrono::steady_clock::duration timed(Fn fn) {
    const auto start = std::chrono::steady_clock::now();
    fn();
    return std::chrono::steady_clock::now() - start;
}

TEST_F(PtyCommTest, ClosingAnIdlePortEndsBothThreadsQuickly) {
    comm.OpenPort();
    ASSERT_TRUE(waitFor([&] { return record.empties == 1; }));
    EXPECT_LT(timed([&] { comm.ClosePort(); }), kQuickClose);
    EXPECT_FALSE(comm.isOpen());
    EXPECT_TRUE(comm.outputIdle());
    poster.runPending();
    EXPECT_EQ(record.hangups, 0);  // a close is no hang-up
}

TEST_F(PtyCommTest, ClosingWhileOutputIsHeldByXoffEndsQuicklyAndDropsTheData) {
    comm.OpenPort();
    pty.send({0x13, 'M'});  // XOFF, then a marker that shows it was taken in
    ASSERT_TRUE(waitFor([&] { return record.allBytes() == std::vector<std::uint8_t>{'M'}; }));
    std::vector<std::uint8_t> block(1000, 0x55);
    ASSERT_TRUE(comm.WriteData(block.data(), static_cast<std::uint16_t>(block.size())));
    ASSERT_TRUE(comm.WriteData(block.data(), 10));
    EXPECT_FALSE(comm.outputIdle());

    EXPECT_LT(timed([&] { comm.ClosePort(); }), kQuickClose);
    EXPECT_TRUE(comm.outputIdle());
    EXPECT_TRUE(pty.receive(1, 200ms).empty());

    // Opening again starts afresh: output flows.
    comm.OpenPort();
    const std::uint8_t frame[] = {1, 2, 3};
    ASSERT_TRUE(comm.WriteData(frame, 3));
    EXPECT_EQ(pty.receive(3, 5s), std::vector<std::uint8_t>(frame, frame + 3));
}

TEST_F(PtyCommTest, DeviceGoneGivesOneHangupAndEndsTheWriter) {
    comm.OpenPort();
    ASSERT_TRUE(waitFor([&] { return record.empties == 1; }));
    pty.closeMaster();
    ASSERT_TRUE(waitFor([&] { return record.hangups > 0; }));
    const std::uint8_t byte = 0x42;
    EXPECT_TRUE(waitFor([&] { return !comm.WriteData(&byte, 1); }));
    EXPECT_TRUE(comm.isOpen());  // formally open until ClosePort
    EXPECT_LT(timed([&] { comm.ClosePort(); }), kQuickClose);
    poster.runPending();
    EXPECT_EQ(record.hangups, 1);
}

TEST_F(PtyCommTest, DeviceGoneWhileWritingGivesOneHangup) {
    comm.OpenPort();
    pty.send({0x13, 'M'});
    ASSERT_TRUE(waitFor([&] { return record.allBytes() == std::vector<std::uint8_t>{'M'}; }));
    const std::uint8_t frame[] = {1, 2, 3, 4, 5, 6, 7};
    ASSERT_TRUE(comm.WriteData(frame, sizeof frame));  // held by XOFF
    pty.closeMaster();
    EXPECT_TRUE(waitFor([&] { return !comm.WriteData(frame, sizeof frame); }));
    comm.ClosePort();
    poster.runPending();
    EXPECT_EQ(record.hangups, 1);
}

TEST_F(PtyCommTest, APortCanBeOpenedAgainAfterItsDeviceWentAway) {
    comm.OpenPort();
    pty.closeMaster();
    ASSERT_TRUE(waitFor([&] { return record.hangups == 1; }));
    comm.ClosePort();

    test::Pty other;
    comm.setCommName(other.slavePath());
    comm.OpenPort();
    const std::uint8_t frame[] = {9, 8, 7};
    ASSERT_TRUE(comm.WriteData(frame, 3));
    EXPECT_EQ(other.receive(3, 5s), std::vector<std::uint8_t>(frame, frame + 3));
    other.closeMaster();
    ASSERT_TRUE(waitFor([&] { return record.hangups == 2; }));  // one per opening
}

}  // namespace
}  // namespace mc
