#pragma once

// SignalWatch: SIGTERM, SIGINT and SIGHUP as a Qt signal on the thread that
// runs the event loop, for the program without a window. The handler only
// writes the signal number into a pipe (async-signal-safe); a socket notifier
// reads it and emits `signalled`. After the first signal the previous
// handlers are back, so a second signal ends a program that hangs.
//
// One watch per process; the thread that runs its event loop only. Needs a
// QCoreApplication, never a GUI.

#include <QObject>

#include <array>
#include <csignal>

class QSocketNotifier;

namespace mc {

class SignalWatch final : public QObject {
    Q_OBJECT

public:
    static constexpr std::array<int, 3> kSignals{SIGTERM, SIGINT, SIGHUP};

    // Throws std::system_error when the pipe or a handler cannot be made.
    explicit SignalWatch(QObject* parent = nullptr);
    // Restores the previous handlers and closes the pipe.
    ~SignalWatch() override;
    SignalWatch(const SignalWatch&) = delete;
    SignalWatch& operator=(const SignalWatch&) = delete;

signals:
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
