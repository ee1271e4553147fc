#pragma once

// SignalWatch: SIGTERM, SIGINT and SIGHUP as a Qt signal on the thread that
// runs the event loop. The handler only writes the signal number into a pipe
// (async-signal-safe); a socket notifier reads it and emits `signalled`.
//
// Further signals do not interrupt what the first one started (a save at
// close): the handlers stay installed and each signal is reported again.
// Only a signal that arrives kForceAfter or more after the first one ends
// the program at once, with that signal's default action, for a program
// that hangs. markFirst() counts as the first signal (the end of the desktop
// session, which is no signal).
//
// One watch at a time per process; the thread that runs its event loop only.
// QtCore only: the program without a window uses it too.

#include <QObject>
#include <array>
#include <chrono>
#include <csignal>

class QSocketNotifier;

namespace mc {

class SignalWatch final : public QObject {
    Q_OBJECT
public:
    static constexpr std::array<int, 3> kSignals{SIGTERM, SIGINT, SIGHUP};
    // A signal this long after the first ends the program at once.
    static constexpr std::chrono::milliseconds kForceAfter{5000};

    // Installs the handlers. Throws std::system_error when the pipe cannot be
    // made or a handler cannot be installed.
    explicit SignalWatch(QObject* parent = nullptr);
    // Restores the previous handlers and closes the pipe.
    ~SignalWatch() override;
    SignalWatch(const SignalWatch&) = delete;
    SignalWatch& operator=(const SignalWatch&) = delete;

    // Starts the kForceAfter clock as a first signal does (no-op after one).
    static void markFirst();

signals:
    // A watched signal arrived (the first, or a later one within kForceAfter).
    void signalled(int signal);

private:
    void readPipe();
    void restoreHandlers();

    int m_readFd = -1;
    int m_writeFd = -1;
    QSocketNotifier* m_notifier = nullptr;
    std::array<struct sigaction, kSignals.size()> m_previous{};
    bool m_installed = false;
};

}  // namespace mc
