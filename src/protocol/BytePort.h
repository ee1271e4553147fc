#pragma once

#include <cstdint>

namespace mc {

// The one operation the sender needs of a serial port: hand over a block of
// bytes to be written. TComm implements it; tests use fakes that record.
//
// WriteData copies the bytes before it returns and never blocks on the line.
// It returns false when nothing was handed over (port closed, Count 0, or the
// port's writer refused the block). Called from the sender thread.
class IBytePort {
public:
    virtual ~IBytePort() = default;
    virtual bool WriteData(const std::uint8_t* Bytes, std::uint16_t Count) = 0;
};

}  // namespace mc
