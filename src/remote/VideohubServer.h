#pragma once

#include "remote/VideohubProtocol.h"
#include "remote/VideohubRequest.h"

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

class ClientConnection;
class Listener;
class RouterModel;

// The protocol server: listens on one TCP address, sends every client the
// whole state on connect, carries out the clients' requests through the
// RouterModel and sends every client the changes the model reports.
//
// Lives on the thread that runs its event loop; every method is called there,
// the model's calls included. The model must outlive the server.
//
// Bounds per client: bytes are read from the socket only as blocks are
// handled; a block is at most BlockReader's limits; a client has at most
// kBlocksPerTurn blocks handled per event-loop turn (all clients together
// kBlocksPerRound, taken in turn), and none while kPauseBytes of answers wait
// for it; a client with more than kMaxPendingBytes unsent is disconnected.
// At most kMaxClientsPerAddress connections come from one address and
// kMaxClients in all; a connection over either limit is closed at once (and
// logged) without disturbing the others.
//
// A client that shuts down its sending side still gets the answers and
// updates for every block it sent; the server closes the connection once
// they are written. A client whose connection breaks still has the blocks
// that had arrived carried out, unanswered.
//
// Ownership: each connection belongs to its Client entry. A dropped client is
// closed at once and its entry (with the connection object) is deleted on the
// next event-loop turn, or by the destructor, never from inside one of its own
// signals.
class VideohubServer : public QObject {
    Q_OBJECT

public:
    static constexpr int kMaxClients = 256;
    static constexpr int kMaxClientsPerAddress = 16;
    static constexpr int kBlocksPerTurn = 16;    // of one client
    static constexpr int kBlocksPerRound = 256;  // of all clients together
    static constexpr std::size_t kBytesPerTurn = 64 * 1024;
    static constexpr std::size_t kPauseBytes = 64 * 1024;
    static constexpr std::size_t kMaxPendingBytes = 1024 * 1024;

    explicit VideohubServer(RouterModel& model, QObject* parent = nullptr);
    ~VideohubServer() override;
    VideohubServer(const VideohubServer&) = delete;
    VideohubServer& operator=(const VideohubServer&) = delete;

    // Starts listening (port 0: any free port). On failure returns false and
    // errorString() says why, with the address; the server stays closed.
    // Listening again first closes.
    bool listen(const QHostAddress& address, quint16 port);
    QString errorString() const { return m_error; }
    // Stops listening and disconnects every client.
    void close();
    bool isListening() const;
    QHostAddress listenAddress() const;
    quint16 listenPort() const;  // the bound port, also when 0 was asked
    int clientCount() const;

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
    // One connection. Lives in m_clients until the sweep after its drop;
    // callbacks refer to it by address.
    struct Client {
        Client();
        ~Client();
        std::unique_ptr<ClientConnection> connection;
        std::string owner;  // peer address: the lock owner id
        QString peer;       // address and port, for the log
        BlockReader reader;
        std::string input;  // bytes taken from the socket, not yet read as blocks
        std::size_t inputPos = 0;
        bool inputEnded = false;  // the peer sends nothing more; what arrived is still handled
        bool closing = false;     // dropped: neither read nor written again
    };
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

    void accept(qintptr descriptor);
    int clientsFrom(const std::string& owner) const;
    // Drops a client whose input has ended once everything is handled and written.
    void finishIfDone(Client& client);
    void dropClient(Client& client, const QString& reason);
    void sweepClients();
    void readFrom(Client& client);
    int processClient(Client& client, int maxBlocks);
    bool hasWork(const Client& client) const;
    void scheduleTurn();
    void runTurn();
    void handle(Client& client, const ReadItem& item);
    void carryOut(Client& client, const Request& request);
    void send(Client& client, const std::string& bytes);
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
    Listener* m_server = nullptr;  // child
    QString m_error;
    std::vector<std::unique_ptr<Client>> m_clients;
    Changes m_pending;
    Client* m_requester = nullptr;  // set while a request is carried out
    std::size_t m_nextClient = 0;   // where the next round starts
    bool m_flushScheduled = false;
    bool m_turnScheduled = false;
    bool m_sweepScheduled = false;
};

}  // namespace mc::remote
