#pragma once

// StreamServer: the TCP side of a protocol server that reads a byte stream
// from each client (text blocks, binary frames): it listens, accepts, reads,
// writes and drops connections, and leaves the bytes' meaning to the protocol
// (StreamProtocol).
//
// Connections: each is a StreamConnection on its own descriptor, so a client
// that shuts down its sending side (`nc -q 1`) still gets the answers and
// updates for everything it sent; the connection is closed once they are
// written. A client whose connection breaks still has what had arrived
// handed to the protocol, unanswered. At most kMaxClientsPerAddress
// connections come from one address and kMaxClients in all; a connection over
// either limit is closed at once (and logged) without disturbing the others.
//
// Reading is bounded: bytes are taken from a socket only as the protocol
// handles them, at most kItemsPerTurn items (blocks, frames) and
// kBytesPerTurn bytes of one client per event-loop turn, kItemsPerRound of
// all clients together, taken in turn; none of a client while kPauseBytes of
// answers wait for it. A client with more than kMaxPendingBytes unsent is
// disconnected. So a flood of requests from one client never keeps another
// (or the window) waiting for more than a turn or two, and requests reach the
// session, and from it the serial line, no faster than their answers leave.
//
// Ownership: each connection belongs to its StreamClient. A dropped client is
// closed at once and deleted on the next event-loop turn, or by the
// destructor, never from inside one of its own signals. Threads: the thread
// whose event loop runs the server; every call is made there.

#include <QHostAddress>
#include <QObject>
#include <QString>

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace mc::service {

class StreamConnection;
class StreamListener;
class StreamServer;

// What a protocol keeps for one connection: it consumes the client's bytes.
class StreamReader {
public:
    virtual ~StreamReader() = default;
    // Consumes bytes from the front of `input` until it has handled
    // `maxItems` items, the client was dropped, or `input` is empty (the
    // reader keeps what it took of an unfinished item itself). Returns the
    // items handled; the server calls again while bytes remain and the
    // budget allows. The bytes stay valid during the call, also when the
    // client is dropped from inside it.
    virtual int read(std::string_view& input, int maxItems) = 0;
};

// One accepted client as a protocol sees it.
class StreamClient {
public:
    StreamClient();
    ~StreamClient();
    StreamClient(const StreamClient&) = delete;
    StreamClient& operator=(const StreamClient&) = delete;

    // The peer's address: the owner id of its requests, IPv4 also when it
    // came over IPv6 ("127.0.0.2"); two connections from one address are one
    // owner.
    const std::string& owner() const { return m_owner; }
    // Address and port, for the log.
    const QString& peer() const { return m_peer; }
    // Queues `bytes` for the client; nothing once it is dropped or
    // unwritable. More than kMaxPendingBytes unsent drops it.
    void send(std::string_view bytes);
    // Closes the connection (logged with `reason`); the client is deleted on
    // a later turn, never from inside this call.
    void drop(const QString& reason);
    bool dropped() const { return m_closing; }

private:
    friend class StreamServer;
    StreamServer* m_server = nullptr;
    std::unique_ptr<StreamConnection> m_connection;
    std::unique_ptr<StreamReader> m_reader;
    std::string m_owner;
    QString m_peer;
    std::string m_input;  // bytes taken from the socket, not yet read
    std::size_t m_inputPos = 0;
    bool m_inputEnded = false;  // the peer sends nothing more; what arrived is still read
    bool m_closing = false;     // dropped: neither read nor written again
};

// The protocol a StreamServer serves.
class StreamProtocol {
public:
    virtual ~StreamProtocol() = default;
    // A client connected: the protocol may send it its first state and
    // returns the reader of its bytes.
    virtual std::unique_ptr<StreamReader> connected(StreamClient& client) = 0;
};

class StreamServer final : public QObject {
    Q_OBJECT

public:
    static constexpr int kMaxClients = 256;
    static constexpr int kMaxClientsPerAddress = 16;
    static constexpr int kItemsPerTurn = 16;    // of one client
    static constexpr int kItemsPerRound = 256;  // of all clients together
    static constexpr std::size_t kBytesPerTurn = 64 * 1024;
    static constexpr std::size_t kPauseBytes = 64 * 1024;
    static constexpr std::size_t kMaxPendingBytes = 1024 * 1024;

    // `name` starts the server's log lines ("Network control listening on
    // ..."), `clientName` those of its clients ("Network client ...
    // connected"). The protocol must outlive the server.
    StreamServer(StreamProtocol& protocol, QString name, QString clientName,
                 QObject* parent = nullptr);
    ~StreamServer() override;
    StreamServer(const StreamServer&) = delete;
    StreamServer& operator=(const StreamServer&) = delete;

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
    // The clients not dropped, in the order they connected.
    std::vector<StreamClient*> clients() const;

signals:
    void clientCountChanged(int count);
    // One line for a log: listening, stopping, each client's connect and
    // disconnect, a refused connection.
    void logMessage(const QString& line);

private:
    friend class StreamClient;
    void accept(qintptr descriptor);
    int clientsFrom(const std::string& owner) const;
    // Drops a client whose input has ended once everything is read and written.
    void finishIfDone(StreamClient& client);
    void dropClient(StreamClient& client, const QString& reason);
    void sweepClients();
    void readFrom(StreamClient& client);
    int processClient(StreamClient& client, int maxItems);
    bool hasWork(const StreamClient& client) const;
    void scheduleTurn();
    void runTurn();

    StreamProtocol& m_protocol;
    const QString m_name;
    const QString m_clientName;
    StreamListener* m_listener = nullptr;  // child
    QString m_error;
    std::vector<std::unique_ptr<StreamClient>> m_clients;
    std::size_t m_nextClient = 0;  // where the next round starts
    bool m_turnScheduled = false;
    bool m_sweepScheduled = false;
};

// "127.0.0.1:9990", "[::1]:9990".
QString endpointText(const QHostAddress& address, quint16 port);

}  // namespace mc::service
