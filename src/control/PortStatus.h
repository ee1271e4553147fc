#pragma once

// What the permanent field at the right end of the control window's status
// bar says about the serial port and the frames waiting for it, so that a
// dead line or a long restore is never silent.

#include <cstddef>
#include <cstdint>
#include <string>

namespace mc {

enum class PortState {
    NotOpen,  // never opened, or the open failed, or closed by the program
    Open,
    Lost,  // the port thread reported a hang-up (device removed, line gone)
};

struct PortStatus {
    std::string devicePath;
    std::uint32_t baudRate = 9600;
    PortState state = PortState::NotOpen;
    std::size_t queued = 0;   // frames waiting in the command queue
    std::size_t refused = 0;  // frames the port did not take since it was opened
    bool operator==(const PortStatus&) const = default;
};

// About how long `queued` frames take to leave, at one frame per 205 ms.
std::int64_t queueDrainMilliseconds(std::size_t queued);

// For example "/dev/ttyUSB0 9600 bit/s 已打开 · 待发 12 帧，约 2.5 秒".
std::string describePortStatus(const PortStatus& status);

}  // namespace mc
