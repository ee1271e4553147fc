// The status bar's port field text and the port-open error's detail text.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "control/PortOpenDetail.h"
#include "control/PortStatus.h"

namespace mc {
namespace {

struct StatusCase {
    PortStatus status;
    std::string text;
};

TEST(PortStatus, DescribesThePortAndTheFramesWaiting) {
    const StatusCase cases[] = {
        {{"/dev/ttyS0", 9600, PortState::Open, 0, 0}, "/dev/ttyS0 9600 bit/s 已打开"},
        {{"/dev/ttyUSB0", 115200, PortState::NotOpen, 0, 0}, "/dev/ttyUSB0 115200 bit/s 未打开"},
        {{"/dev/ttyS1", 9600, PortState::Lost, 0, 0}, "/dev/ttyS1 9600 bit/s 连接中断"},
        {{"/dev/ttyS0", 9600, PortState::Open, 12, 0},
         "/dev/ttyS0 9600 bit/s 已打开 · 待发 12 帧，约 2.5 秒"},
        {{"/dev/ttyS0", 9600, PortState::Open, 1000, 0},
         "/dev/ttyS0 9600 bit/s 已打开 · 待发 1000 帧，约 3 分 25 秒"},
        {{"", 9600, PortState::NotOpen, 1, 3},
         "串口 9600 bit/s 未打开 · 待发 1 帧，约 0.2 秒 · 3 帧未能送出"},
    };
    for (const StatusCase& c : cases)
        EXPECT_EQ(describePortStatus(c.status), c.text);
    EXPECT_EQ(queueDrainMilliseconds(65536), 65536LL * 205);
}

TEST(PortOpenDetail, NamesTheReasonAndTheDevice) {
    EXPECT_EQ(portOpenDetail(ENOENT, "/dev/ttyS9"),
              std::string("原因：") + std::strerror(ENOENT) + "\n设备：/dev/ttyS9");
    EXPECT_EQ(portOpenDetail(0, "/dev/ttyS9"), "设备：/dev/ttyS9");
    EXPECT_EQ(portOpenDetail(EBUSY, ""), "原因：设备正被另一个程序使用");
    // A device of a group the user belongs to gets no group note.
    const std::string own = portOpenDetail(EACCES, "/proc/self/exe");
    EXPECT_EQ(own.find("用户组"), std::string::npos) << own;
}

}  // namespace
}  // namespace mc
