#pragma once

// WebControl: the web panel and HTTP API of one session. It owns the web
// server and listens as the session's settings say (section "Web Control":
// Enabled, Address, Port, PasswordHash).
//
// applySettings() runs after every build of the session (start-up and the
// configuration dialog's Apply both end with one): it starts, stops or moves
// the server only when Enabled, Address or Port changed, and tries again when
// the server is enabled but not listening (the port was busy). The password
// hash and the allowed host names are taken on every build. An address other
// than a loopback one is not listened on without a password, nor is a
// "PasswordHash" that is not a hash this program can check: such settings
// close the server whatever it served before (so a configuration write that
// failed and left a broken hash never serves with less protection). A
// setting that cannot be listened on is reported once through bindFailed
// (for a refusal, the note saying why and what to do) and logMessage; the
// program runs on without the server until the settings change or the next
// build finds the port free.
//
// Lifetime: the session must outlive this object. Call applySettings() once
// the session has started and the signals are connected. Threads: the
// user-interface thread only; the server runs on its event loop.

#include <QObject>
#include <QString>

#include <memory>
#include <optional>

#include "config/StartupSettings.h"
#include "control/SessionObserver.h"

namespace mc {
class MatrixSession;
}

namespace mc::web {

class WebServer;

// Why settings may not be listened on: `log` for the log (English, as every
// log line), `note` for the operator (Chinese, with what to do).
struct WebRefusal {
    QString log;
    QString note;
};

// Why `settings` may not be listened on as they stand (a non-loopback address
// without a password, a hash that is not one); nullopt when they may.
std::optional<WebRefusal> webSettingsRefusal(const WebSettings& settings);

class WebControl final : public QObject, private ISessionObserver {
    Q_OBJECT

public:
    explicit WebControl(MatrixSession& session, QObject* parent = nullptr);
    ~WebControl() override;
    WebControl(const WebControl&) = delete;
    WebControl& operator=(const WebControl&) = delete;

    void applySettings();

    // "网页控制：http://127.0.0.1:8990，2 个页面" while listening, a short
    // failure text while enabled but not listening, empty while disabled.
    QString statusText() const { return m_status; }
    // The address pages open, e.g. "http://127.0.0.1:8990/"; empty while not
    // listening.
    QString url() const;

    WebServer& server() const { return *m_server; }

signals:
    void statusChanged(const QString& text);
    void logMessage(const QString& line);
    void bindFailed(const QString& message);

private:
    void sessionChanged(const SessionChange& change) override;
    void updateStatus();

    MatrixSession& m_session;
    std::unique_ptr<WebServer> m_server;
    std::optional<WebSettings> m_applied;
    std::optional<WebSettings> m_reported;
    QString m_status;
};

}  // namespace mc::web
