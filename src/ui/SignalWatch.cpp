#include "ui/SignalWatch.h"

#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <system_error>

namespace mc {

namespace {

// The write end of the pipe of the one watch, for the signal handler.
volatile std::sig_atomic_t g_writeFd = -1;
// CLOCK_MONOTONIC time of the first signal (or markFirst()) in nanoseconds;
// 0 before. Lock-free, so the handler may use it.
std::atomic<std::int64_t> g_firstSignalNs{0};
static_assert(std::atomic<std::int64_t>::is_always_lock_free);

// Async-signal-safe (clock_gettime is).
std::int64_t monotonicNs() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    const std::int64_t ns = std::int64_t{now.tv_sec} * 1'000'000'000 + now.tv_nsec;
    return ns > 0 ? ns : 1;
}

// Records the first signal; true when this one comes kForceAfter or more
// after it.
bool isForcing(std::int64_t now) {
    std::int64_t first = 0;
    if (g_firstSignalNs.compare_exchange_strong(first, now)) return false;
    const auto forceAfter =
        std::chrono::duration_cast<std::chrono::nanoseconds>(SignalWatch::kForceAfter);
    return now - first >= forceAfter.count();
}

extern "C" void onWatchedSignal(int signal) {
    const int saved = errno;
    if (isForcing(monotonicNs())) {
        // Ends the program with the signal's default action once the handler
        // returns (the signal is blocked until then).
        struct sigaction fallback {};
        fallback.sa_handler = SIG_DFL;
        sigemptyset(&fallback.sa_mask);
        ::sigaction(signal, &fallback, nullptr);
        ::raise(signal);
        errno = saved;
        return;
    }
    const int fd = g_writeFd;
    if (fd >= 0) {
        const auto byte = static_cast<unsigned char>(signal);
        [[maybe_unused]] const ssize_t ignored = ::write(fd, &byte, 1);
    }
    errno = saved;
}

}  // namespace

SignalWatch::SignalWatch(QObject* parent) : QObject(parent) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0)
        throw std::system_error(errno, std::generic_category(), "signal pipe");
    m_readFd = fds[0];
    m_writeFd = fds[1];
    g_writeFd = m_writeFd;
    g_firstSignalNs = 0;
    m_notifier = new QSocketNotifier(m_readFd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] { readPipe(); });

    struct sigaction action {};
    action.sa_handler = onWatchedSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (std::size_t k = 0; k < kSignals.size(); ++k) {
        if (::sigaction(kSignals[k], &action, &m_previous[k]) != 0) {
            const int error = errno;
            for (std::size_t undo = 0; undo < k; ++undo)
                ::sigaction(kSignals[undo], &m_previous[undo], nullptr);
            g_writeFd = -1;
            ::close(m_readFd);
            ::close(m_writeFd);
            throw std::system_error(error, std::generic_category(), "signal handler");
        }
    }
    m_installed = true;
}

SignalWatch::~SignalWatch() {
    restoreHandlers();
    g_writeFd = -1;
    g_firstSignalNs = 0;
    delete m_notifier;
    ::close(m_readFd);
    ::close(m_writeFd);
}

void SignalWatch::markFirst() {
    isForcing(monotonicNs());
}

void SignalWatch::restoreHandlers() {
    if (!m_installed) return;
    m_installed = false;
    for (std::size_t k = 0; k < kSignals.size(); ++k)
        ::sigaction(kSignals[k], &m_previous[k], nullptr);
}

void SignalWatch::readPipe() {
    unsigned char byte = 0;
    int received = 0;
    while (::read(m_readFd, &byte, 1) == 1)
        received = byte;
    if (received != 0) emit signalled(received);
}

}  // namespace mc
