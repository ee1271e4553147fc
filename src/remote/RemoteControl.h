#pragma once

// RemoteControl: the network control of one session. It owns the protocol
// server and the router that connects it to the session, and listens as the
// session's settings say (section "Network Control": Enabled, Address, Port).
//
// applySettings() runs after every build of the session (start-up and the
// configuration dialog's Apply both end with one): it starts, stops or moves
// the server only when Enabled, Address or Port changed, and tries again when
// the server is enabled but not listening (the port was busy). A port that
// cannot be bound is reported once per setting through bindFailed; the
// program runs on without the server until the settings change or the next
// build finds the port free.
//
// Lifetime: the session must outlive this object. Call applySettings() once
// the session has started and the signals are connected; every later build
// applies the settings again by itself. Threads: the
// user-interface thread only; the server runs on that thread's event loop.

#include <QObject>
#include <QString>

#include <memory>
#include <optional>

#include "config/StartupSettings.h"
#include "control/SessionObserver.h"

namespace mc {
class MatrixSession;
}

namespace mc::remote {

class SessionRouter;
class VideohubServer;

class RemoteControl final : public QObject, private ISessionObserver {
    Q_OBJECT

public:
    explicit RemoteControl(MatrixSession& session, QObject* parent = nullptr);
    ~RemoteControl() override;
    RemoteControl(const RemoteControl&) = delete;
    RemoteControl& operator=(const RemoteControl&) = delete;

    // Listens according to the session's settings (see above).
    void applySettings();

    // One line for the status bar: "网络控制：127.0.0.1:9990，2 个客户端" while
    // listening, a short failure text while enabled but not listening, empty
    // while disabled.
    QString statusText() const;

    VideohubServer& server() const { return *m_server; }
    SessionRouter& router() const { return *m_router; }

signals:
    // statusText() changed.
    void statusChanged(const QString& text);
    // One line for a log: listening, stopping, each client's connect and
    // disconnect, a bind failure.
    void logMessage(const QString& line);
    // The server could not listen: the reason with the address. Once per
    // setting.
    void bindFailed(const QString& message);

private:
    void sessionChanged(const SessionChange& change) override;
    void updateStatus();

    MatrixSession& m_session;
    std::unique_ptr<SessionRouter> m_router;
    std::unique_ptr<VideohubServer> m_server;   // declared after the router it uses
    std::optional<NetworkSettings> m_applied;   // the settings last acted on
    std::optional<NetworkSettings> m_reported;  // the setting whose failure was reported
    QString m_status;
};

}  // namespace mc::remote
