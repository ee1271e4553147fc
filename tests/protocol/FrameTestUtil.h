#pragma once

// Helpers shared by the protocol tests: frames written as hex text, and ways
// to damage a frame.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

namespace mc::test {

using Bytes = std::vector<std::uint8_t>;

// "EB 52 02" -> {0xEB, 0x52, 0x02}. Blanks separate bytes.
inline Bytes hexBytes(const std::string& text) {
    Bytes out;
    std::istringstream in(text);
    std::string token;
    while (in >> token) {
        out.push_back(static_cast<std::uint8_t>(std::stoul(token, nullptr, 16)));
    }
    return out;
}

inline std::string hexText(const Bytes& bytes) {
    std::string out;
    for (std::uint8_t byte : bytes) {
        char text[4];
        std::snprintf(text, sizeof text, out.empty() ? "%02X" : " %02X", byte);
        out += text;
    }
    return out;
}

// The frame with the byte at `index` changed (xor with `mask`, never 0).
inline Bytes withByteFlipped(Bytes frame, std::size_t index, std::uint8_t mask = 0x01) {
    frame.at(index) ^= mask;
    return frame;
}

// The frame with its length byte set to `length`, the checksum left as it was.
inline Bytes withLengthByte(Bytes frame, std::uint8_t length) {
    frame.at(3) = length;
    return frame;
}

inline Bytes concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const auto& part : parts) {
        out.insert(out.end(), part.begin(), part.end());
    }
    return out;
}

}  // namespace mc::test
