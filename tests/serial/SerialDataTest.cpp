// Data through TComm on a pseudo-terminal, both directions, with the read
// thread's block framing and XON/XOFF flow control.

#include "PtyTestUtil.h"
#include "serial/SerialComm.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>

namespace mc {
namespace {

using namespace std::chrono_literals;
using test::PtyCommTest;

constexpr std::uint8_t kXon = 0x11;
constexpr std::uint8_t kXoff = 0x13;

TEST_F(PtyCommTest, EveryByteValueWrittenArrivesUnchanged) {
    comm.OpenPort();
    const std::vector<std::uint8_t> bytes = test::allByteValues();
    ASSERT_TRUE(comm.WriteData(bytes.data(), static_cast<std::uint16_t>(bytes.size())));
    EXPECT_EQ(pty.receive(bytes.size(), 5s), bytes);
    // The write thread reports that it has run empty, and OutputIdle follows.
    const int emptiesBefore = record.empties;
    EXPECT_TRUE(waitFor([&] { return record.empties > emptiesBefore && comm.outputIdle(); }));
}

TEST_F(PtyCommTest, BlocksAreWrittenInTheOrderHandedOver) {
    comm.OpenPort();
    std::vector<std::uint8_t> expected;
    for (std::uint8_t i = 0; i < 50; ++i) {
        const std::uint8_t frame[] = {0xEB, i, 0x02, 0x02, i, static_cast<std::uint8_t>(i + 1)};
        ASSERT_TRUE(comm.WriteData(frame, sizeof frame));
        expected.insert(expected.end(), frame, frame + sizeof frame);
    }
    EXPECT_EQ(pty.receive(expected.size(), 5s), expected);
}

TEST_F(PtyCommTest, BytesFromTheDeviceArriveUnchangedExceptFlowControl) {
    comm.OpenPort();
    const std::vector<std::uint8_t> sent = test::allByteValues();
    pty.send(sent);
    std::vector<std::uint8_t> expected;
    std::copy_if(sent.begin(), sent.end(), std::back_inserter(expected),
                 [](std::uint8_t b) { return b != kXon && b != kXoff; });
    ASSERT_TRUE(waitFor([&] { return record.allBytes().size() >= expected.size(); }));
    EXPECT_EQ(record.allBytes(), expected);
    EXPECT_FALSE(record.trailingZeroMissing);
}

TEST_F(PtyCommTest, XoffFromTheDeviceHoldsOutputUntilXon) {
    comm.OpenPort();
    // The marker after XOFF shows that the port has taken the XOFF in.
    pty.send({kXoff, 'M'});
    ASSERT_TRUE(waitFor([&] { return record.allBytes() == std::vector<std::uint8_t>{'M'}; }));

    const std::uint8_t frame[] = {'h', 'e', 'l', 'd'};
    ASSERT_TRUE(comm.WriteData(frame, sizeof frame));
    EXPECT_TRUE(pty.receive(1, 300ms).empty());
    EXPECT_FALSE(comm.outputIdle());

    pty.send({kXon});
    EXPECT_EQ(pty.receive(sizeof frame, 5s), std::vector<std::uint8_t>(frame, frame + 4));
    EXPECT_TRUE(waitFor([&] { return comm.outputIdle(); }));
}

TEST_F(PtyCommTest, ABurstArrivesInBlocksOfAtMost2048InOrder) {
    comm.OpenPort();
    std::vector<std::uint8_t> burst(5000);
    for (std::size_t i = 0; i < burst.size(); ++i) {
        burst[i] = static_cast<std::uint8_t>(0x20 + i % 95);  // printable: no XON/XOFF
    }
    pty.send(burst);
    ASSERT_TRUE(waitFor([&] { return record.allBytes().size() >= burst.size(); }));
    EXPECT_EQ(record.allBytes(), burst);
    EXPECT_GE(record.blocks.size(), 3u);
    for (const auto& block : record.blocks) {
        EXPECT_GT(block.size(), 0u);
        EXPECT_LE(block.size(), 2048u);
    }
    EXPECT_FALSE(record.trailingZeroMissing);
}

TEST_F(PtyCommTest, ASilenceLongerThanTheReadIntervalEndsABlock) {
    comm.OpenPort();
    pty.send({'o', 'n', 'e'});
    ASSERT_TRUE(waitFor([&] { return record.blocks.size() == 1; }));
    pty.send({'t', 'w', 'o'});
    ASSERT_TRUE(waitFor([&] { return record.blocks.size() == 2; }));
    EXPECT_EQ(record.blocks[0], (std::vector<std::uint8_t>{'o', 'n', 'e'}));
    EXPECT_EQ(record.blocks[1], (std::vector<std::uint8_t>{'t', 'w', 'o'}));
}

TEST_F(PtyCommTest, BytesCloserThanTheReadIntervalShareABlock) {
    comm.OpenPort();
    comm.setReadIntervalTimeout(1000);  // applied to the open port at once
    const auto start = std::chrono::steady_clock::now();
    pty.send({'a', 'b'});
    std::this_thread::sleep_for(50ms);  // shapes the input; synchronises nothing
    const auto lastSent = std::chrono::steady_clock::now();
    pty.send({'c', 'd'});
    ASSERT_TRUE(waitFor([&] { return !record.blocks.empty(); }));
    const auto delivered = std::chrono::steady_clock::now();
    ASSERT_EQ(record.blocks.size(), 1u);
    EXPECT_EQ(record.blocks[0], (std::vector<std::uint8_t>{'a', 'b', 'c', 'd'}));
    // Handed over only once the interval had passed after the last byte.
    EXPECT_GE(delivered - lastSent, 1000ms);
    EXPECT_LT(delivered - start, 4000ms);
}

TEST_F(PtyCommTest, ReceivedBufferHasExactLengthAndATrailingZero) {
    comm.OpenPort();
    std::vector<std::uint16_t> lengths;
    bool zeroAfterBytes = false;
    comm.OnReceiveData = [&](TComm& sender, const std::uint8_t* buffer, std::uint16_t length) {
        EXPECT_EQ(&sender, &comm);
        lengths.push_back(length);
        zeroAfterBytes = std::equal(buffer, buffer + length, "xyz") && buffer[length] == 0;
    };
    pty.send({'x', 'y', 'z'});
    ASSERT_TRUE(waitFor([&] { return !lengths.empty(); }));
    EXPECT_EQ(lengths, std::vector<std::uint16_t>{3});
    EXPECT_TRUE(zeroAfterBytes);
}

TEST_F(PtyCommTest, DataWithoutHandlerIsDiscarded) {
    comm.OnReceiveData = nullptr;
    comm.OpenPort();
    ASSERT_TRUE(waitFor([&] { return record.empties == 1; }));  // the write thread's first report
    pty.send({'a', 'b', 'c'});
    // The notification is posted and runs (freeing its buffer) with no handler.
    ASSERT_TRUE(test::waitForPending(poster, 1));
    EXPECT_EQ(poster.runPending(), 1);
    EXPECT_TRUE(record.blocks.empty());
}

TEST(TCommLifetime, NotificationsQueuedForADestroyedComponentAreSkipped) {
    QueuedPoster poster;
    test::Pty pty;
    bool handlerRan = false;
    {
        TComm comm(poster);
        comm.setCommName(pty.slavePath());
        comm.OnReceiveData = [&](TComm&, const std::uint8_t*, std::uint16_t) { handlerRan = true; };
        comm.OnSendDataEmpty = [&](TComm&) { handlerRan = true; };
        comm.OpenPort();
        pty.send({'l', 'a', 't', 'e'});
        ASSERT_TRUE(test::waitForPending(poster, 2));  // NotifyEmpty, NotifyData
    }  // destroyed while its notifications wait; the destructor closes the port
    EXPECT_GE(poster.runPending(), 2);
    EXPECT_FALSE(handlerRan);
}

}  // namespace
}  // namespace mc
