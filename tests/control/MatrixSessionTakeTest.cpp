// Take mode: clicks, modes and status files stage routes; take sends them as
// one step, clear drops them.

#include <gtest/gtest.h>

#include "control/SessionTestUtil.h"
#include "control/SwitchingLayer.h"
#include "store/ModeStore.h"

namespace mc::test {
namespace {

class SessionTake : public SessionTest {
protected:
    void SetUp() override {
        useModel(8, 4, true);
        start();
        ASSERT_TRUE(session->clickBox(1, 2, true));
        frames();
        session->setTakeMode(MatrixSession::kWindowOwner, true);
    }
};
using Staged = std::map<std::int32_t, std::int32_t>;

TEST_F(SessionTake, ClicksStageAndTakeSendsThemInNodeOrderAsOneStep) {
    EXPECT_EQ(config("System config", "TakeMode"), "1");
    ASSERT_TRUE(session->clickBox(3, 4, true));
    ASSERT_TRUE(session->clickBox(0, 8, true));   // the close box
    ASSERT_TRUE(session->clickBox(1, 2, false));  // the route output 1 has: nothing
    ASSERT_TRUE(session->clickBox(2, 5, true));
    ASSERT_TRUE(session->clickBox(2, 5, false));  // again: unstaged
    EXPECT_EQ(session->staged(), (Staged{{0, 8}, {3, 4}}));
    EXPECT_TRUE(frames().empty());
    EXPECT_EQ(selectedOf(state(), 3), std::vector<std::int32_t>{});
    ASSERT_TRUE(session->routeOutput("127.0.0.2", 2, 6)) << "the network is never staged";
    EXPECT_EQ(frames(), std::vector<Bytes>{switchFrame(0x52, 6, 2)});

    ASSERT_TRUE(session->lockOutput("127.0.0.2", 0, LockRequest::Lock));
    ASSERT_TRUE(session->take());
    EXPECT_EQ(frames(), std::vector<Bytes>{switchFrame(0x52, 4, 3)});
    EXPECT_NE(session->note().find("输出 1"), std::string::npos) << session->note();
    EXPECT_TRUE(session->staged().empty());
    EXPECT_EQ(Journal::readLatest(paths.configDir(), 1).at(0).action, "take");
    ASSERT_TRUE(session->undo());
    EXPECT_EQ(frames(), std::vector<Bytes>{closeFrame(0x52, 3)});
}

TEST_F(SessionTake, AModeStagesWhatItWouldChangeAndLeavingTakeModeDropsIt) {
    ModeStore(paths.modeFile()).saveMode("Mode会议", {{0, 1}, {1, 2}, {2, 3}});
    const LoadOutcome outcome = session->applyMode("会议");
    EXPECT_EQ(outcome.applied, 2);
    EXPECT_EQ(session->staged(), (Staged{{0, 1}, {2, 3}})) << "output 1 shows input 2 already";
    EXPECT_TRUE(frames().empty());
    ASSERT_TRUE(session->take());
    EXPECT_EQ(frames(), (std::vector<Bytes>{switchFrame(0x52, 1, 0), switchFrame(0x52, 3, 2)}));

    ASSERT_TRUE(session->clickBox(3, 4, true));
    session->clearStaged();
    EXPECT_TRUE(session->staged().empty());
    ASSERT_TRUE(session->clickBox(3, 4, true));
    session->setTakeMode(MatrixSession::kWindowOwner, false);
    EXPECT_TRUE(session->staged().empty());
    EXPECT_EQ(config("System config", "TakeMode"), "0");
    ASSERT_TRUE(session->clickBox(3, 4, true));
    EXPECT_EQ(frames(), std::vector<Bytes>{switchFrame(0x52, 4, 3)});
}

using SessionTakeAs = SessionTest;

TEST_F(SessionTakeAs, AStoredCycleIsTakenAsACycleAndAStagedLayerAsThatLayer) {
    useModel(8, 4);
    start();
    ASSERT_TRUE(session->chooseLayer(kLayerVideo));
    ModeStore(paths.modeFile()).saveMode("Mode轮切", {{0, 2}, {0, 3}});
    ASSERT_TRUE(session->setTakeMode(MatrixSession::kWindowOwner, true));
    EXPECT_EQ(session->applyMode("轮切").applied, 1);
    EXPECT_EQ(session->stagedCycle(), (std::vector<std::int32_t>{2, 3}));
    ASSERT_TRUE(session->stageRoute("127.0.0.2", 2, 5, RouteLayer::Audio));
    EXPECT_EQ(session->stagedRoutes(), (Staged{{0, 2}, {2, 5}}));
    frames();
    ASSERT_TRUE(session->take());
    const std::vector<Bytes> sent = frames();
    ASSERT_EQ(sent.size(), 4u);
    EXPECT_EQ(sent[1], layerFrame(0x52, kLayerAudio));
    EXPECT_EQ(sent[2], switchFrame(0x52, 5, 2));
    EXPECT_EQ(sent[3], layerFrame(0x52, kLayerVideo));
    const Carried& cycle = session->line().carried(LineLayer::Video, 0);
    EXPECT_EQ(cycle.kind, Carried::Kind::Cycle);
    EXPECT_EQ(cycle.inputs, (std::vector<std::int32_t>{2, 3}));
    EXPECT_EQ(session->line().carried(LineLayer::Audio, 2), Carried::routed(5));
    EXPECT_FALSE(session->line().carried(LineLayer::Video, 2).known());
}

}  // namespace
}  // namespace mc::test
