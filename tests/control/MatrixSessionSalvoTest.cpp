// Salvos from network and web clients never build a backlog on the line:
// whatever frames a client's steps queue (routes, takes, modes, the layer),
// an output has at most one of them waiting, the newest.

#include <gtest/gtest.h>

#include "control/SessionTestUtil.h"
#include "control/SwitchingLayer.h"

namespace mc::test {
namespace {

using SessionSalvo = SessionTest;

TEST_F(SessionSalvo, AClientsFramesReplaceItsWaitingOnesOfTheSameOutput) {
    useModel(8, 4);
    start();
    // Two modes, saved in the window: one routes outputs 1 and 2, the other
    // outputs 1 and 3.
    for (const auto& [name, output] : {std::pair{"A", 2}, std::pair{"B", 3}}) {
        session->newMode();
        session->clickBox(1, 1, true);
        session->clickBox(output, 2, true);
        prompts.modeNames.push_back(std::string("Mode") + name);
        ASSERT_TRUE(session->saveMode());
    }
    frames();

    const std::string client = "127.0.0.2";
    for (int k = 0; k < 100; ++k) {
        ASSERT_TRUE(session->applyMode(k % 2 ? "A" : "B", client).done());
        ASSERT_TRUE(session->setTakeMode(client, true));
        ASSERT_TRUE(session->stageRoute(client, 0, k % 8));
        ASSERT_TRUE(session->take(client));
        ASSERT_TRUE(session->setTakeMode(client, false));
        ASSERT_TRUE(session->routeOutput(client, 1, k % 8));
    }
    ASSERT_TRUE(session->routeOutput("127.0.0.3", 3, 5));
    // Outputs 1, 3, 0 and 2 in the order they first waited, each with its
    // newest route; the other client's route took the place of output 3's.
    EXPECT_EQ(frames(), (std::vector<Bytes>{switchFrame(0x52, 3, 1), switchFrame(0x52, 5, 3),
                                            switchFrame(0x52, 3, 0), switchFrame(0x52, 2, 2)}));

    // The window's clicks are never replaced, and a client's frame does not
    // take the place of one queued before a click of its output.
    session->clickBox(2, 1, true);
    session->clickBox(2, 3, true);
    ASSERT_TRUE(session->routeOutput(client, 2, 3));
    ASSERT_TRUE(session->routeOutput(client, 2, 4));
    EXPECT_EQ(frames(), (std::vector<Bytes>{switchFrame(0x52, 1, 2), switchFrame(0x52, 3, 2),
                                            switchFrame(0x52, 4, 2)}));
}

TEST_F(SessionSalvo, AClientsLayerFramesReplaceTheWaitingOneUntilAnotherFrameFollowsIt) {
    useModel(8, 4);
    start();
    frames();
    const std::string client = "127.0.0.2";
    for (int k = 0; k < 30; ++k)
        ASSERT_TRUE(session->chooseLayer(1 + k % 3, client));
    const auto layers = frames();
    ASSERT_EQ(layers.size(), 1u);
    EXPECT_EQ(layers.front()[4], 3) << "the newest layer";

    // A route aside from the operator's layer brings layer frames no later
    // request can replace: the clients' next one waits until it has left.
    ASSERT_TRUE(session->chooseLayer(kLayerVideo));
    frames();
    ASSERT_TRUE(session->routeOutput(client, 1, 2, RouteLayer::Audio));
    EXPECT_EQ(session->routeOutput("127.0.0.3", 2, 2, RouteLayer::Audio).refusal, Refusal::Waiting);
    EXPECT_TRUE(session->routeOutput(client, 2, 2)) << "on the operator's layer";
    EXPECT_EQ(frames().size(), 4u);
    EXPECT_TRUE(session->routeOutput("127.0.0.3", 2, 2, RouteLayer::Audio));
}

}  // namespace
}  // namespace mc::test
