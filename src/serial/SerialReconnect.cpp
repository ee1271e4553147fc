// TComm after a hang-up: waiting for the device to come back, opening it
// again, and the one-line reports of the log sink.

#include "serial/PortHolders.h"
#include "serial/SerialComm.h"

#include <poll.h>
#include <sys/stat.h>

#include <cstring>

namespace mc {

namespace {

// After a change that leaves a device at the path, an open that fails (udev
// may not have set the device's group yet, another program may still hold
// it) is tried again this often, this many times; then only a new change
// starts another try.
constexpr std::chrono::milliseconds kRetryDelay{400};
constexpr int kRetries = 5;

bool characterDeviceAt(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISCHR(info.st_mode);
}

// True when the descriptor's device has hung up (pseudo-terminal closed,
// adapter unplugged).
bool deviceGone(int fd) {
    pollfd check{fd, 0, 0};
    return pollOnce(&check, 1, 0) > 0 && (check.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
}

}  // namespace

void TComm::log(const std::string& line) const {
    if (m_log) m_log(line);
}

std::string TComm::failureLine(const ECommsError& error) const {
    std::string line = "serial port " + error.devicePath() + ": " + error.what();
    if (error.errorCode() != 0) line += std::string(": ") + std::strerror(error.errorCode());
    if (isPortBusy(error.errorCode())) {
        const std::string holders = describeHolders(findPortHolders(error.devicePath()));
        line += holders.empty() ? " (in use by another program)" : " (in use by " + holders + ")";
    }
    return line;
}

void TComm::hangupSeen(unsigned generation) {
    // A report from an opening that has since been closed is stale.
    if (generation != m_generation.load() || !PortHandle || m_awaitingDevice) return;
    log("serial port " + m_openedPath + ": hang-up; waiting for the device to return");
    m_awaitingDevice = true;
    startDeviceWatch();
}

void TComm::startDeviceWatch() {
    std::vector<std::string> folders{parentFolder(m_openedPath)};
    if (parentFolder(m_openedTarget) != folders.front()) {
        folders.push_back(parentFolder(m_openedTarget));
    }
    // The handler runs on the watch thread; it only looks at the path and
    // posts. The watch is joined before this TComm goes.
    auto onChange = [this, path = m_openedPath,
                     retries = 0](bool timedOut) mutable -> FolderWatch::Wait {
        retries = timedOut ? retries - 1 : kRetries;
        if (!characterDeviceAt(path)) return std::nullopt;
        postTryReconnect();
        if (retries <= 0) return std::nullopt;
        return kRetryDelay;
    };
    try {
        m_watch = std::make_unique<FolderWatch>(std::move(folders), std::move(onChange));
    } catch (const std::exception& error) {
        log("serial port " + m_openedPath + ": cannot watch for the device: " + error.what());
    }
}

void TComm::tryReconnect() {
    if (!m_awaitingDevice) return;
    if (PortHandle) {
        // Only a thread failed, the device is still there: keep the port.
        if (!deviceGone(PortHandle.get())) return;
        closeDevice();
    }
    try {
        startPort(openClaimed(m_openedPath), m_openedPath);
    } catch (const ECommsError& error) {
        log(failureLine(error));
        return;
    }
    m_awaitingDevice = false;
    m_watch.reset();
    m_openedTarget = resolvedPath(m_openedPath);
    log("serial port " + m_openedPath + ": reconnected");
    if (TNotifyEvent handler = OnReconnect) handler(*this);
}

}  // namespace mc
