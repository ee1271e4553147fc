#include "protocol/MatrixComm.h"

#include <algorithm>
#include <cstdint>
#include <utility>

namespace mc {

TMatrixCommDataThread::TMatrixCommDataThread(CommandQueue& queue, IBytePort& port,
                                             ISenderClock& clock)
    : m_queue(queue), m_port(port), m_clock(clock) {}

TMatrixCommDataThread::~TMatrixCommDataThread() {
    stop();
}

void TMatrixCommDataThread::setHandOverListener(HandOverListener listener) {
    m_listener = std::move(listener);
}

void TMatrixCommDataThread::start() {
    if (m_thread.joinable()) {
        return;
    }
    m_stop = std::stop_source();
    m_thread = std::jthread([this, stop = m_stop.get_token()] { run(stop); });
}

void TMatrixCommDataThread::stop() {
    // The stop request wakes both waits of the loop through their stop
    // callbacks: the queue's condition variable and the clock's sleep. From
    // the sender thread (the listener) m_thread may not even be assigned yet,
    // so it is not looked at there.
    m_stop.request_stop();
    if (m_senderId.load() == std::this_thread::get_id()) {
        return;
    }
    if (m_thread.joinable()) {
        m_thread.join();
        m_thread = std::jthread();
        m_senderId = std::thread::id();
    }
}

void TMatrixCommDataThread::run(std::stop_token stop) {
    m_senderId = std::this_thread::get_id();
    while (!stop.stop_requested()) {
        auto record = m_queue.waitTake(stop);
        if (!record) {
            return;
        }
        const bool accepted = handOver(*record);
        record.reset();
        const auto nextSlot = m_clock.now() + kFrameGap + kPacingMargin;
        if (m_listener) {
            try {
                m_listener(accepted, m_queue.count());
            } catch (...) {
                // A listener's failure must not end the thread.
            }
        }
        if (!m_clock.sleepUntil(nextSlot, stop)) {
            return;
        }
        // The gap counts on the line too: from when the port's writer
        // actually wrote the frame, where that was later than the hand-over.
        const auto written = accepted ? m_port.lastBlockWritten() : std::nullopt;
        if (written && *written + kFrameGap + kPacingMargin > nextSlot &&
            !m_clock.sleepUntil(*written + kFrameGap + kPacingMargin, stop)) {
            return;
        }
    }
}

bool TMatrixCommDataThread::handOver(const TMatrixCommDataType& record) {
    // DataLength normally equals Data's size; never read past the bytes.
    const std::size_t length = std::min(
        static_cast<std::size_t>(std::max<std::int32_t>(record.DataLength, 0)), record.Data.size());
    try {
        return m_port.WriteData(record.Data.data(), static_cast<std::uint16_t>(length));
    } catch (...) {
        return false;
    }
}

}  // namespace mc
