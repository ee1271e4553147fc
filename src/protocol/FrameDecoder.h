#pragma once

// Streaming decoder for the switcher's command frames (format: Frames.h), for
// the receiving side: the simulated switcher and tests.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace mc {

enum class FrameFault : std::uint8_t {
    None,            // a well-formed frame of one of the six commands
    BadChecksum,     // checksum byte does not match the bytes before it
    UnknownCommand,  // command byte is none of the six
    BadLength,       // length byte does not fit the command
    Garbage,         // bytes that do not begin with a start byte
    Truncated,       // a frame cut short (reported only by flush)
};

// One result of decoding: a frame, or a piece of input that is not one.
struct DecodedFrame {
    FrameFault fault = FrameFault::None;
    // Header fields. For a fault, those the decoder had received (0 otherwise),
    // even when the reported piece was cut before them at a start byte.
    std::uint8_t address = 0;
    std::uint8_t command = 0;
    std::uint8_t lengthByte = 0;
    // Data bytes of a well-formed frame; empty for a fault.
    std::vector<std::uint8_t> data;
    // The bytes exactly as received, start byte and checksum included.
    std::vector<std::uint8_t> raw;
    // For BadChecksum: the checksum the bytes call for.
    std::uint8_t expectedChecksum = 0;

    bool ok() const { return fault == FrameFault::None; }
};

// Short name of a fault: "bad checksum", "unknown command", ...
const char* faultName(FrameFault fault);
// One line saying what is wrong with `frame`, e.g. "bad checksum: expected 58,
// got 59"; empty for a well-formed frame.
std::string describeFault(const DecodedFrame& frame);

// Splits a byte stream into frames. Bytes may arrive in chunks of any size;
// the results do not depend on how the stream was cut into chunks.
//
// A frame's end is found from its length byte, because 0xEB may appear
// unescaped as an address or data byte; a checksum byte 0x14 is accepted when
// the true sum is 0xEB. When a frame turns out malformed, the decoder reports
// the bytes from its start byte up to the next 0xEB (at most to the end the
// frame should have had) and starts again there. Bytes before a start byte
// are reported as garbage when the next start byte arrives (or after 256 of
// them, or at flush).
//
// Not thread-safe; one decoder per stream. Holds at most 260 bytes.
class FrameDecoder {
public:
    // Adds bytes; returns the frames and faults they complete, in stream order.
    std::vector<DecodedFrame> feed(std::span<const std::uint8_t> bytes);

    // Ends the current stream (end of input, or a pause long enough that the
    // rest of a frame is not coming): reports what is held back, then starts
    // empty. Complete frames found in the held bytes are still decoded.
    std::vector<DecodedFrame> flush();

    // Bytes received but not yet reported.
    std::size_t pending() const { return m_buffer.size(); }

private:
    // Reports every frame or fault that the buffer already determines.
    void decodeAvailable(std::vector<DecodedFrame>& out);
    // Examines the frame that starts at the buffer's start byte; returns false
    // when more bytes are needed to decide.
    bool decodeOne(std::vector<DecodedFrame>& out);
    // Reports the first `count` buffered bytes as `fault` and drops them.
    void emitFault(std::vector<DecodedFrame>& out, FrameFault fault, std::size_t count);
    // Index of the first start byte at or after `from`, or the buffer size.
    std::size_t nextStart(std::size_t from) const;

    std::vector<std::uint8_t> m_buffer;
};

}  // namespace mc
