#include "serial/LineEvents.h"

#include "serial/CommsError.h"
#include "serial/SerialTypes.h"

#include <linux/serial.h>
#include <sys/ioctl.h>

#include <cerrno>

namespace mc {

namespace {

class IoctlLineStatus final : public ILineStatus {
public:
    explicit IoctlLineStatus(int fd) : m_fd(fd) {}

    LineReadResult read(LineSnapshot& snapshot) override {
        snapshot = LineSnapshot{};
        if (m_countsSupported) {
            serial_icounter_struct counts{};
            if (ioctlRetry(TIOCGICOUNT, &counts) == 0) {
                snapshot.haveCounts = true;
                snapshot.frame = static_cast<std::uint32_t>(counts.frame);
                snapshot.parity = static_cast<std::uint32_t>(counts.parity);
                snapshot.overrun = static_cast<std::uint32_t>(counts.overrun) +
                                   static_cast<std::uint32_t>(counts.buf_overrun);
                snapshot.brk = static_cast<std::uint32_t>(counts.brk);
                snapshot.rng = static_cast<std::uint32_t>(counts.rng);
                snapshot.dcd = static_cast<std::uint32_t>(counts.dcd);
            } else if (isUnsupported(errno)) {
                m_countsSupported = false;
            } else {
                return failure(errno);
            }
        }
        if (m_linesSupported) {
            int lines = 0;
            if (ioctlRetry(TIOCMGET, &lines) == 0) {
                snapshot.haveLines = true;
                snapshot.carrier = (lines & TIOCM_CD) != 0;
                snapshot.ring = (lines & TIOCM_RI) != 0;
            } else if (isUnsupported(errno)) {
                m_linesSupported = false;
            } else {
                return failure(errno);
            }
        }
        return LineReadResult::Ok;
    }

    bool supported() const override { return m_countsSupported || m_linesSupported; }

private:
    int ioctlRetry(unsigned long request, void* arg) const {
        int rc;
        do {
            rc = ::ioctl(m_fd, request, arg);
        } while (rc < 0 && errno == EINTR);
        return rc;
    }

    static LineReadResult failure(int err) {
        return isDeviceGone(err) ? LineReadResult::Gone : LineReadResult::Failed;
    }

    int m_fd = -1;
    bool m_countsSupported = true;
    bool m_linesSupported = true;
};

}  // namespace

std::unique_ptr<ILineStatus> makeIoctlLineStatus(int fd) {
    return std::make_unique<IoctlLineStatus>(fd);
}

LineEvents lineEventsBetween(const LineSnapshot& before, const LineSnapshot& after) {
    LineEvents events;
    if (before.haveCounts && after.haveCounts) {
        if (after.frame != before.frame) events.errorFlags |= CE_FRAME;
        if (after.parity != before.parity) events.errorFlags |= CE_RXPARITY;
        if (after.overrun != before.overrun) events.errorFlags |= CE_OVERRUN;
        if (after.brk != before.brk) events.errorFlags |= CE_BREAK;
        if (after.dcd != before.dcd) events.modemBits |= ModemCarrier;
        if (after.rng != before.rng) events.modemBits |= ModemRing;
    }
    if (before.haveLines && after.haveLines) {
        if (after.carrier != before.carrier) events.modemBits |= ModemCarrier;
        if (after.ring && !before.ring) events.modemBits |= ModemRing;
    }
    return events;
}

}  // namespace mc
