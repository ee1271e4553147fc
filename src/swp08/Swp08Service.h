#pragma once

// Swp08Service: SW-P-08 over TCP as a service of the ServiceHost. Its section
// is "SW-P-08 Control" of MatrixConfig.con: Enabled (0/1, default 0), Address
// (default 127.0.0.1; "0.0.0.0" lets every computer switch, as the protocol
// has no passwords), Port (default 8910), Announce (kept as written: DNS-SD
// has no common type for the protocol, so the service is never announced).
// Each accepted controller gets a Swp08Link on the one Swp08Router of the
// session; the StreamServer keeps the connection limits and drops a
// controller that stops reading.
//
// Lifetime: the session must outlive the service. Threads: the
// user-interface thread only.

#include <memory>

#include "service/StreamServer.h"
#include "service/StreamService.h"

namespace mc {
class MatrixSession;
}

namespace mc::swp08 {

class Swp08Router;

// The section "SW-P-08 Control" as the configuration dialog shows it.
const ServiceSettingsPage& swp08SettingsPage();

class Swp08Service final : public service::StreamService, private service::StreamProtocol {
    Q_OBJECT

public:
    explicit Swp08Service(MatrixSession& session, QObject* parent = nullptr);
    ~Swp08Service() override;

    const ServiceSettingsPage& settingsPage() const override { return swp08SettingsPage(); }
    const service::ServiceTexts& texts() const override;
    void configure(const SettingsValues&) override {}

private:
    class Controller;
    std::unique_ptr<service::StreamReader> connected(service::StreamClient& client) override;

    std::unique_ptr<Swp08Router> m_router;
    std::unique_ptr<service::StreamServer> m_server;  // declared after the router its links use
};

}  // namespace mc::swp08
