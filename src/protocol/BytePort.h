#pragma once

#include <chrono>
#include <cstdint>
#include <optional>

namespace mc {

// What the sender needs of a serial port: hand over a block of bytes to be
// written, and learn when the port's writer finished writing it. TComm
// implements it; tests use fakes that record.
//
// WriteData copies the bytes before it returns and never blocks on the line.
// It returns false when nothing was handed over (port closed, Count 0, or the
// port's writer refused the block). Called from the sender thread.
class IBytePort {
public:
    virtual ~IBytePort() = default;
    virtual bool WriteData(const std::uint8_t* Bytes, std::uint16_t Count) = 0;
    // When the newest block handed over was written (the write that gave its
    // last byte to the driver ended), by the steady clock; nothing while it is
    // still waiting or being written, or when the port does not tell. The
    // sender leaves the whole gap after that moment, so a block the writer was
    // late with does not reach the line too close to the next one. Called from
    // the sender thread.
    virtual std::optional<std::chrono::steady_clock::time_point> lastBlockWritten() const {
        return std::nullopt;
    }
};

}  // namespace mc
