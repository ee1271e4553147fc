#include "app/SignalWatch.h"

#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>

#include <cerrno>
#include <system_error>

namespace mc {

namespace {

// The write end of the pipe of the one watch, for the handler.
volatile std::sig_atomic_t g_writeFd = -1;

extern "C" void onWatchedSignal(int signal) {
    const int saved = errno;
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
    delete m_notifier;
    ::close(m_readFd);
    ::close(m_writeFd);
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
    if (received == 0) return;
    restoreHandlers();
    emit signalled(received);
}

}  // namespace mc
