#include "serial/ReadThread.h"

#include "serial/CommsError.h"
#include "serial/PortSignals.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <limits>

namespace mc {

namespace {

// The read thread is given a little more weight than normal threads where
// the system allows it (it keeps the driver's input queue drained).
constexpr int kReadThreadNice = -1;

constexpr short kGoneEvents = POLLHUP | POLLERR | POLLNVAL;

}  // namespace

TReadThread::TReadThread(int PortHandle, int CloseEvent, ICommNotify& Notify,
                         std::unique_ptr<ILineStatus> LineStatus, std::uint32_t ReadInterval)
    : PortHandle(PortHandle),
      CloseEvent(CloseEvent),
      m_notify(Notify),
      m_lineStatus(std::move(LineStatus)),
      m_readInterval(ReadInterval),
      m_thread([this] { Execute(); }) {}

TReadThread::~TReadThread() {
    if (m_thread.joinable()) m_thread.join();
}

bool TReadThread::intervalImmediate() const {
    const std::uint32_t interval = m_readInterval.load();
    return interval == 0 || interval == std::numeric_limits<std::uint32_t>::max();
}

int TReadThread::pollTimeout(Clock::time_point now) const {
    using std::chrono::ceil;
    using std::chrono::milliseconds;
    Clock::time_point deadline = Clock::time_point::max();
    if (m_count > 0) deadline = m_lastByte + milliseconds(m_readInterval.load());
    if (m_lineStatus && m_lineStatus->supported()) deadline = std::min(deadline, m_nextLineCheck);
    if (deadline == Clock::time_point::max()) return -1;
    if (deadline <= now) return 0;
    const auto wait = ceil<milliseconds>(deadline - now).count();
    return static_cast<int>(std::min<long long>(wait, std::numeric_limits<int>::max()));
}

bool TReadThread::checkLineEvents(LineSnapshot& last, Clock::time_point now) {
    if (!m_lineStatus || !m_lineStatus->supported()) return true;
    LineSnapshot current;
    if (m_lineStatus->read(current) != LineReadResult::Ok) return false;
    const LineEvents events = lineEventsBetween(last, current);
    last = current;
    m_nextLineCheck = now + IdleLineCheck;
    if (events.errorFlags != 0) m_notify.NotifyError(events.errorFlags);
    if (events.modemBits != 0) m_notify.NotifyModem(events.modemBits);
    return true;
}

bool TReadThread::DeliverData() {
    const auto count = static_cast<std::uint16_t>(m_count);
    m_count = 0;
    return m_notify.NotifyData(m_block, count);
}

void TReadThread::Execute() {
    adjustThreadNice(kReadThreadNice);

    LineSnapshot last;
    bool gone = false;
    if (m_lineStatus && m_lineStatus->supported()) {
        gone = m_lineStatus->read(last) != LineReadResult::Ok;
        m_nextLineCheck = Clock::now() + IdleLineCheck;
    }

    while (!gone) {
        pollfd fds[2] = {{CloseEvent, POLLIN, 0}, {PortHandle, POLLIN, 0}};
        const int ready = pollOnce(fds, 2, pollTimeout(Clock::now()));
        if (ready < 0) {
            gone = true;
            break;
        }
        if (fds[0].revents != 0) return;  // closing: no notification

        const Clock::time_point now = Clock::now();
        if (!checkLineEvents(last, now)) {
            gone = true;
            break;
        }

        if ((fds[1].revents & POLLIN) != 0) {
            const ssize_t got = ::read(PortHandle, m_block + m_count, BlockSize - m_count);
            if (got > 0) {
                m_count += static_cast<std::size_t>(got);
                m_lastByte = now;
                if ((m_count == BlockSize || intervalImmediate()) && !DeliverData()) return;
            } else if (got < 0 && isTransient(errno)) {
                continue;
            } else {
                gone = true;  // 0 bytes with VMIN 1: the other side is gone; or a read error
                break;
            }
        } else if ((fds[1].revents & kGoneEvents) != 0) {
            gone = true;
            break;
        }

        if (m_count > 0 &&
            Clock::now() - m_lastByte >= std::chrono::milliseconds(m_readInterval.load())) {
            if (!DeliverData()) return;
        }
    }

    // The device is gone or failed: what arrived before is still handed over.
    if (m_count > 0 && !DeliverData()) return;
    m_notify.NotifyHangup();
}

}  // namespace mc
