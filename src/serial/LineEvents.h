#pragma once

// Line events of an open port: line errors (frame, parity, overrun, break)
// and modem line changes (carrier detect, ring). Linux reports them as
// cumulative counters (TIOCGICOUNT) and line states (TIOCMGET); an event is a
// difference between two readings. The ioctls sit behind ILineStatus so that
// tests can feed counter changes that a pseudo-terminal never produces.

#include <cstdint>
#include <functional>
#include <memory>

namespace mc {

// One reading of a port's line status. A part the device does not support
// is marked absent and compares as unchanged.
struct LineSnapshot {
    bool haveCounts = false;  // the counters below are valid
    std::uint32_t frame = 0;
    std::uint32_t parity = 0;
    std::uint32_t overrun = 0;  // hardware and buffer overruns together
    std::uint32_t brk = 0;
    std::uint32_t rng = 0;
    std::uint32_t dcd = 0;
    bool haveLines = false;  // the line states below are valid
    bool carrier = false;    // DCD
    bool ring = false;       // RI
};

enum class LineReadResult {
    Ok,    // snapshot filled (parts may be absent)
    Gone,  // the device has gone away (hang-up)
    Failed,
};

// Reads a port's line status. Called by the read thread only.
class ILineStatus {
public:
    virtual ~ILineStatus() = default;
    virtual LineReadResult read(LineSnapshot& snapshot) = 0;
    // False once the device has shown that it supports neither counters nor
    // line states: the read thread then stops looking.
    virtual bool supported() const = 0;
};

// Makes the line-status reader for a port's descriptor.
using LineStatusFactory = std::function<std::unique_ptr<ILineStatus>(int fd)>;

// The real reader: TIOCGICOUNT and TIOCMGET on fd, which it does not own.
// ENOTTY/EINVAL from either marks that part unsupported for good.
std::unique_ptr<ILineStatus> makeIoctlLineStatus(int fd);

// The events between two readings.
struct LineEvents {
    std::uint32_t errorFlags = 0;  // CE_FRAME | CE_RXPARITY | CE_OVERRUN | CE_BREAK
    std::uint32_t modemBits = 0;   // ModemCarrier (8) | ModemRing (4)
};

// A counter that grew gives its error flag or modem bit; a change of the
// carrier state gives ModemCarrier, a ring line that comes on gives ModemRing.
LineEvents lineEventsBetween(const LineSnapshot& before, const LineSnapshot& after);

}  // namespace mc
