// The session with a device that goes and comes back: a symbolic link as the
// configured device, re-pointed to a new pseudo-terminal after a hang-up,
// stands for an adapter plugged in again. Also resending the current state to
// a switcher that lost it, and the speed the port field shows.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "control/SessionTestUtil.h"
#include "control/SwitchingLayer.h"

namespace mc::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

template <typename Pred>
bool pumpUntil(QueuedPoster& poster, Pred pred) {
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    for (;;) {
        poster.runPending();
        if (pred()) return true;
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(1ms);
    }
}

TEST(SessionReconnect, APluggedBackDeviceIsOpenAgainAndTakesTheNextClick) {
    ProgramFolder folder;
    const fs::path link = fs::path(folder.dir.path()) / "usb-Test_Adapter_0001-if00-port0";
    fs::create_symlink(folder.pty.slavePath(), link);
    folder.setConfig("Serial Port Map", "COM1", link.string());
    folder.useModel(4, 4, true);

    QueuedPoster poster;
    SessionEvents events;
    std::vector<std::string> logLines;
    SessionOptions options;
    options.portLog = [&](const std::string& line) { logLines.push_back(line); };
    MatrixSession session(folder.paths, poster, options);
    session.attach(events);
    session.start();
    ASSERT_EQ(session.portStatus().state, PortState::Open);
    // The start-up frame reaches the first device.
    EXPECT_EQ(folder.pty.receive(onOffFrame(0x52).size(), 5s), onOffFrame(0x52));

    const int before = events.portStates;
    folder.pty.closeMaster();
    ASSERT_TRUE(pumpUntil(poster, [&] { return session.portStatus().state == PortState::Lost; }));
    EXPECT_GT(events.portStates, before);

    Pty plugged;
    fs::create_symlink(plugged.slavePath(), fs::path(folder.dir.path()) / "new-link");
    fs::rename(fs::path(folder.dir.path()) / "new-link", link);
    const int lost = events.portStates;
    ASSERT_TRUE(pumpUntil(poster, [&] { return session.portStatus().state == PortState::Open; }));
    EXPECT_GT(events.portStates, lost);
    EXPECT_EQ(session.note(), "串口已重新连接");
    EXPECT_EQ(session.portStatus().devicePath, link.string());

    ASSERT_TRUE(session.CheckBoxClick(1, 2, true));
    EXPECT_EQ(plugged.receive(switchFrame(0x52, 2, 1).size(), 5s), switchFrame(0x52, 2, 1));

    ASSERT_EQ(logLines.size(), 2u);
    EXPECT_NE(logLines[0].find("hang-up"), std::string::npos) << logLines[0];
    EXPECT_NE(logLines[1].find("reconnected"), std::string::npos) << logLines[1];
    session.detach(events);
    session.close();
}

class SessionResend : public SessionTest {};

TEST_F(SessionResend, SendsStartUpLayerAndSelectionInNodeOrder) {
    useModel(6, 4, false, 0x52, 0x10);
    setConfig("System config", "VideoOrAudio", "2");
    start();
    ASSERT_TRUE(session->CheckBoxClick(0, 1, true));  // output 0 cycles inputs 1 and 3
    ASSERT_TRUE(session->CheckBoxClick(0, 3, true));
    ASSERT_TRUE(session->CheckBoxClick(2, 4, true));
    ASSERT_TRUE(session->CheckBoxClick(3, 6, true));  // output 3 closed
    frames();

    ASSERT_TRUE(session->resendCurrentState());
    const std::vector<Bytes> expected = {
        onOffFrame(0x52),
        onOffFrame(0x10),
        setAddressFrame(0x52, 0x10),
        layerFrame(0x10, kLayerAudio),
        cycleFrame(0x10, {1, 3}, 1),
        switchFrame(0x10, 4, 2),
        closeFrame(0x10, 3),
    };
    EXPECT_EQ(frames(), expected);
    // Nothing about the selection changed.
    EXPECT_EQ(state().selectedNodes().size(), 4u);
}

TEST_F(SessionResend, PatternModeSendsNoLayerAndAClosedSessionNothing) {
    useModel(3, 2, true);
    start();
    ASSERT_TRUE(session->CheckBoxClick(0, 2, true));
    frames();
    ASSERT_TRUE(session->resendCurrentState());
    const std::vector<Bytes> expected = {onOffFrame(0x52), switchFrame(0x52, 2, 0)};
    EXPECT_EQ(frames(), expected);
    session->close();
    EXPECT_FALSE(session->resendCurrentState());
}

TEST_F(SessionResend, ASpeedOfZeroIsShownAsTheSpeedSetWithANote) {
    setConfig("Serial Commucation Set", "PortBandRate", "0");
    start();
    EXPECT_EQ(session->portStatus().baudRate, 9600u);
    EXPECT_EQ(session->note(), "波特率 0 无效，已使用 9600");
}

}  // namespace
}  // namespace mc::test
