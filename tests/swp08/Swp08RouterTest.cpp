// SW-P-08 on a real session (its sender not started, so the frames it queues
// stay in its queue): requests as session steps, answers and tallies as the
// controllers receive them.

#include <gtest/gtest.h>

#include "FrameTestUtil.h"
#include "control/SessionTestUtil.h"
#include "control/SwitchingLayer.h"
#include "swp08/Swp08Link.h"
#include "swp08/Swp08Router.h"

namespace mc::swp08 {
namespace {

using test::Bytes;
using test::hexBytes;
using test::hexText;

// A controller on a link: what it sends is framed; what it receives is
// "ACK", "NAK" or a message's DATA in hex.
class Controller final : public IPeer {
public:
    Controller(Swp08Router& router, const char* owner) : link(router, owner, *this) {}
    void send(std::span<const std::uint8_t> bytes) override { decoder.feed(bytes, received); }
    void disconnect() override { ++disconnects; }
    std::vector<std::string> ask(const char* data) {
        link.receive(encodeMessage(hexBytes(data)));
        return take();
    }
    std::vector<std::string> take() {
        std::vector<std::string> out;
        for (const Decoded& d : received)
            out.push_back(d.kind == Decoded::Kind::PeerAck   ? "ACK"
                          : d.kind == Decoded::Kind::PeerNak ? "NAK"
                                                             : hexText(d.data));
        received.clear();
        return out;
    }

    Decoder decoder;
    std::vector<Decoded> received;
    int disconnects = 0;
    Swp08Link link;  // last: it registers with the router at once
};

using Lines = std::vector<std::string>;
using Frames = std::vector<Bytes>;

class Swp08RouterTest : public test::SessionTest {
protected:
    void begin(bool pattern) {
        useModel(8, 4, pattern);
        start();
        router = std::make_unique<Swp08Router>(*session);
        a = std::make_unique<Controller>(*router, "127.0.0.1");
        b = std::make_unique<Controller>(*router, "127.0.0.2");
        frames();
    }
    std::unique_ptr<Swp08Router> router;
    std::unique_ptr<Controller> a, b;
};

TEST_F(Swp08RouterTest, LevelsAreTheTablesAndConnectsAreSessionSteps) {
    begin(false);
    EXPECT_EQ(a->ask("61"), (Lines{"ACK", "62 00 00 01 02 15 61 64 66 81 82 95 E4 E6"}));
    EXPECT_EQ(a->ask("02 00 00 01 02"), (Lines{"ACK", "04 00 00 01 02"}));
    EXPECT_EQ(b->take(), Lines{"04 00 00 01 02"});
    // Level 1 while the operator is on video: audio alone, the layer put back.
    EXPECT_EQ(b->ask("82 00 01 00 01 00 05"), (Lines{"ACK", "84 00 01 00 01 00 05"}));
    EXPECT_EQ(a->take(), Lines{"04 01 00 01 05"}) << "each in its own form";
    EXPECT_EQ(frames(), (Frames{test::switchFrame(0x52, 2, 1), test::layerFrame(0x52, 2),
                                test::switchFrame(0x52, 5, 1), test::layerFrame(0x52, 1)}));
    EXPECT_EQ(a->ask("01 01 00 01"), (Lines{"ACK", "03 01 00 01 05"}));
    EXPECT_EQ(a->ask("15 00"), (Lines{"ACK", "17 00 04 00 00 03 FF 00 02 03 FF 03 FF"}));
    // 1023 closes; the same connect again, no change, still gets its 04.
    for (int twice = 0; twice < 2; ++twice) {
        EXPECT_EQ(a->ask("02 00 07 01 7F"), (Lines{"ACK", "04 00 07 01 7F"}));
        EXPECT_EQ(frames(), Frames{test::closeFrame(0x52, 1)});
    }
    // Another matrix or level, a port the matrix does not have: ACK only.
    for (const char* other : {"02 10 00 01 02", "02 02 00 01 02", "02 00 00 04 02",
                              "02 00 00 01 08", "81 00 00 00 04", "15 02", "E4 01 00 00"})
        EXPECT_EQ(a->ask(other), Lines{"ACK"}) << other;
    EXPECT_TRUE(frames().empty());
    EXPECT_EQ(b->take().size(), 2u) << "the two closes";
}

TEST_F(Swp08RouterTest, ChangesFromElsewhereReachEveryControllerAndLocksRefuse) {
    begin(false);
    a->ask("81 00 00 00 00");  // a uses the extended form from now on
    ASSERT_TRUE(session->chooseLayer(kLayerVideoAndAudio));
    ASSERT_TRUE(session->routeOutput("10.0.0.9", 3, 6));
    EXPECT_EQ(a->take(), (Lines{"84 00 00 00 03 00 06", "84 00 01 00 03 00 06"}));
    EXPECT_EQ(b->take(), (Lines{"04 00 00 03 06", "04 01 00 03 06"}));
    ASSERT_TRUE(session->lockOutput("10.0.0.9", 3, LockRequest::Lock));
    frames();
    EXPECT_EQ(b->ask("02 00 00 03 01"), (Lines{"ACK", "03 00 00 03 06"}));
    EXPECT_EQ(b->ask("82 00 01 00 03 00 01"), (Lines{"ACK", "83 00 01 00 03 00 06"}));
    EXPECT_TRUE(a->take().empty());
    EXPECT_TRUE(frames().empty());
    EXPECT_EQ(session->line().carried(LineLayer::Video, 3), Carried::routed(6));

    // Damaged messages are answered NAK; the controller's ACK is not answered.
    b->link.receive(hexBytes("10 02 01 00 00 01 04 FB 10 03 10 06"));
    EXPECT_EQ(b->take(), Lines{"NAK"});
    session->rebuild();
    EXPECT_EQ(a->disconnects + b->disconnects, 2);
}

TEST_F(Swp08RouterTest, NamesAreDisplayTextsAndRenamesFollowInTheLengthAsked) {
    begin(true);
    ASSERT_TRUE(session->setInputName("10.0.0.9", 1, "摄像机一号"));
    const Lines sources = a->ask("64 00 02");
    ASSERT_EQ(sources.size(), 2u);
    const Bytes names = hexBytes(sources[1]);
    EXPECT_EQ(hexText(Bytes(names.begin(), names.begin() + 6)), "6A 00 02 00 00 08");
    EXPECT_EQ(std::string(names.begin() + 6, names.begin() + 30), "1           摄像机一");
    EXPECT_EQ(a->ask("E4 00 00 00").size(), 2u);
    EXPECT_EQ(a->ask("64 01 00"), Lines{"ACK"}) << "no level 1 in pattern mode";
    EXPECT_EQ(a->ask("66 00 00"), (Lines{"ACK",
                                         "6B 00 00 00 00 04 31 20 20 20 32 20 20 20 33 20 "
                                         "20 20 34 20 20 20"}));
    ASSERT_TRUE(session->setOutputName("10.0.0.9", 2, "PGM"));
    ASSERT_TRUE(session->setInputName("10.0.0.9", 0, "Cam"));
    EXPECT_EQ(a->take(),
              (Lines{"6B 00 00 00 02 01 50 47 4D 20", "EA 00 00 00 00 00 01 43 61 6D 20"}));
    EXPECT_TRUE(b->take().empty()) << "b asked for no names";
}

}  // namespace
}  // namespace mc::swp08
