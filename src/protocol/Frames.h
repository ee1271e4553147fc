#pragma once

// The matrix switcher's command frames, byte by byte. This is the one place
// where the wire format is written down; everything else refers here.
//
// Layout of every frame (N = number of data bytes):
//
//   offset  size  content
//   0       1     start byte 0xEB
//   1       1     device address (low 8 bits of the address)
//   2       1     command byte
//   3       1     length byte: N modulo 256
//   4       N     data bytes
//   4 + N   1     checksum
//
// Checksum: the sum modulo 256 of the bytes at offsets 1 .. 3 + N (everything
// between the start byte and the checksum). A sum of 0xEB is sent as 0x14.
// Nothing else is escaped: an address or data byte of 0xEB goes out as 0xEB,
// so a receiver finds the end of a frame from its length byte.
//
// The six commands the program sends:
//
//   command  frame        length  data bytes                             total
//   0x00     on/off       1       0xFF for on, 0x00 for off              6
//   0x02     switch       2       output, input                          7
//   0x08     close        1       output                                 6
//   0x09     cycle        k + 2   time high, time low, k inputs          k + 7
//   0x14     set-address  1       the new address                        6
//   0x16     layer        1       0..3 (anything else is sent as 1)      6
//
// Inputs and outputs are zero-based and sent as their low 8 bits; the cycle
// time (seconds) as its low 16 bits, high byte first. Layer codes: 1 video,
// 2 audio, 3 video and audio; 0 passes through unchanged.
//
// The compose functions are pure: they resize `out` to the frame's total
// length (its capacity is reused) and fill every byte. They never fail.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace mc {

inline constexpr std::uint8_t kFrameStart = 0xEB;
// Sent in place of a checksum that would equal the start byte.
inline constexpr std::uint8_t kChecksumForStart = 0x14;
// Start, address, command and length byte.
inline constexpr std::size_t kFrameHeaderSize = 4;
// Header plus checksum: a frame is this plus its data bytes long.
inline constexpr std::size_t kFrameOverhead = 5;

enum class FrameCommand : std::uint8_t {
    OnOff = 0x00,
    Switch = 0x02,
    Close = 0x08,
    Cycle = 0x09,
    SetAddress = 0x14,
    Layer = 0x16,
};

// True for the six command bytes above.
bool isKnownCommand(std::uint8_t command);

// The number of data bytes a command carries, or nullopt for the cycle frame,
// whose data length varies (at least 2: the cycle time).
std::optional<std::size_t> fixedDataLength(FrameCommand command);

// Sum modulo 256 of the bytes after the start byte: `body` is the frame from
// offset 1 up to, not including, the checksum.
std::uint8_t frameSum(std::span<const std::uint8_t> body);

// The checksum byte for that body: frameSum, with 0xEB replaced by 0x14.
std::uint8_t frameChecksum(std::span<const std::uint8_t> body);

// The layer code as sent: 0..3 unchanged, anything else 1.
std::uint8_t layerCodeOnWire(std::int32_t layer);

// Any frame: start byte, address, command, length byte (data size modulo 256),
// data, checksum.
void composeFrame(std::vector<std::uint8_t>& out, std::int32_t address, std::uint8_t command,
                  std::span<const std::uint8_t> data);

void composeOnOff(std::vector<std::uint8_t>& out, std::int32_t address, bool on);
void composeSwitch(std::vector<std::uint8_t>& out, std::int32_t address, std::int32_t input,
                   std::int32_t output);
void composeClose(std::vector<std::uint8_t>& out, std::int32_t address, std::int32_t output);
// Sends the inputs in the order given.
void composeCycle(std::vector<std::uint8_t>& out, std::int32_t address,
                  std::span<const std::int32_t> inputs, std::int32_t cycleTime);
void composeSetAddress(std::vector<std::uint8_t>& out, std::int32_t address,
                       std::int32_t newAddress);
void composeLayer(std::vector<std::uint8_t>& out, std::int32_t address, std::int32_t layer);

}  // namespace mc
