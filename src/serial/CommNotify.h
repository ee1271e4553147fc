#pragma once

// How the port threads report to the component. TComm implements it by
// posting each notification to the user-interface thread, where the matching
// handler runs; tests of a single thread may implement it directly.

#include <cstdint>

namespace mc {

// Every method may be called from any port thread, concurrently.
class ICommNotify {
public:
    virtual ~ICommNotify() = default;

    // NotifyData: a copy of Count bytes (followed by one zero byte) for
    // OnReceiveData. Returns false when the copy could not be made; a hang-up
    // has then been reported and the caller ends.
    virtual bool NotifyData(const std::uint8_t* Bytes, std::uint16_t Count) = 0;

    // NotifyError: line error flags (CE_*) for OnReceiveError.
    virtual void NotifyError(std::uint32_t ErrorFlags) = 0;

    // NotifyHangup: the port failed or went away. Reported at most once per
    // opening of the port, whichever thread notices first.
    virtual void NotifyHangup() = 0;

    // NotifyModem: modem event bits (8 carrier, 4 ring) for OnModemStateChange.
    virtual void NotifyModem(std::uint32_t ModemEvent) = 0;

    // NotifyEmpty: everything handed over has been written.
    virtual void NotifyEmpty() = 0;
};

}  // namespace mc
