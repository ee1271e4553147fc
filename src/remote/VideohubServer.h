#pragma once

// VideohubServer: the router protocol server of one session. It listens on
// one TCP address (through a StreamServer, which bounds what each connection
// may cost), sends every client the whole state on connect, turns the
// clients' requests into session calls as the window's actions do, and sends
// every client the changes the session reports, whoever made them.
//
// The matrix as clients see it:
// - Device present: the session's serial port is open (a failed open and a
//   hang-up are "not present"). Model name: "matrix-control <model>".
//   Friendly name: the one set (the "FriendlyName" setting), else the model
//   name. Unique ID: 12 hexadecimal digits derived from the program folder,
//   so one installation keeps its identity across restarts.
// - Counts and labels: the state's ports and their display texts (the name,
//   else the one-based number). Without a state (before start, after close)
//   the matrix has no ports and every request is refused.
// - Routes: the input the line carries on its video table (all in pattern
//   mode), -1 when there is no one input (closed, never switched, cycling).
// - Locks: as each client sees them (its own, another owner's, none); take
//   mode: the window's.
//
// Requests: the owner is the client's address text ("127.0.0.2"); two
// connections from one address are one owner. A route acts on video
// (RouteLayer::VideoSide: the device's layer is switched around it while the
// operator is on audio); a label is that port's name; a lock or the take mode
// is the session's. Items of a block are carried out in order; a refused
// one (an output locked by another owner, say) changed nothing and its
// requester gets its current value; a file error is answered NAK.
//
// Changes: routes of the video table whose input (or -1) differs, the labels
// of the names that changed, the locks with their owners, the take mode and
// the device's presence; so cycle changes that the protocol cannot show reach
// the clients not at all. A rebuild sends every client the whole state again.
// Changes made while a client's request is carried out reach every client
// after that client's ACK; others are gathered and sent on the next
// event-loop turn.
//
// Each client's bytes are read as blocks (BlockReader's limits), one block
// being one item of the StreamServer's reading budget. A client that shuts
// down its sending side still gets the answers and updates for every block
// it sent.
//
// Lifetime: attaches itself to the session at construction and detaches in
// its destructor; the session must outlive the server. Threads: the
// session's thread only, whose event loop runs the server; no call runs that
// event loop.

#include "control/MatrixSession.h"
#include "control/SessionObserver.h"
#include "remote/VideohubProtocol.h"
#include "remote/VideohubRequest.h"
#include "service/StreamServer.h"

#include <QHostAddress>
#include <QObject>
#include <QString>

#include <map>
#include <memory>
#include <optional>
#include <string>

namespace mc::remote {

class VideohubServer : public QObject, private service::StreamProtocol, private ISessionObserver {
    Q_OBJECT

public:
    static constexpr int kMaxClients = service::StreamServer::kMaxClients;
    static constexpr int kMaxClientsPerAddress = service::StreamServer::kMaxClientsPerAddress;

    explicit VideohubServer(MatrixSession& session, QObject* parent = nullptr);
    ~VideohubServer() override;
    VideohubServer(const VideohubServer&) = delete;
    VideohubServer& operator=(const VideohubServer&) = delete;

    // The device's name for clients; empty: the model name. Blocks sent from
    // now on carry it.
    void setFriendlyName(std::string name) { m_friendlyName = std::move(name); }
    std::string friendlyName() const;  // never empty
    const std::string& uniqueId() const { return m_uniqueId; }

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
    // The listener, for a service that listens through it (close() here
    // also forgets the changes gathered for the clients).
    service::StreamServer& stream() { return m_stream; }

signals:
    void clientCountChanged(int count);
    // One line for a log: listening, each client's connect and disconnect.
    void logMessage(const QString& line);

private:
    using Client = service::StreamClient;
    class BlockClient;
    // What changed, with the values to send.
    struct Changes {
        std::map<int, int> routes;  // output → input (-1: no one input)
        std::map<int, std::string> inputLabels, outputLabels;
        std::map<int, std::string> locks;  // output → owner ("" unlocked)
        std::optional<bool> takeMode;
        std::optional<bool> present;
        bool dump = false;
        bool empty() const;
    };

    std::unique_ptr<service::StreamReader> connected(Client& client) override;
    void handle(Client& client, const ReadItem& item);
    void carryOut(Client& client, const Request& request);

    // The session's change, gathered into the pending changes.
    void sessionChanged(const SessionChange& change) override;
    void scheduleFlush();
    void flush();
    void sendChanges(const Changes& changes, Client* only);

    // The matrix as clients see it, read from the session.
    bool devicePresent() const;
    int inputCount() const;
    int outputCount() const;
    std::string inputLabel(int input) const;
    std::string outputLabel(int output) const;
    int routedInput(int output) const;  // -1: no one input

    // Blocks as they are now: a client's whole state and the current values
    // of the items of a refused request.
    DeviceInfo deviceInfo(bool present) const;
    std::string fullState(const Client& client) const;  // device block to END PRELUDE
    std::string block(BlockType type, const Client& client) const;
    Changes currentValues(const Changes& items) const;
    // Blocks of the given values (ports that no longer exist are skipped);
    // "" when none is left. Lock lines as `client` sees them.
    std::string labels(bool inputs, const std::map<int, std::string>& texts) const;
    std::string locks(const std::map<int, std::string>& owners, const Client& client) const;
    std::string routes(const std::map<int, int>& inputs) const;

    MatrixSession& m_session;
    std::string m_uniqueId;
    std::string m_friendlyName;
    service::StreamServer m_stream;
    Changes m_pending;
    Client* m_requester = nullptr;  // set while a request is carried out
    bool m_flushScheduled = false;
};

}  // namespace mc::remote
