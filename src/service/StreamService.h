#pragma once

// StreamService: a network service whose listener is a StreamServer (a TCP
// protocol server). Listening, its status and the server's log lines and
// client counts are the server's; a subclass hands its server over once with
// serve() and adds its protocol.
//
// Threads: the user-interface thread, as every NetworkService.

#include "service/NetworkService.h"

namespace mc::service {

class StreamServer;

class StreamService : public NetworkService {
    Q_OBJECT

public:
    // Closes first, so that what closed() forgets is gone before the new
    // listener takes clients.
    bool listen(const QHostAddress& address, quint16 port) override;
    QString errorString() const override;
    void close() override;
    bool isListening() const override;
    QHostAddress listenAddress() const override;
    quint16 listenPort() const override;
    int clientCount() const override;

protected:
    using NetworkService::NetworkService;
    // The server the service listens with; called once, by the subclass's
    // constructor. The server must outlive every call above.
    void serve(StreamServer& server);
    // Told after the server has closed: the subclass forgets what it kept
    // for the clients that are gone.
    virtual void closed() {}

private:
    StreamServer* m_stream = nullptr;
};

}  // namespace mc::service
