#include "ui/TerminationWatch.h"

#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <system_error>

namespace mc {

namespace {

// How often, while ending, open boxes are closed and the window is tried.
constexpr int kStepMs = 20;

// The write end of the pipe of the one watch, for the signal handler.
volatile std::sig_atomic_t g_writeFd = -1;
// CLOCK_MONOTONIC time of the first signal (or terminate()) in nanoseconds;
// 0 before. Lock-free, so the handler may use it.
std::atomic<std::int64_t> g_firstSignalNs{0};
static_assert(std::atomic<std::int64_t>::is_always_lock_free);
// Set on the UI thread when ending begins; read by QtDialogs.
std::atomic<bool> g_ending{false};

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
        std::chrono::duration_cast<std::chrono::nanoseconds>(TerminationWatch::kForceAfter);
    return now - first >= forceAfter.count();
}

extern "C" void onTerminationSignal(int signal) {
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
        [[maybe_unused]] ssize_t ignored = ::write(fd, &byte, 1);
    }
    errno = saved;
}

// Closes a box as its cancel button, or its only button, would.
void dismiss(QWidget& widget) {
    if (auto* box = qobject_cast<QMessageBox*>(&widget)) {
        QAbstractButton* button = box->escapeButton();
        if (button == nullptr && box->buttons().size() == 1) button = box->buttons().constFirst();
        if (button != nullptr) {
            button->click();
        } else {
            box->reject();
        }
    } else if (auto* dialog = qobject_cast<QDialog*>(&widget)) {
        dialog->reject();
    } else {
        widget.close();
    }
}

// Closes every open modal box, innermost first.
void dismissModalBoxes() {
    for (int guard = 0; guard < 64; ++guard) {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr) return;
        dismiss(*modal);
        if (QApplication::activeModalWidget() == modal) modal->hide();
    }
}

}  // namespace

TerminationWatch::TerminationWatch(QObject* parent) : QObject(parent) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) {
        throw std::system_error(errno, std::generic_category(), "termination pipe");
    }
    m_readFd = fds[0];
    m_writeFd = fds[1];
    g_writeFd = m_writeFd;
    g_firstSignalNs = 0;
    g_ending = false;

    m_notifier = new QSocketNotifier(m_readFd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] { onSignalled(); });
    m_timer = new QTimer(this);
    m_timer->setInterval(kStepMs);
    connect(m_timer, &QTimer::timeout, this, [this] { step(); });

    struct sigaction action {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (std::size_t k = 0; k < kSignals.size(); ++k) {
        if (::sigaction(kSignals[k], &action, &m_previous[k]) != 0) {
            const int error = errno;
            for (std::size_t undo = 0; undo < k; ++undo) {
                ::sigaction(kSignals[undo], &m_previous[undo], nullptr);
            }
            g_writeFd = -1;
            ::close(m_readFd);
            ::close(m_writeFd);
            throw std::system_error(error, std::generic_category(), "termination handler");
        }
    }
    m_installed = true;
}

TerminationWatch::TerminationWatch(QWidget& window, QObject* parent) : TerminationWatch(parent) {
    watch(window);
}

TerminationWatch::~TerminationWatch() {
    restoreHandlers();
    g_writeFd = -1;
    g_ending = false;
    g_firstSignalNs = 0;
    ::close(m_readFd);
    ::close(m_writeFd);
}

void TerminationWatch::watch(QWidget& window) {
    m_window = &window;
    m_windowClosed = false;
    if (ending()) step();
}

void TerminationWatch::terminate() {
    isForcing(monotonicNs());  // counts as the first signal
    beginEnding();
}

bool TerminationWatch::ending() {
    return g_ending.load();
}

void TerminationWatch::restoreHandlers() {
    if (!m_installed) return;
    m_installed = false;
    for (std::size_t k = 0; k < kSignals.size(); ++k) {
        ::sigaction(kSignals[k], &m_previous[k], nullptr);
    }
}

void TerminationWatch::onSignalled() {
    unsigned char byte = 0;
    int last = 0;
    while (::read(m_readFd, &byte, 1) == 1)
        last = byte;
    if (last == 0) return;
    m_received = last;
    beginEnding();
}

void TerminationWatch::beginEnding() {
    if (!g_ending.exchange(true)) m_timer->start();
    step();
}

void TerminationWatch::step() {
    dismissModalBoxes();
    // A window closed inside a nested event loop would free what the handler
    // that opened the box still uses; it waits until that loop has returned.
    if (m_window == nullptr || m_windowClosed || QThread::currentThread()->loopLevel() > 1 ||
        QApplication::activeModalWidget() != nullptr)
        return;
    m_windowClosed = true;
    m_timer->stop();
    m_window->close();
    emit windowClosed();
}

}  // namespace mc
