// Surviving an unplugged device: a symbolic link as the configured path,
// re-pointed to a new pseudo-terminal after a hang-up, stands for an adapter
// plugged in again. Also the folder watch behind it, and the speed put on
// the line.

#include "PtyTestUtil.h"
#include "serial/FolderWatch.h"
#include "serial/SerialComm.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>

namespace mc {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using test::TempDir;

class ReconnectTest : public test::PtyCommTest {
protected:
    void SetUp() override {
        PtyCommTest::SetUp();
        fs::create_symlink(pty.slavePath(), link);
        comm.setCommName(link.string());
        comm.setLogSink([this](const std::string& line) { lines.push_back(line); });
    }
    // Points the link at path in one step, as udev replaces a by-id link.
    void repoint(const std::string& path) {
        fs::create_symlink(path, dir.path() / "new-link");
        fs::rename(dir.path() / "new-link", link);
    }

    TempDir dir;
    fs::path link = dir.path() / "usb-Test_Adapter_0001-if00-port0";
    std::vector<std::string> lines;
};

TEST_F(ReconnectTest, ARepointedLinkIsOpenedAgainAndCarriesFrames) {
    comm.OpenPort();
    const std::uint8_t frame[] = {0xEB, 1, 2, 2, 0, 4, 0xF4};
    pty.closeMaster();
    ASSERT_TRUE(waitFor([&] { return record.hangups == 1; }));
    EXPECT_TRUE(waitFor([&] { return !comm.WriteData(frame, sizeof frame); }));  // dropped
    EXPECT_TRUE(comm.isOpen() && comm.awaitingDevice());

    test::Pty plugged;
    const auto start = std::chrono::steady_clock::now();
    repoint(plugged.slavePath());
    ASSERT_TRUE(waitFor([&] { return record.reconnects == 1; }));
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_LT(took, 2s);
    std::cout << "reconnected after "
              << std::chrono::duration_cast<std::chrono::milliseconds>(took).count() << " ms\n";
    EXPECT_FALSE(comm.awaitingDevice());
    EXPECT_EQ(comm.openedPath(), link.string());

    ASSERT_TRUE(comm.WriteData(frame, sizeof frame));
    EXPECT_EQ(plugged.receive(sizeof frame, 5s), std::vector<std::uint8_t>(frame, frame + 7));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_NE(lines[0].find("hang-up"), std::string::npos) << lines[0];
    EXPECT_NE(lines[1].find("reconnected"), std::string::npos) << lines[1];

    // Unplugged a second time: the same again.
    plugged.closeMaster();
    ASSERT_TRUE(waitFor([&] { return record.hangups == 2; }));
    test::Pty third;
    repoint(third.slavePath());
    ASSERT_TRUE(waitFor([&] { return record.reconnects == 2; }));
}

TEST_F(ReconnectTest, ClosePortEndsTheWait) {
    comm.OpenPort();
    pty.closeMaster();
    ASSERT_TRUE(waitFor([&] { return comm.awaitingDevice(); }));
    comm.ClosePort();
    EXPECT_FALSE(comm.isOpen() || comm.awaitingDevice());
    test::Pty plugged;
    repoint(plugged.slavePath());
    comm.OpenPort();  // opens the new device; no reconnect is reported
    const std::uint8_t frame[] = {1, 2, 3};
    ASSERT_TRUE(comm.WriteData(frame, 3));
    EXPECT_EQ(plugged.receive(3, 5s).size(), 3u);
    poster.runPending();
    EXPECT_EQ(record.reconnects, 0);
}

TEST(FolderWatch, WakesOnlyForChangesAndWatchesFoldersThatAppearLater) {
    TempDir dir;
    const fs::path later = dir.path() / "serial" / "by-id";
    std::atomic<int> calls{0};
    FolderWatch watch({later.string()}, [&](bool) {
        ++calls;
        return FolderWatch::Wait{};
    });
    const auto waitCalls = [&](int count) {
        const auto deadline = std::chrono::steady_clock::now() + 5s;
        while (calls.load() < count && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(1ms);
        return calls.load() >= count;
    };
    ASSERT_TRUE(waitCalls(1));           // once the watches are in place
    std::this_thread::sleep_for(300ms);  // measures idleness; synchronises nothing
    EXPECT_EQ(watch.wakeUps(), 0u);

    fs::create_directories(later);
    ASSERT_TRUE(waitCalls(2));
    const int before = calls.load();
    std::ofstream(later / "usb-link").put('x');  // seen only by a watch on the new folder
    EXPECT_TRUE(waitCalls(before + 1));
}

TEST_F(ReconnectTest, ASpeedOfZeroOrBelowIsReplacedByTheDefault) {
    comm.setBaudRate(57600);
    comm.OpenPort();
    EXPECT_EQ(comm.actualBaudRate(), 57600u);
    EXPECT_EQ(comm.speedNote(), "");
    comm.setBaudRate(0);
    EXPECT_EQ(comm.actualBaudRate(), 9600u);
    EXPECT_EQ(comm.speedNote(), "波特率 0 无效，已使用 9600");
    comm.setBaudRate(static_cast<std::uint32_t>(-5));
    EXPECT_EQ(comm.actualBaudRate(), 9600u);
    EXPECT_NE(comm.speedNote().find("-5"), std::string::npos);
    comm.ClosePort();
    EXPECT_EQ(comm.actualBaudRate(), 0u);
}

}  // namespace
}  // namespace mc
