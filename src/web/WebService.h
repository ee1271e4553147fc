#pragma once

// WebService: the web panel and HTTP API of one session, as a service of the
// ServiceHost. Its section is "Web Control" of MatrixConfig.con: Enabled,
// Address, Port, PasswordHash and AllowedHosts. It owns the web server.
//
// The password hash and the allowed host names are taken at every build. An
// address other than a loopback one is not listened on without a password,
// nor is a "PasswordHash" that is not a hash this program can check: such
// settings close the server whatever it served before (so a configuration
// write that failed and left a broken hash never serves with less
// protection). A change of the address, the port, the switch, or between
// having a password and having none, moves the listener.
//
// The configuration dialog's page stores a new password as its hash
// (makePasswordHash); the password itself is stored nowhere.
//
// Lifetime: the session must outlive the service. Threads: the
// user-interface thread only; the server runs on its event loop.

#include <QString>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "service/NetworkService.h"

namespace mc {
class MatrixSession;
}

namespace mc::web {

class WebServer;

// The section "Web Control", typed.
struct WebSettings {
    bool Enabled = false;
    std::string Address = "127.0.0.1";
    std::int32_t Port = 8990;
    // "pbkdf2-sha256$<iterations>$<salt base64>$<key base64>"; empty: no password.
    std::string PasswordHash;
    // Host names besides this machine's own that the panel answers to
    // (comma-separated), for a name the operator gave it in DNS.
    std::string AllowedHosts;

    static WebSettings from(const SettingsValues& values);
};

// The section and key of the password hash (--set-web-password writes it alone).
inline constexpr const char* kWebSection = "Web Control";
inline constexpr const char* kWebPasswordHash = "PasswordHash";

// The section "Web Control" as the configuration dialog shows it.
const ServiceSettingsPage& webSettingsPage();

// Why `settings` may not be listened on as they stand (a non-loopback
// address without a password, a hash that is not one); nullopt when they may.
std::optional<service::ServiceRefusal> webSettingsRefusal(const WebSettings& settings);

class WebService final : public service::NetworkService {
    Q_OBJECT

public:
    explicit WebService(MatrixSession& session, QObject* parent = nullptr);
    ~WebService() override;

    const ServiceSettingsPage& settingsPage() const override { return webSettingsPage(); }
    const service::ServiceTexts& texts() const override;
    void configure(const SettingsValues& values) override;
    std::optional<service::ServiceRefusal> refusal(const SettingsValues& values) const override;
    bool movesListener(const SettingsValues& before, const SettingsValues& now) const override;
    bool listen(const QHostAddress& address, quint16 port) override;
    QString errorString() const override;
    void close() override;
    bool isListening() const override;
    QHostAddress listenAddress() const override;
    quint16 listenPort() const override;
    int clientCount() const override;
    // "_http._tcp", path=/; "<model> 网页控制 (<host>)".
    std::optional<announce::ServiceRecord> announcement() const override;

    // The address pages open, e.g. "http://127.0.0.1:8990/"; empty while not
    // listening.
    QString url() const;
    WebServer& server() const { return *m_server; }

private:
    MatrixSession& m_session;
    std::unique_ptr<WebServer> m_server;
};

}  // namespace mc::web
