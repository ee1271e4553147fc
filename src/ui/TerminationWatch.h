#pragma once

// TerminationWatch: SIGTERM, SIGINT and SIGHUP (and terminate(), for the end
// of the desktop session) end the program as its close box does, so that what
// the close saves is not lost when the session or a service manager ends it.
//
// Ending: every modal box that is open is closed as its cancel or only button
// would close it, and from then on QtDialogs shows no box (ending(): errors
// and messages go to standard error, dialogs answer "cancelled"); once no
// nested event loop runs any more, the watched window is closed (FormClose
// saves) and windowClosed() is emitted. The signal handler only writes the
// signal number into a pipe; a socket notifier reads it on the user-interface
// thread (SignalWatch). Further signals do not interrupt the close: only a
// signal that arrives SignalWatch::kForceAfter or more after the first one
// ends the program at once (the default action of that signal), for a
// program that hangs.
//
// Construct the watch before anything can show a box, then give it the
// window with watch(). One watch at a time per process. UI thread only.

#include <QObject>

class QTimer;
class QWidget;

namespace mc {

class SignalWatch;

class TerminationWatch final : public QObject {
    Q_OBJECT
public:
    // Installs the handlers. Throws std::system_error when the pipe cannot be
    // made or a handler cannot be installed.
    explicit TerminationWatch(QObject* parent = nullptr);
    // The same, then watch(window).
    explicit TerminationWatch(QWidget& window, QObject* parent = nullptr);
    // Restores the previous handlers (SignalWatch).
    ~TerminationWatch() override;

    TerminationWatch(const TerminationWatch&) = delete;
    TerminationWatch& operator=(const TerminationWatch&) = delete;

    // The window to close when ending; it must stay alive while the watch
    // handles events. Ending that began before (a signal while the window was
    // being created) goes on with it at once.
    void watch(QWidget& window);

    // Begins ending as a signal does.
    void terminate();

    // Whether ending has begun in this process (a signal or terminate()).
    static bool ending();

    // The last signal received; 0 before any.
    int received() const { return m_received; }

signals:
    // The watch has closed the window.
    void windowClosed();

private:
    void beginEnding();
    void step();

    QWidget* m_window = nullptr;
    SignalWatch* m_signals = nullptr;
    QTimer* m_timer = nullptr;
    bool m_windowClosed = false;
    int m_received = 0;
};

}  // namespace mc
