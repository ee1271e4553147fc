#include "protocol/FrameDecoder.h"

#include <algorithm>
#include <cstdio>
#include <optional>

#include "protocol/Frames.h"

namespace mc {

namespace {

// A run of garbage is reported once it reaches this many bytes, which keeps
// the buffer bounded when no start byte ever comes.
constexpr std::size_t kMaxGarbageRun = 256;

std::string hexByte(std::uint8_t byte) {
    char text[3];
    std::snprintf(text, sizeof text, "%02X", byte);
    return text;
}

}  // namespace

const char* faultName(FrameFault fault) {
    switch (fault) {
        case FrameFault::None:
            return "ok";
        case FrameFault::BadChecksum:
            return "bad checksum";
        case FrameFault::UnknownCommand:
            return "unknown command";
        case FrameFault::BadLength:
            return "bad length";
        case FrameFault::Garbage:
            return "garbage";
        case FrameFault::Truncated:
            return "truncated";
    }
    return "?";
}

std::string describeFault(const DecodedFrame& frame) {
    const auto& raw = frame.raw;
    switch (frame.fault) {
        case FrameFault::None:
            return {};
        case FrameFault::BadChecksum:
            return "bad checksum: expected " + hexByte(frame.expectedChecksum) + ", got " +
                   hexByte(raw.back());
        case FrameFault::UnknownCommand:
            return "unknown command " + hexByte(frame.command);
        case FrameFault::BadLength: {
            const auto fixed = fixedDataLength(static_cast<FrameCommand>(frame.command));
            return "length byte " + hexByte(frame.lengthByte) + " does not fit command " +
                   hexByte(frame.command) + " (needs " +
                   (fixed ? std::to_string(*fixed) : std::string("at least 2")) + ")";
        }
        case FrameFault::Garbage:
            return std::to_string(raw.size()) + " byte(s) outside a frame";
        case FrameFault::Truncated:
            return "frame cut short after " + std::to_string(raw.size()) + " byte(s)";
    }
    return {};
}

std::vector<DecodedFrame> FrameDecoder::feed(std::span<const std::uint8_t> bytes) {
    std::vector<DecodedFrame> out;
    // Appending in slices keeps the buffer within one frame plus one slice.
    constexpr std::size_t kSlice = 64;
    for (std::size_t at = 0; at < bytes.size(); at += kSlice) {
        const auto slice = bytes.subspan(at, std::min(kSlice, bytes.size() - at));
        m_buffer.insert(m_buffer.end(), slice.begin(), slice.end());
        decodeAvailable(out);
    }
    return out;
}

std::vector<DecodedFrame> FrameDecoder::flush() {
    std::vector<DecodedFrame> out;
    decodeAvailable(out);
    while (!m_buffer.empty()) {
        // Whatever waits for more bytes is cut at the next start byte; the rest
        // may still hold complete frames.
        const std::size_t cut = nextStart(1);
        FrameFault fault = m_buffer[0] == kFrameStart ? FrameFault::Truncated : FrameFault::Garbage;
        if (fault == FrameFault::Truncated && m_buffer.size() >= kFrameHeaderSize) {
            const std::uint8_t command = m_buffer[2];
            if (!isKnownCommand(command)) {
                fault = FrameFault::UnknownCommand;
            } else if (auto fixed = fixedDataLength(static_cast<FrameCommand>(command));
                       fixed && *fixed != m_buffer[3]) {
                fault = FrameFault::BadLength;
            }
        }
        emitFault(out, fault, cut);
        decodeAvailable(out);
    }
    return out;
}

void FrameDecoder::decodeAvailable(std::vector<DecodedFrame>& out) {
    while (!m_buffer.empty()) {
        if (m_buffer[0] != kFrameStart) {
            const std::size_t start = nextStart(0);
            if (start < m_buffer.size()) {
                emitFault(out, FrameFault::Garbage, start);
            } else if (m_buffer.size() >= kMaxGarbageRun) {
                emitFault(out, FrameFault::Garbage, m_buffer.size());
            } else {
                return;
            }
            continue;
        }
        if (!decodeOne(out)) {
            return;
        }
    }
}

bool FrameDecoder::decodeOne(std::vector<DecodedFrame>& out) {
    if (m_buffer.size() < kFrameHeaderSize) {
        return false;
    }
    const std::uint8_t command = m_buffer[2];
    const std::size_t dataLength = m_buffer[3];

    // A header that cannot be right: the piece ends at the next start byte or
    // where the frame would end, whichever comes first.
    std::optional<FrameFault> headerFault;
    std::size_t end = dataLength + kFrameOverhead;
    if (!isKnownCommand(command)) {
        headerFault = FrameFault::UnknownCommand;
    } else if (auto fixed = fixedDataLength(static_cast<FrameCommand>(command))) {
        if (*fixed != dataLength) {
            headerFault = FrameFault::BadLength;
            end = *fixed + kFrameOverhead;
        }
    } else if (dataLength < 2) {
        headerFault = FrameFault::BadLength;
    }
    if (headerFault) {
        const std::size_t start = nextStart(1);
        if (start < end && start < m_buffer.size()) {
            emitFault(out, *headerFault, start);
            return true;
        }
        if (m_buffer.size() < end) {
            return false;
        }
        emitFault(out, *headerFault, end);
        return true;
    }

    if (m_buffer.size() < end) {
        return false;
    }
    const std::span<const std::uint8_t> body(m_buffer.data() + 1, end - 2);
    const std::uint8_t expected = frameChecksum(body);
    if (m_buffer[end - 1] != expected) {
        const std::size_t cut = std::min(nextStart(1), end);
        emitFault(out, FrameFault::BadChecksum, cut);
        out.back().expectedChecksum = expected;
        return true;
    }
    DecodedFrame frame;
    frame.address = m_buffer[1];
    frame.command = command;
    frame.lengthByte = m_buffer[3];
    frame.data.assign(m_buffer.begin() + kFrameHeaderSize, m_buffer.begin() + (end - 1));
    frame.raw.assign(m_buffer.begin(), m_buffer.begin() + end);
    m_buffer.erase(m_buffer.begin(), m_buffer.begin() + end);
    out.push_back(std::move(frame));
    return true;
}

void FrameDecoder::emitFault(std::vector<DecodedFrame>& out, FrameFault fault, std::size_t count) {
    DecodedFrame frame;
    frame.fault = fault;
    frame.raw.assign(m_buffer.begin(), m_buffer.begin() + count);
    if (fault != FrameFault::Garbage) {
        frame.address = m_buffer.size() > 1 ? m_buffer[1] : 0;
        frame.command = m_buffer.size() > 2 ? m_buffer[2] : 0;
        frame.lengthByte = m_buffer.size() > 3 ? m_buffer[3] : 0;
    }
    m_buffer.erase(m_buffer.begin(), m_buffer.begin() + count);
    out.push_back(std::move(frame));
}

std::size_t FrameDecoder::nextStart(std::size_t from) const {
    const auto it =
        std::find(m_buffer.begin() + std::min(from, m_buffer.size()), m_buffer.end(), kFrameStart);
    return static_cast<std::size_t>(it - m_buffer.begin());
}

}  // namespace mc
