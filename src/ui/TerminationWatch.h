#pragma once

// TerminationWatch: SIGTERM, SIGINT and SIGHUP close a window exactly as its
// close box does, so that what the close saves is not lost when the session
// or a service manager ends the program. The signal handler only writes the
// signal number into a pipe; a socket notifier reads it on the user-interface
// thread and closes the window there. After the first signal the previous
// handlers are back, so a second signal ends a program that hangs.
//
// One watch at a time per process. UI thread only.

#include <QObject>
#include <array>
#include <csignal>

class QSocketNotifier;
class QWidget;

namespace mc {

class TerminationWatch final : public QObject {
    Q_OBJECT
public:
    // The signals watched.
    static constexpr std::array<int, 3> kSignals{SIGTERM, SIGINT, SIGHUP};

    // window must outlive the watch. Throws std::system_error when the pipe
    // cannot be made or a handler cannot be installed.
    explicit TerminationWatch(QWidget& window, QObject* parent = nullptr);
    // Restores the previous handlers and closes the pipe.
    ~TerminationWatch() override;

    TerminationWatch(const TerminationWatch&) = delete;
    TerminationWatch& operator=(const TerminationWatch&) = delete;

    // The last signal that closed the window; 0 before any.
    int received() const { return m_received; }

private:
    void onSignalled();
    void restoreHandlers();

    QWidget& m_window;
    int m_readFd = -1;
    int m_writeFd = -1;
    QSocketNotifier* m_notifier = nullptr;
    std::array<struct sigaction, kSignals.size()> m_previous{};
    bool m_installed = false;
    int m_received = 0;
};

}  // namespace mc
