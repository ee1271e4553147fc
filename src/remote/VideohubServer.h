#pragma once

#include "remote/VideohubProtocol.h"
#include "remote/VideohubRequest.h"
#include "service/StreamServer.h"

#include <QHostAddress>
#include <QObject>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace mc::remote {

class RouterModel;

// The protocol server: listens on one TCP address (through a StreamServer,
// which bounds what each connection may cost), sends every client the whole
// state on connect, carries out the clients' requests through the
// RouterModel and sends every client the changes the model reports.
//
// Lives on the thread that runs its event loop; every method is called there,
// the model's calls included. The model must outlive the server.
//
// Each client's bytes are read as blocks (BlockReader's limits), one block
// being one item of the StreamServer's reading budget. A client that shuts
// down its sending side still gets the answers and updates for every block
// it sent.
class VideohubServer : public QObject, private service::StreamProtocol {
    Q_OBJECT

public:
    static constexpr int kMaxClients = service::StreamServer::kMaxClients;
    static constexpr int kMaxClientsPerAddress = service::StreamServer::kMaxClientsPerAddress;

    explicit VideohubServer(RouterModel& model, QObject* parent = nullptr);
    ~VideohubServer() override;
    VideohubServer(const VideohubServer&) = delete;
    VideohubServer& operator=(const VideohubServer&) = delete;

    // Starts listening (port 0: any free port). On failure returns false and
    // errorString() says why, with the address; the server stays closed.
    // Listening again first closes.
    bool listen(const QHostAddress& address, quint16 port);
    QString errorString() const { return m_stream.errorString(); }
    // Stops listening and disconnects every client.
    void close();
    bool isListening() const { return m_stream.isListening(); }
    QHostAddress listenAddress() const { return m_stream.listenAddress(); }
    quint16 listenPort() const { return m_stream.listenPort(); }
    int clientCount() const { return m_stream.clientCount(); }

    // Notifications from the model: these ports changed, with their values
    // now (ports that no longer exist are skipped). Changes reported while a
    // client's request is being carried out reach every client after that
    // client's ACK; others are gathered and sent on the next event-loop turn.
    // Routes: output and input (-1: no one input); labels: port and text;
    // locks: output and owner ("" unlocked).
    void routesChanged(const std::vector<std::pair<int, int>>& routes);
    void inputLabelsChanged(const std::vector<std::pair<int, std::string>>& labels);
    void outputLabelsChanged(const std::vector<std::pair<int, std::string>>& labels);
    void locksChanged(const std::vector<std::pair<int, std::string>>& owners);
    // The take mode changed: every client receives the CONFIGURATION block.
    void configurationChanged(bool takeMode);
    // The device came or went. When it has come back, every client receives
    // the whole state again; when it went, the device block.
    void deviceChanged(bool present);
    // The matrix was rebuilt: every client receives the whole state again,
    // from the device block to END PRELUDE.
    void rebuilt();

signals:
    void clientCountChanged(int count);
    // One line for a log: listening, each client's connect and disconnect.
    void logMessage(const QString& line);

private:
    using Client = service::StreamClient;
    class BlockClient;
    // What changed, with the values to send.
    struct Changes {
        std::map<int, int> routes;
        std::map<int, std::string> inputLabels, outputLabels;
        std::map<int, std::string> locks;  // output → owner
        std::optional<bool> takeMode;
        std::optional<bool> present;
        bool dump = false;
        bool empty() const;
    };

    std::unique_ptr<service::StreamReader> connected(Client& client) override;
    void handle(Client& client, const ReadItem& item);
    void carryOut(Client& client, const Request& request);
    void scheduleFlush();
    void flush();
    void sendChanges(const Changes& changes, Client* only);

    // Blocks as they are now, from the model: a client's whole state and the
    // current values of the items of a refused request.
    DeviceInfo deviceInfo(bool present) const;
    std::string fullState(const Client& client) const;  // device block to END PRELUDE
    std::string block(BlockType type, const Client& client) const;
    Changes currentValues(const Changes& items) const;
    // Blocks of the given values (ports that no longer exist are skipped);
    // "" when none is left. Lock lines as `client` sees them.
    std::string labels(bool inputs, const std::map<int, std::string>& texts) const;
    std::string locks(const std::map<int, std::string>& owners, const Client& client) const;
    std::string routes(const std::map<int, int>& inputs) const;

    RouterModel& m_model;
    service::StreamServer m_stream;
    Changes m_pending;
    Client* m_requester = nullptr;  // set while a request is carried out
    bool m_flushScheduled = false;
};

}  // namespace mc::remote
