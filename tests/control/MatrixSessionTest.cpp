// The control session without any window: route requests, output locks and
// how the window's clicks, files and modes respect them, and the observers
// that hear of every change.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/ConfigTestUtil.h"
#include "config/IniFile.h"
#include "control/ControlTestUtil.h"
#include "control/MatrixSession.h"
#include "store/ModeStore.h"
#include "support/TestPty.h"

namespace mc::test {
namespace {

struct Recorder : ISessionObserver {
    void sessionChanged(const SessionChange& change) override {
        for (const RouteChange& route : change.routes)
            routes.push_back(route);
        locks.insert(locks.end(), change.locks.begin(), change.locks.end());
        inputs.insert(inputs.end(), change.inputNames.begin(), change.inputNames.end());
        builds += change.rebuilt ? 1 : 0;
    }
    std::vector<RouteChange> routes;
    std::vector<LockChange> locks;
    std::vector<NameChange> inputs;
    int builds = 0;
};

class Session : public ::testing::Test {
protected:
    Session() {
        paths.ensureConfigDir();
        iniWriteString(paths.mainConfigFile(), "Serial Port Map", "COM1", pty.slavePath());
        IniFile models(paths.modelConfigFile());
        models.writeInteger("DefaultMatrix", "MatrixInputNum", 8);
        models.writeInteger("DefaultMatrix", "MatrixOutputNum", 4);
        models.commit();
        session.attach(recorder);
        session.start();
        frames();  // the start-up frames
    }
    ~Session() override { session.detach(recorder); }

    std::vector<Bytes> frames() { return takeFrames(*session.commandQueue()); }

    TempDir dir;
    AppPaths paths{dir.path()};
    Pty pty;
    QueuedPoster poster;
    MatrixSession session{paths, poster, [] {
                              SessionOptions options;
                              options.startSender = false;
                              return options;
                          }()};
    Recorder recorder;
    const std::string window = MatrixSession::kWindowOwner;
};

TEST_F(Session, RouteRequestsSwitchAsATickDoesAndRefuseWhatDoesNotExist) {
    EXPECT_EQ(recorder.builds, 1);
    EXPECT_TRUE(session.routeOutput("127.0.0.2", 0, 3));
    EXPECT_EQ(frames(), std::vector<Bytes>{switchFrame(0x52, 3, 0)});
    EXPECT_TRUE(session.routeOutput("127.0.0.2", 0, 5));
    EXPECT_EQ(frames(), std::vector<Bytes>{switchFrame(0x52, 5, 0)});
    EXPECT_TRUE(session.routeOutput("127.0.0.2", 0, 5)) << "the same route is sent again";
    EXPECT_TRUE(session.routeOutput("127.0.0.2", 2, -1));
    EXPECT_EQ(frames(), (std::vector<Bytes>{switchFrame(0x52, 5, 0), closeFrame(0x52, 2)}));
    EXPECT_EQ(selectedOf(session.state(), 0), std::vector<std::int32_t>{5})
        << "the cycle output becomes exactly that one input";
    // The repeated route changes nothing; output 2 was never switched before.
    EXPECT_EQ(recorder.routes, (std::vector<RouteChange>{{0, -1, 3}, {0, 3, 5}, {2, -1, -1}}));

    // A second input on the cycle output: it carries no one input any more.
    ASSERT_TRUE(session.clickBox(0, 2, true));
    EXPECT_EQ(recorder.routes.back(), (RouteChange{0, 5, -1}));
    frames();

    EXPECT_FALSE(session.routeOutput("127.0.0.2", 4, 0));
    EXPECT_FALSE(session.routeOutput("127.0.0.2", 1, 8));
    EXPECT_FALSE(session.routeOutput("127.0.0.2", -1, 0));
    EXPECT_FALSE(session.routeOutput("127.0.0.2", 1, -2));
    EXPECT_TRUE(frames().empty());
}

TEST_F(Session, ABurstOfRouteRequestsLeavesOneWaitingFramePerOutput) {
    for (int n = 0; n < 1000; ++n)
        ASSERT_TRUE(session.routeOutput("127.0.0.2", 1, n % 2));
    ASSERT_TRUE(session.routeOutput("127.0.0.3", 2, 4));
    EXPECT_EQ(frames(), (std::vector<Bytes>{switchFrame(0x52, 1, 1), switchFrame(0x52, 4, 2)}));
}

TEST_F(Session, ALockedOutputRefusesEveryOtherOwner) {
    ASSERT_TRUE(session.lockOutput("127.0.0.2", 1, LockRequest::Lock));
    EXPECT_EQ(session.lockOwner(1), "127.0.0.2");
    EXPECT_FALSE(session.lockOutput("127.0.0.1", 1, LockRequest::Lock));
    EXPECT_FALSE(session.lockOutput("127.0.0.1", 1, LockRequest::Unlock));

    EXPECT_FALSE(session.routeOutput("127.0.0.1", 1, 2));
    EXPECT_FALSE(session.clickBox(1, 2, true));
    EXPECT_NE(session.note().find("127.0.0.2"), std::string::npos) << session.note();
    EXPECT_TRUE(frames().empty());
    EXPECT_TRUE(session.routeOutput("127.0.0.2", 1, 2)) << "the owner still switches";
    EXPECT_EQ(frames(), std::vector<Bytes>{switchFrame(0x52, 2, 1)});

    EXPECT_TRUE(session.lockOutput(window, 1, LockRequest::ForceUnlock));
    EXPECT_EQ(session.lockOwner(1), "");
    EXPECT_TRUE(session.clickBox(1, 4, true));
    EXPECT_EQ(recorder.locks, (std::vector<LockChange>{{1, "127.0.0.2"}, {1, ""}}))
        << "each lock change carries its owner after it";
}

TEST_F(Session, ModesSkipOutputsLockedByOthersAndSayHowMany) {
    ModeStore(paths.modeFile()).saveMode("Mode会议", {{0, 1}, {1, 2}, {3, 8}});
    ASSERT_TRUE(session.routeOutput("127.0.0.2", 1, 6));
    ASSERT_TRUE(session.lockOutput("127.0.0.2", 1, LockRequest::Lock));
    frames();
    const LoadOutcome outcome = session.applyMode("会议");
    EXPECT_EQ(outcome.applied, 2);
    EXPECT_EQ(outcome.locked, 1);
    EXPECT_EQ(frames(), (std::vector<Bytes>{switchFrame(0x52, 1, 0), closeFrame(0x52, 3)}));
    EXPECT_EQ(selectedOf(session.state(), 1), std::vector<std::int32_t>{6})
        << "the locked output keeps its route";
    EXPECT_NE(session.note().find("锁定"), std::string::npos) << session.note();
}

TEST_F(Session, LabelsAreNamesCutToTheFieldAndCloseSavesThem) {
    EXPECT_TRUE(session.setInputName("127.0.0.2", 7, "一二三四五六七八九十一二三四五六七八"));
    EXPECT_FALSE(session.setInputName("127.0.0.2", 8, "x"));
    EXPECT_EQ(session.state().InputNames()[7], "一二三四五六七八九十一二三四五六");
    const std::string cut = "一二三四五六七八九十一二三四五六";
    EXPECT_EQ(recorder.inputs, (std::vector<NameChange>{{7, cut, cut}}));
    session.close();
    EXPECT_EQ(iniReadString(paths.editListFile(), "MatrixInputStringList", "InputString7", ""),
              "一二三四五六七八九十一二三四五六");
    EXPECT_FALSE(session.hasState());
}

}  // namespace
}  // namespace mc::test
