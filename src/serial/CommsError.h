#pragma once

// The serial port component's open error, and the one place where errno
// values of port operations are sorted into what they mean for the port.

#include <stdexcept>
#include <string>

namespace mc {

// Raised by TComm::OpenPort. what() is one of the component's fixed English
// messages ("Error opening serial port", "File handle is not a comm handle ",
// ...); errorCode() is the errno behind it (0 when there was none) and
// devicePath() the device that was being opened, so that a window can show
// the system's reason (std::strerror(errorCode())) as detail.
class ECommsError : public std::runtime_error {
public:
    ECommsError(const std::string& message, int errorCode, std::string devicePath);

    int errorCode() const { return m_errorCode; }
    const std::string& devicePath() const { return m_devicePath; }

private:
    int m_errorCode = 0;
    std::string m_devicePath;
};

// The component's messages, exactly as the operator sees them.
namespace comms_message {
inline constexpr const char* AlreadyOpen = "This serial port already opened";
inline constexpr const char* OpenFailed = "Error opening serial port";
inline constexpr const char* NotCommHandle = "File handle is not a comm handle ";
inline constexpr const char* BufferSetup = "Cannot setup comm buffer";
inline constexpr const char* NoEvent = "Unable to create event";
inline constexpr const char* NoReadThread = "Unable to create read thread";
inline constexpr const char* NoWriteThread = "Unable to create write thread";
}  // namespace comms_message

// True for errors that mean the device has gone away (unplugged adapter,
// other side of a pseudo-terminal closed): EIO, ENODEV, ENXIO.
bool isDeviceGone(int err);

// True for errors with which a driver says it does not support an ioctl
// (ENOTTY, EINVAL): the feature is absent, which is no failure.
bool isUnsupported(int err);

// True for errors after which the same call may simply be repeated or
// waited for (EINTR, EAGAIN/EWOULDBLOCK).
bool isTransient(int err);

}  // namespace mc
