#include "serial/CommsError.h"

#include <cerrno>
#include <utility>

namespace mc {

ECommsError::ECommsError(const std::string& message, int errorCode, std::string devicePath)
    : std::runtime_error(message), m_errorCode(errorCode), m_devicePath(std::move(devicePath)) {}

bool isDeviceGone(int err) {
    return err == EIO || err == ENODEV || err == ENXIO;
}

bool isUnsupported(int err) {
    return err == ENOTTY || err == EINVAL;
}

bool isTransient(int err) {
    return err == EINTR || err == EAGAIN || err == EWOULDBLOCK;
}

}  // namespace mc
