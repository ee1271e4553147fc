#include "control/PortStatus.h"

#include <cstdio>

#include "protocol/MatrixComm.h"
#include "text/Text.h"

namespace mc {

namespace {

std::string stateText(PortState state) {
    switch (state) {
        case PortState::Open:
            return translated("PortStatus", "已打开");
        case PortState::Lost:
            return translated("PortStatus", "连接中断");
        case PortState::NotOpen:
            break;
    }
    return translated("PortStatus", "未打开");
}

// "2.5 秒" below a minute, "3 分 20 秒" from a minute on (rounded up).
std::string durationText(std::int64_t milliseconds) {
    if (milliseconds < 60'000) {
        char seconds[32];
        std::snprintf(seconds, sizeof seconds, "%.1f", static_cast<double>(milliseconds) / 1000.0);
        return formatText(translated("PortStatus", "%1 秒"), {seconds});
    }
    const std::int64_t seconds = (milliseconds + 999) / 1000;
    return formatText(translated("PortStatus", "%1 分 %2 秒"),
                      {std::to_string(seconds / 60), std::to_string(seconds % 60)});
}

}  // namespace

std::int64_t queueDrainMilliseconds(std::size_t queued) {
    return static_cast<std::int64_t>(queued) * TMatrixCommDataThread::kFrameGap.count();
}

std::string describePortStatus(const PortStatus& status) {
    std::string text =
        status.devicePath.empty() ? translated("PortStatus", "串口") : status.devicePath;
    text += ' ' + std::to_string(status.baudRate) + " bit/s " + stateText(status.state);
    if (status.queued > 0) {
        text += formatText(
            translated("PortStatus", " · 待发 %1 帧，约 %2"),
            {std::to_string(status.queued), durationText(queueDrainMilliseconds(status.queued))});
    }
    if (status.refused > 0) {
        text += formatText(translated("PortStatus", " · %1 帧未能送出"),
                           {std::to_string(status.refused)});
    }
    return text;
}

}  // namespace mc
