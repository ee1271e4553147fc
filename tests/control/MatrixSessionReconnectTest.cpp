// The session with a device that goes and comes back (a symbolic link
// re-pointed to a new pseudo-terminal after a hang-up stands for an adapter
// plugged in again) and what is queued again then, resending the current
// state, and the speed shown.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "control/SessionTestUtil.h"
#include "control/SwitchingLayer.h"

namespace mc::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// A session whose COM1 is a symbolic link to the pseudo-terminal, as
// /dev/serial/by-id names an adapter; the port's report lines are kept.
class SessionReconnect : public ::testing::Test, public ProgramFolder {
protected:
    SessionReconnect() {
        fs::create_symlink(pty.slavePath(), link);
        setConfig("Serial Port Map", "COM1", link.string());
        useModel(4, 4, true);
    }
    ~SessionReconnect() override {
        if (session) session->detach(events);
    }
    void start(SessionOptions options) {
        options.portLog = [this](const std::string& line) { log.push_back(line); };
        session = std::make_unique<MatrixSession>(paths, poster, options);
        session->attach(events);
        session->start();
    }
    // Runs the posted work until the port is in `state`; true when that was
    // reported, within 10 s.
    bool reaches(PortState state) {
        const int before = events.portStates;
        for (auto end = std::chrono::steady_clock::now() + 10s;
             std::chrono::steady_clock::now() < end; std::this_thread::sleep_for(1ms)) {
            poster.runPending();
            if (session->portStatus().state == state) return events.portStates > before;
        }
        return false;
    }
    // The device is plugged in again: the link points to a new terminal.
    void plugBack() {
        fs::create_symlink(plugged.slavePath(), fs::path(dir.path()) / "new-link");
        fs::rename(fs::path(dir.path()) / "new-link", link);
    }

    const fs::path link = fs::path(dir.path()) / "usb-Test_Adapter_0001-if00-port0";
    Pty plugged;
    QueuedPoster poster;
    SessionEvents events;
    std::vector<std::string> log;
    std::unique_ptr<MatrixSession> session;
};

TEST_F(SessionReconnect, APluggedBackDeviceIsOpenAgainAndTakesTheNextClick) {
    start({});
    EXPECT_EQ(pty.receive(onOffFrame(0x52).size(), 5s), onOffFrame(0x52));

    pty.closeMaster();
    ASSERT_TRUE(reaches(PortState::Lost));
    plugBack();
    ASSERT_TRUE(reaches(PortState::Open));
    EXPECT_EQ(session->note(), "串口已重新连接");
    EXPECT_EQ(events.presences,
              (std::vector<PortState>{PortState::Open, PortState::Lost, PortState::Open}))
        << "the device's coming and going, once each, apart from the queue's figures";

    ASSERT_TRUE(session->clickBox(1, 2, true));
    EXPECT_EQ(plugged.receive(switchFrame(0x52, 2, 1).size(), 5s), switchFrame(0x52, 2, 1));
    ASSERT_EQ(log.size(), 2u);
    EXPECT_NE(log[0].find("hang-up"), std::string::npos) << log[0];
    EXPECT_NE(log[1].find("reconnected"), std::string::npos) << log[1];
}

TEST_F(SessionReconnect, RoutesChangedWhileAwayOrWaitingAreQueuedAgainInNodeOrder) {
    start(SessionOptions::queueOnly());
    ASSERT_TRUE(session->clickBox(3, 0, true));
    takeFrames(*session->commandQueue());        // sent before the hang-up
    ASSERT_TRUE(session->clickBox(0, 3, true));  // still waiting at the hang-up
    pty.closeMaster();
    ASSERT_TRUE(reaches(PortState::Lost));
    ASSERT_TRUE(session->routeOutput("127.0.0.2", 2, 1));
    takeFrames(*session->commandQueue());        // handed to the dead port
    ASSERT_TRUE(session->clickBox(1, 1, true));  // still waiting when it comes back
    plugBack();
    ASSERT_TRUE(reaches(PortState::Open));
    EXPECT_EQ(takeFrames(*session->commandQueue()),
              (std::vector<Bytes>{switchFrame(0x52, 1, 1), switchFrame(0x52, 3, 0),
                                  switchFrame(0x52, 1, 2)}));
    EXPECT_EQ(session->note(), "串口已重新连接，已重发 2 项");
    EXPECT_NE(log.back().find("resent 2 items"), std::string::npos) << log.back();
}

using SessionResend = SessionTest;

TEST_F(SessionResend, SendsStartUpLayerAndSelectionInNodeOrder) {
    useModel(6, 4, false, 0x52, 0x10);
    setConfig("System config", "VideoOrAudio", "2");
    start();
    for (auto [row, column] : {std::pair{0, 1}, {0, 3}, {2, 4}, {3, 6}})
        ASSERT_TRUE(session->clickBox(row, column, true));
    frames();
    ASSERT_TRUE(session->resendCurrentState());
    const std::vector<Bytes> expected = {onOffFrame(0x52),
                                         onOffFrame(0x10),
                                         setAddressFrame(0x52, 0x10),
                                         layerFrame(0x10, kLayerAudio),
                                         cycleFrame(0x10, {1, 3}, 1),
                                         switchFrame(0x10, 4, 2),
                                         closeFrame(0x10, 3)};
    EXPECT_EQ(frames(), expected);
    EXPECT_EQ(state().selectedNodes().size(), 4u);
}

TEST_F(SessionResend, PatternModeSendsNoLayerAndAZeroSpeedIsShownAsTheSpeedSet) {
    useModel(3, 2, true);
    setConfig("Serial Commucation Set", "PortBandRate", "0");
    start();
    EXPECT_EQ(session->portStatus().baudRate, 9600u);
    EXPECT_EQ(session->note(), "波特率 0 无效，已使用 9600");
    ASSERT_TRUE(session->clickBox(0, 2, true));
    frames();
    ASSERT_TRUE(session->resendCurrentState());
    EXPECT_EQ(frames(), (std::vector<Bytes>{onOffFrame(0x52), switchFrame(0x52, 2, 0)}));
    session->close();
    EXPECT_FALSE(session->resendCurrentState());
}

}  // namespace
}  // namespace mc::test
