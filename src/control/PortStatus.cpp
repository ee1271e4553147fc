#include "control/PortStatus.h"

#include <cstdio>

#include "protocol/MatrixComm.h"

namespace mc {

namespace {

const char* stateText(PortState state) {
    switch (state) {
        case PortState::Open:
            return "已打开";
        case PortState::Lost:
            return "连接中断";
        case PortState::NotOpen:
            break;
    }
    return "未打开";
}

// "2.5 秒" below a minute, "3 分 20 秒" from a minute on (rounded up).
std::string durationText(std::int64_t milliseconds) {
    char text[64];
    if (milliseconds < 60'000) {
        std::snprintf(text, sizeof text, "%.1f 秒", static_cast<double>(milliseconds) / 1000.0);
    } else {
        const std::int64_t seconds = (milliseconds + 999) / 1000;
        std::snprintf(text, sizeof text, "%lld 分 %lld 秒", static_cast<long long>(seconds / 60),
                      static_cast<long long>(seconds % 60));
    }
    return text;
}

}  // namespace

std::int64_t queueDrainMilliseconds(std::size_t queued) {
    return static_cast<std::int64_t>(queued) * TMatrixCommDataThread::kFrameGap.count();
}

std::string describePortStatus(const PortStatus& status) {
    std::string text = status.devicePath.empty() ? std::string("串口") : status.devicePath;
    text += ' ' + std::to_string(status.baudRate) + " bit/s " + stateText(status.state);
    if (status.queued > 0) {
        text += " · 待发 " + std::to_string(status.queued) + " 帧，约 " +
                durationText(queueDrainMilliseconds(status.queued));
    }
    if (status.refused > 0) {
        text += " · " + std::to_string(status.refused) + " 帧未能送出";
    }
    return text;
}

}  // namespace mc
