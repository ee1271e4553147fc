#pragma once

// The simulated switcher's receiving logic without any I/O: bytes in, with
// the time they arrived; reports out, with the gap since the previous report
// and the flags; the device state kept up to date.

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "FrameReport.h"
#include "SwitcherState.h"
#include "protocol/FrameDecoder.h"

namespace mc::sim {

class FrameMonitor {
public:
    using TimePoint = std::chrono::steady_clock::time_point;

    // Reports closer than minGapMs - toleranceMs to the previous one are
    // TOO-CLOSE (both must begin with a start byte: stray bytes do not count).
    FrameMonitor(std::uint8_t address, double minGapMs, double toleranceMs);

    // Bytes that arrived at `at`; returns the reports they complete.
    std::vector<FrameReport> receive(std::span<const std::uint8_t> bytes, TimePoint at);
    // Reports whatever incomplete input is held (see FrameDecoder::flush).
    std::vector<FrameReport> flush(TimePoint at);
    // True while bytes wait for the rest of their frame.
    bool pending() const { return m_decoder.pending() > 0; }

    const SwitcherState& state() const { return m_state; }

    // Whether the device answers this frame: well-formed and for its address.
    static bool wantsReply(const FrameReport& report);

private:
    std::vector<FrameReport> report(std::vector<DecodedFrame> frames, TimePoint at);

    FrameDecoder m_decoder;
    SwitcherState m_state;
    double m_tooCloseMs;
    std::optional<TimePoint> m_lastReport;
    bool m_lastWasFrame = false;  // the last report began with a start byte
};

}  // namespace mc::sim
