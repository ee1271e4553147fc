#include "FrameMonitor.h"

#include <utility>

namespace mc::sim {

FrameMonitor::FrameMonitor(std::uint8_t address, double minGapMs, double toleranceMs)
    : m_state(address), m_tooCloseMs(minGapMs - toleranceMs) {}

std::vector<FrameReport> FrameMonitor::receive(std::span<const std::uint8_t> bytes, TimePoint at) {
    return report(m_decoder.feed(bytes), at);
}

std::vector<FrameReport> FrameMonitor::flush(TimePoint at) {
    return report(m_decoder.flush(), at);
}

bool FrameMonitor::wantsReply(const FrameReport& report) {
    const FrameKind kind = report.meaning.kind;
    return kind != FrameKind::Malformed && kind != FrameKind::Unknown && !report.otherAddress;
}

std::vector<FrameReport> FrameMonitor::report(std::vector<DecodedFrame> frames, TimePoint at) {
    std::vector<FrameReport> reports;
    for (auto& frame : frames) {
        FrameReport r;
        const bool isFrame = frame.fault != FrameFault::Garbage;
        if (m_lastReport) {
            r.gapMs = std::chrono::duration<double, std::milli>(at - *m_lastReport).count();
            r.tooClose = isFrame && m_lastWasFrame && *r.gapMs < m_tooCloseMs;
        }
        r.meaning = interpret(frame);
        r.otherAddress = !m_state.apply(r.meaning);
        r.frame = std::move(frame);
        m_lastReport = at;
        m_lastWasFrame = isFrame;
        reports.push_back(std::move(r));
    }
    return reports;
}

}  // namespace mc::sim
