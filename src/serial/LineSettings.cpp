#include "serial/LineSettings.h"

#include "serial/LineSpeed.h"

#include <sys/ioctl.h>
#include <termios.h>

#include <cerrno>

namespace mc {

namespace {

constexpr tcflag_t kInputCleared =
    BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXANY | INPCK | IGNPAR | IUCLC | IMAXBEL;
constexpr tcflag_t kLocalCleared = ICANON | ECHO | ECHOE | ECHOK | ECHONL | ISIG | IEXTEN;
constexpr tcflag_t kControlManaged =
    CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS | CREAD | CLOCAL | HUPCL;

tcflag_t charSize(TByteSize size) {
    switch (size) {
        case TByteSize::_5:
            return CS5;
        case TByteSize::_6:
            return CS6;
        case TByteSize::_7:
            return CS7;
        case TByteSize::_8:
            return CS8;
    }
    return CS8;
}

tcflag_t parityFlags(TParity parity) {
    switch (parity) {
        case TParity::None:
            return 0;
        case TParity::Odd:
            return PARENB | PARODD;
        case TParity::Even:
            return PARENB;
        case TParity::Mark:
            return PARENB | CMSPAR | PARODD;
        case TParity::Space:
            return PARENB | CMSPAR;
    }
    return 0;
}

bool hardwareHandshake(const LineConfig& config) {
    return config.Outx_CtsFlow || config.RtsControl == TRtsControl::RtsHandshake;
}

// The control-flag bits of kControlManaged as the configuration wants them.
tcflag_t controlFlags(const LineConfig& config) {
    tcflag_t flags = CREAD | CLOCAL | charSize(config.ByteSize) | parityFlags(config.Parity);
    if (config.StopBits != TStopBits::_1) flags |= CSTOPB;
    if (hardwareHandshake(config)) flags |= CRTSCTS;
    return flags;
}

tcflag_t flowFlags(const LineConfig& config) {
    tcflag_t flags = 0;
    if (config.Outx_XonXoffFlow) flags |= IXON;
    if (config.Inx_XonXoffFlow) flags |= IXOFF;
    return flags;
}

int ioctlRetry(int fd, unsigned long request, int* arg) {
    int rc;
    do {
        rc = ::ioctl(fd, request, arg);
    } while (rc < 0 && errno == EINTR);
    return rc;
}

// Raises (on) or drops one modem line. A device without modem lines is fine.
bool setModemLine(int fd, int line, bool on) {
    int bits = line;
    if (ioctlRetry(fd, on ? TIOCMBIS : TIOCMBIC, &bits) == 0) return true;
    return errno == ENOTTY || errno == EINVAL;
}

}  // namespace

void makeLineTermios(struct termios& tio, const LineConfig& config) {
    tio.c_iflag &= ~(kInputCleared | IXON | IXOFF);
    tio.c_iflag |= IGNBRK | flowFlags(config);
    tio.c_oflag &= ~OPOST;
    tio.c_lflag &= ~kLocalCleared;
    tio.c_cflag &= ~kControlManaged;
    tio.c_cflag |= controlFlags(config);
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    tio.c_cc[VSTART] = static_cast<cc_t>(config.XonChar);
    tio.c_cc[VSTOP] = static_cast<cc_t>(config.XoffChar);
}

bool termiosMatches(const struct termios& actual, const LineConfig& config) {
    return (actual.c_iflag & (kInputCleared | IXON | IXOFF | IGNBRK)) ==
               (IGNBRK | flowFlags(config)) &&
           (actual.c_oflag & OPOST) == 0 && (actual.c_lflag & kLocalCleared) == 0 &&
           (actual.c_cflag & kControlManaged) == controlFlags(config) && actual.c_cc[VMIN] == 1 &&
           actual.c_cc[VTIME] == 0 && actual.c_cc[VSTART] == static_cast<cc_t>(config.XonChar) &&
           actual.c_cc[VSTOP] == static_cast<cc_t>(config.XoffChar);
}

bool ApplyLineSettings(int fd, const LineConfig& config) {
    struct termios tio {};
    if (::tcgetattr(fd, &tio) < 0) return false;
    makeLineTermios(tio, config);
    // tcsetattr() succeeds when any one change took effect: compare below.
    bool ok = ::tcsetattr(fd, TCSANOW, &tio) == 0;
    ok = setLineSpeed(fd, config.BaudRate) && ok;

    struct termios back {};
    ok = ::tcgetattr(fd, &back) == 0 && termiosMatches(back, config) && ok;

    const bool dtrOn = config.DtrControl != TDtrControl::DtrDisable;
    const bool rtsOn = config.RtsControl != TRtsControl::RtsDisable;
    ok = setModemLine(fd, TIOCM_DTR, dtrOn) && ok;
    ok = setModemLine(fd, TIOCM_RTS, rtsOn) && ok;
    return ok;
}

void releaseOutputFlowControl(int fd) {
    struct termios tio {};
    if (::tcgetattr(fd, &tio) < 0) return;
    if ((tio.c_iflag & IXON) == 0) return;
    tio.c_iflag &= ~IXON;
    ::tcsetattr(fd, TCSANOW, &tio);
}

}  // namespace mc
