#pragma once

// RouterService: the network control, the router protocol server of one
// session, as a service of the ServiceHost. Its section is "Network Control"
// of MatrixConfig.con: Enabled, Address, Port and FriendlyName (empty: the
// model name). It owns the server, which is itself the session's observer.
//
// Lifetime: the session must outlive the service. Threads: the
// user-interface thread only; the server runs on that thread's event loop.

#include <memory>

#include "service/StreamService.h"

namespace mc {
class MatrixSession;
}

namespace mc::remote {

class VideohubServer;

// The section "Network Control" as the configuration dialog shows it.
const ServiceSettingsPage& routerSettingsPage();

class RouterService final : public service::StreamService {
    Q_OBJECT

public:
    explicit RouterService(MatrixSession& session, QObject* parent = nullptr);
    ~RouterService() override;

    const ServiceSettingsPage& settingsPage() const override { return routerSettingsPage(); }
    const service::ServiceTexts& texts() const override;
    void configure(const SettingsValues& values) override;
    // "_blackmagic._tcp": the friendly name, unique ID and version the
    // protocol's prelude gives; "<model> (<host>)".
    std::optional<announce::ServiceRecord> announcement() const override;

    VideohubServer& server() const { return *m_server; }

private:
    void closed() override;

    MatrixSession& m_session;
    std::unique_ptr<VideohubServer> m_server;
};

}  // namespace mc::remote
