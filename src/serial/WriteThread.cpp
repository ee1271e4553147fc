#include "serial/WriteThread.h"

#include "serial/CommsError.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <new>
#include <system_error>

namespace mc {

namespace {

// One step below the read thread: the line is slow, and a block waits in
// the driver anyway.
constexpr int kWriteThreadNice = 1;

constexpr short kGoneEvents = POLLHUP | POLLERR | POLLNVAL;

int createWakeEvent() {
    const int fd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (fd < 0) throw std::system_error(errno, std::generic_category(), "eventfd");
    return fd;
}

}  // namespace

TWriteThread::TWriteThread(int PortHandle, int CloseEvent, ICommNotify& Notify,
                           std::atomic<bool>& OutputIdle)
    : PortHandle(PortHandle),
      CloseEvent(CloseEvent),
      m_notify(Notify),
      OutputIdle(OutputIdle),
      m_wakeEvent(createWakeEvent()),
      m_thread([this] { Execute(); }) {}

TWriteThread::~TWriteThread() {
    if (m_thread.joinable()) m_thread.join();
}

bool TWriteThread::WriteRequest(const std::uint8_t* Bytes, std::uint16_t Count) {
    if (Count == 0 || Bytes == nullptr) return false;
    try {
        std::vector<std::uint8_t> block(Bytes, Bytes + Count);
        std::lock_guard lock(m_mutex);
        if (m_ended) return false;
        m_queue.push_back(std::move(block));
        OutputIdle.store(false);
    } catch (const std::bad_alloc&) {
        return false;
    }
    const std::uint64_t one = 1;
    while (::write(m_wakeEvent.get(), &one, sizeof one) < 0 && errno == EINTR) {
    }
    return true;
}

std::optional<std::chrono::steady_clock::time_point> TWriteThread::lastWritten() const {
    const std::int64_t at = m_writtenAt.load();
    if (at == 0) return std::nullopt;
    return std::chrono::steady_clock::time_point(std::chrono::steady_clock::duration(at));
}

bool TWriteThread::take(std::vector<std::uint8_t>& block) {
    std::lock_guard lock(m_mutex);
    if (m_queue.empty()) {
        OutputIdle.store(true);
        return false;
    }
    block = std::move(m_queue.front());
    m_queue.pop_front();
    return true;
}

bool TWriteThread::waitForWork() {
    // The port is watched for hang-ups only (no events asked for): a device
    // that goes away while nothing is being sent ends this thread as well.
    pollfd fds[3] = {{CloseEvent, POLLIN, 0}, {m_wakeEvent.get(), POLLIN, 0}, {PortHandle, 0, 0}};
    if (pollOnce(fds, 3, -1) < 0) {
        m_notify.NotifyHangup();
        return false;
    }
    if (fds[0].revents != 0) return false;
    if ((fds[2].revents & kGoneEvents) != 0) {
        m_notify.NotifyHangup();
        return false;
    }
    if (fds[1].revents != 0) {
        std::uint64_t count = 0;
        while (::read(m_wakeEvent.get(), &count, sizeof count) < 0 && errno == EINTR) {
        }
    }
    return true;
}

bool TWriteThread::SendBlock(const std::vector<std::uint8_t>& block) {
    std::size_t offset = 0;
    while (offset < block.size()) {
        const ssize_t written = ::write(PortHandle, block.data() + offset, block.size() - offset);
        if (written > 0) {
            offset += static_cast<std::size_t>(written);
            continue;
        }
        if (written < 0 && errno == EINTR) continue;
        if (written < 0 && errno == EBADF) return false;  // closed under us: no notification
        if (written < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
            m_notify.NotifyHangup();
            return false;
        }
        // The driver takes nothing now (full, or held by XOFF): wait for room.
        pollfd fds[2] = {{CloseEvent, POLLIN, 0}, {PortHandle, POLLOUT, 0}};
        if (pollOnce(fds, 2, -1) < 0) {
            m_notify.NotifyHangup();
            return false;
        }
        if (fds[0].revents != 0) return false;  // closing: the rest is dropped
        if ((fds[1].revents & kGoneEvents) != 0) {
            m_notify.NotifyHangup();
            return false;
        }
    }
    return true;
}

void TWriteThread::finish() {
    std::lock_guard lock(m_mutex);
    m_ended = true;
    m_queue.clear();
    OutputIdle.store(true);
}

void TWriteThread::Execute() {
    adjustThreadNice(kWriteThreadNice);
    bool reportIdle = true;
    std::vector<std::uint8_t> block;
    for (;;) {
        if (!take(block)) {
            if (reportIdle) {
                m_notify.NotifyEmpty();
                reportIdle = false;
            }
            if (!waitForWork()) break;
            continue;
        }
        if (isCloseSignalled(CloseEvent)) break;
        if (!SendBlock(block)) break;
        m_writtenAt.store(std::chrono::steady_clock::now().time_since_epoch().count());
        reportIdle = true;
    }
    finish();
}

}  // namespace mc
