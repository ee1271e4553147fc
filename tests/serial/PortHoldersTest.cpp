// Finding the programs that hold a device, on a fake /proc and on a real
// pseudo-terminal; a busy port's reason and log line.

#include "PtyTestUtil.h"
#include "serial/PortHolders.h"
#include "serial/SerialComm.h"

#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace mc {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

void fakeProcess(const fs::path& proc, int pid, const char* command,
                 const std::vector<fs::path>& open) {
    const fs::path folder = proc / std::to_string(pid);
    fs::create_directories(folder / "fd");
    std::ofstream(folder / "comm") << command << "\n";
    int fd = 3;
    for (const fs::path& target : open)
        fs::create_symlink(target, folder / "fd" / std::to_string(fd++));
}

TEST(PortHolders, FindsTheProcessesWithTheDeviceOpen) {
    TempDir tree;
    const fs::path device = tree.path() / "ttyUSB0", other = tree.path() / "ttyUSB1";
    std::ofstream(device).put('x');
    std::ofstream(other).put('x');
    fs::create_symlink(device, tree.path() / "by-id-link");
    const fs::path proc = tree.path() / "proc";
    fakeProcess(proc, 1234, "minicom", {other, device});
    fakeProcess(proc, 99, "cat", {tree.path() / "by-id-link"});  // the same file, by its link
    fakeProcess(proc, 500, "bash", {other});
    fs::create_directories(proc / "self");

    const std::vector<PortHolder> holders =
        findPortHolders(tree.path() / "by-id-link", proc.string());
    ASSERT_EQ(holders.size(), 2u);
    EXPECT_EQ(holders[0].pid, 99);
    EXPECT_EQ(holders[0].command, "cat");
    EXPECT_EQ(holders[1].pid, 1234);
    EXPECT_EQ(describeHolders(holders), "cat (pid 99), minicom (pid 1234)");
    EXPECT_EQ(portBusyReason(device, proc.string()),
              "设备正被另一个程序使用：cat（进程 99）、minicom（进程 1234）");
    EXPECT_TRUE(findPortHolders(tree.path() / "missing", proc.string()).empty());
}

TEST(PortHolders, ABusyPortNamesItsHolder) {
    test::Pty pty;  // this process holds the slave open
    std::ifstream commFile("/proc/self/comm");
    std::string command;
    std::getline(commFile, command);
    const std::vector<PortHolder> holders = findPortHolders(pty.slavePath());
    ASSERT_EQ(holders.size(), 1u);
    EXPECT_EQ(holders[0].pid, ::getpid());
    EXPECT_EQ(holders[0].command, command);

    QueuedPoster poster;
    TComm first(poster), second(poster);
    std::vector<std::string> lines;
    second.setLogSink([&](const std::string& line) { lines.push_back(line); });
    first.setCommName(pty.slavePath());
    second.setCommName(pty.slavePath());
    first.OpenPort();
    try {
        second.OpenPort();
        FAIL() << "a held port opened twice";
    } catch (const ECommsError& error) {
        EXPECT_STREQ(error.what(), "Error opening serial port");
        EXPECT_EQ(error.errorCode(), EBUSY);
        EXPECT_TRUE(isPortBusy(error.errorCode()));
    }
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("in use by " + command + " (pid " + std::to_string(::getpid())),
              std::string::npos)
        << lines[0];
    first.ClosePort();
}

}  // namespace
}  // namespace mc
