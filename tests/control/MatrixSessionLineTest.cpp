// The line: what the device carries per layer, as the frames queued say; what
// clients, undo, take and the resend read; kept across a restart.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "control/Line.h"
#include "control/SessionTestUtil.h"
#include "control/SwitchingLayer.h"
#include "store/ModeStore.h"

namespace mc::test {
namespace {

TEST(Line, FramesActOnTheLayersTheDeviceIsOnAtThatPointOfTheQueue) {
    Line line;
    line.reset(4, false);
    line.frameQueued(switchFrame(0x52, 3, 1), 1, 10);  // no layer yet: video
    line.frameQueued(layerFrame(0x52, 2), -1, 11);
    line.frameQueued(switchFrame(0x52, 2, 1), 1, 12);
    line.frameQueued(layerFrame(0x52, 3), -1, 13);
    line.frameQueued(closeFrame(0x52, 2), 2, 14);
    line.frameQueued(cycleFrame(0x52, {2, 3}, 5), 0, 15);
    line.frameQueued(onOffFrame(0x52), -1, 16);
    EXPECT_EQ(line.carried(LineLayer::Video, 1), Carried::routed(3));
    EXPECT_EQ(line.carried(LineLayer::Audio, 1), Carried::routed(2));
    EXPECT_EQ(line.carried(LineLayer::Video, 2), Carried::closed());
    EXPECT_EQ(line.carried(LineLayer::Audio, 2), Carried::closed());
    EXPECT_EQ(line.carried(LineLayer::Audio, 0), Carried::cycling({2, 3}, 5));
    EXPECT_FALSE(line.carried(LineLayer::Video, 3).known());
    EXPECT_EQ(line.entry(LineLayer::Audio, 2).changedAt, 14);
    const std::vector<LineChange> changes = line.takeChanges();
    ASSERT_EQ(changes.size(), 6u) << "each entry once";
    EXPECT_EQ(changes[0].layer, LineLayer::Video);
    EXPECT_EQ(changes[0].to, Carried::routed(3));

    line.frameQueued(closeFrame(0x52, 3), 3, 17);
    line.frameQueued(layerFrame(0x52, 1), -1, 18);
    line.frameQueued(switchFrame(0x52, 3, 1), 1, 19);  // as it was
    ASSERT_EQ(line.takeChanges().size(), 2u) << "an entry set to what it was is no change";

    line.reset(2, true);
    line.frameQueued(layerFrame(0x52, 2), -1, 20);
    line.frameQueued(switchFrame(0x52, 1, 0), 0, 21);
    EXPECT_EQ(line.layers(), std::vector<LineLayer>{LineLayer::All});
    EXPECT_EQ(line.carried(LineLayer::All, 0), Carried::routed(1)) << "one table, any layer";
}

using SessionLine = SessionTest;

TEST_F(SessionLine, AnAudioRouteIsAudioOnlyAndTheResendPutsBothTablesBack) {
    useModel(8, 4);
    start();
    ASSERT_TRUE(session->clickBox(1, 2, true));  // video
    ASSERT_TRUE(session->chooseLayer(kLayerAudio));
    ASSERT_TRUE(session->clickBox(1, 5, true));
    ASSERT_TRUE(session->clickBox(3, 8, true));  // closed on audio
    ASSERT_TRUE(session->chooseLayer(kLayerVideoAndAudio));
    ASSERT_TRUE(session->clickBox(2, 4, true));
    ASSERT_TRUE(session->chooseLayer(kLayerAudio));
    const SessionChange& last = events.changes.back();
    EXPECT_TRUE(last.routes.empty()) << "a layer choice changes no route";
    const Line& line = session->line();
    EXPECT_EQ(line.carried(LineLayer::Video, 1), Carried::routed(2));
    EXPECT_EQ(line.carried(LineLayer::Audio, 1), Carried::routed(5));
    frames();

    ASSERT_TRUE(session->resendCurrentState());
    EXPECT_EQ(frames(),
              (std::vector<Bytes>{onOffFrame(0x52), layerFrame(0x52, 3), switchFrame(0x52, 4, 2),
                                  layerFrame(0x52, 1), switchFrame(0x52, 2, 1), layerFrame(0x52, 2),
                                  switchFrame(0x52, 5, 1), closeFrame(0x52, 3)}))
        << "equal outputs under both, the rest under their own layer, ending on the operator's";

    // A router-protocol client routes video while the operator is on audio.
    ASSERT_TRUE(session->routeOutput("127.0.0.2", 0, 6, RouteLayer::VideoSide));
    EXPECT_EQ(frames(), (std::vector<Bytes>{layerFrame(0x52, 1), switchFrame(0x52, 6, 0),
                                            layerFrame(0x52, 2)}));
    EXPECT_EQ(events.changes.back().routes,
              (std::vector<RouteChange>{{LineLayer::Video, 0, {}, Carried::routed(6)}}));

    // Audio aside while the operator is on video; on both, both tables follow.
    ASSERT_TRUE(session->chooseLayer(kLayerVideo));
    frames();
    ASSERT_TRUE(session->routeOutput("127.0.0.2", 0, 3, RouteLayer::AudioSide));
    EXPECT_EQ(frames(), (std::vector<Bytes>{layerFrame(0x52, 2), switchFrame(0x52, 3, 0),
                                            layerFrame(0x52, 1)}));
    ASSERT_TRUE(session->chooseLayer(kLayerVideoAndAudio));
    ASSERT_TRUE(session->routeOutput("127.0.0.2", 0, 1, RouteLayer::AudioSide));
    EXPECT_EQ(events.changes.back().routes.size(), 2u);
}

TEST_F(SessionLine, ANewModeClearsTheTicksOnlyAndUndoStillWorks) {
    useModel(8, 4);
    start();
    ASSERT_TRUE(session->clickBox(1, 2, true));
    ASSERT_TRUE(session->clickBox(1, 3, true));
    frames();
    session->newMode();
    EXPECT_TRUE(events.changes.back().routes.empty()) << "clients see no change";
    EXPECT_EQ(session->line().carried(LineLayer::Video, 1), Carried::routed(3));
    ASSERT_TRUE(session->undo());
    EXPECT_EQ(frames(), std::vector<Bytes>{switchFrame(0x52, 2, 1)});
    EXPECT_EQ(session->line().carried(LineLayer::Video, 1), Carried::routed(2));
}

TEST_F(SessionLine, TakeOnTheCycleOutputSendsARouteNotACycle) {
    useModel(8, 4);
    start();
    ASSERT_TRUE(session->clickBox(0, 2, true));
    ASSERT_TRUE(session->setTakeMode(MatrixSession::kWindowOwner, true));
    ASSERT_TRUE(session->clickBox(0, 3, true));
    frames();
    ASSERT_TRUE(session->take());
    EXPECT_EQ(frames(), std::vector<Bytes>{switchFrame(0x52, 3, 0)});
}

TEST_F(SessionLine, IsKeptAcrossARestartAsLastKnownUnlessItDoesNotFit) {
    useModel(8, 4);
    start();
    ASSERT_TRUE(session->clickBox(2, 5, true));
    ASSERT_TRUE(session->clickBox(3, 8, true));
    ASSERT_TRUE(session->clickBox(1, 4, true));
    frames();  // on the line; output 1's next frame is still waiting at close
    ASSERT_TRUE(session->clickBox(1, 6, true));
    session->close();
    start();
    EXPECT_FALSE(session->line().carried(LineLayer::Video, 1).known()) << "never left";
    const LineEntry& restored = session->line().entry(LineLayer::Video, 2);
    EXPECT_EQ(restored.carried, Carried::routed(5));
    EXPECT_TRUE(restored.lastKnown);
    EXPECT_EQ(session->line().carried(LineLayer::Video, 3), Carried::closed());
    EXPECT_FALSE(session->line().entry(LineLayer::Audio, 2).carried.known());
    session->resendCurrentState();
    EXPECT_FALSE(session->line().entry(LineLayer::Video, 3).lastKnown);
    const auto& confirmed = events.changes.back().confirmed;
    EXPECT_NE(std::find(confirmed.begin(), confirmed.end(), std::make_pair(LineLayer::Video, 3)),
              confirmed.end())
        << "sent again as it was: no route change, but known now";
    ASSERT_TRUE(session->clickBox(2, 6, true));
    EXPECT_FALSE(session->line().entry(LineLayer::Video, 2).lastKnown);
    session->close();

    const std::string file = paths.configFile("MatrixLine.json");
    std::ifstream in(file);
    const std::string stored((std::istreambuf_iterator<char>(in)), {});
    useModel(8, 5);  // another output count
    start();
    EXPECT_FALSE(session->line().carried(LineLayer::Video, 2).known());
    std::ifstream bad(file + ".bad");
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(bad)), {}), stored)
        << "kept byte for byte";
}

}  // namespace
}  // namespace mc::test
