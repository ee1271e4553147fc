#pragma once

// Listener: the TCP side of the web server, and Connection, what the server
// knows of one accepted connection beyond what the HTTP library does.
//
// A connection over the limit of its address or of all (ConnectionLimits) is
// answered 429 or 503 at once, closed, and never handed to the library: it
// is never kept, read or upgraded, and takes no place in the counts.
//
// Each connection handed on carries a Connection child (found with of()),
// whose destruction, with the connection, frees its place in the counts. It
// bounds what the connection costs:
//   - Unsent bytes: after every answer (and every events message, and every
//     read of an events socket, which may have answered pings) the bytes
//     waiting to be sent are counted; over maxUnsent, the connection is held
//     (nothing more is read or answered) until they drop below it, and
//     closed when they stay over it for overTime, or pass four times the
//     limit.
//   - Time: a request's headers must be in within headerTime of the accept,
//     or of the previous answer (on a connection that was idle, of the
//     request's first byte), its body within bodyTime of its headers; a
//     connection idle for idleTime after an answer is closed. An events
//     socket has no clocks.
//   - Answers made elsewhere: hold() keeps the connection from reading while
//     its answer is prepared (a password check); the clocks wait meanwhile.
// A held connection's socket sends no signals (so the library reads nothing);
// what they would have said is said again when the hold ends.
//
// Threads: the event loop's only.

#include <QObject>
#include <QTcpServer>
#include <QTimer>

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

class QTcpSocket;

namespace mc::web {

struct ConnectionLimits {
    int perAddress = 16;
    int total = 256;
    qint64 maxUnanswered = 256 * 1024;  // the bytes of one request
    qint64 maxUnsent = 1024 * 1024;
    std::chrono::milliseconds headerTime{10000};
    std::chrono::milliseconds bodyTime{10000};
    std::chrono::milliseconds idleTime{60000};
    std::chrono::milliseconds overTime{5000};
};

class Connection final : public QObject {
    Q_OBJECT

public:
    Connection(QTcpSocket* socket, std::string owner, const ConnectionLimits& limits,
               std::function<void()> gone);
    ~Connection() override;

    // The Connection of a socket the listener handed on; null for others.
    static Connection* of(const QObject* socket);

    const std::string owner;
    QTcpSocket* socket() const { return m_socket; }

    // An answer was written: the unsent bytes are counted, the clocks start
    // again for the next request, unless it was the `last` (the socket then
    // closes once the answer is sent).
    void answered(bool last = false);
    // Holds reading back until release(); holds do not nest.
    void hold();
    void release();
    // The connection became an events socket: its clocks stop, and its reads
    // are watched for the answers the WebSocket library makes itself.
    void upgraded();
    // Counts the unsent bytes (after a message to an events socket).
    void countUnsent();
    // After the WebSocket library has read from the socket (and may have
    // answered pings): counts the unsent bytes, reads on.
    void eventsRead();
    bool isEventsSocket() const { return m_upgraded; }
    // The tokens the upgrade request presented (an events socket's).
    std::vector<QByteArray> tokens;

signals:
    // Said once, before the connection is closed for breaking a limit.
    void closing(const QString& reason);

private:
    void arrived();
    void clockRanOut();
    void readOn();
    void close(const QString& reason);
    void updateHold();

    QTcpSocket* m_socket;
    const ConnectionLimits m_limits;
    std::function<void()> m_gone;
    QTimer m_clock;    // the running request clock
    QTimer m_over;     // over maxUnsent for overTime
    QTimer m_drained;  // while over maxUnsent: checks whether it dropped below
    bool m_idle = false;
    bool m_headersIn = false;
    bool m_upgraded = false;
    bool m_overLimit = false;
    bool m_answerHeld = false;
    bool m_held = false;
    QByteArray m_tail;  // the last bytes seen of the request's headers
};

class Listener final : public QTcpServer {
    Q_OBJECT

public:
    Listener(ConnectionLimits limits, QObject* parent) : QTcpServer(parent), m_limits(limits) {}

    int connectionCount() const { return m_counts->total; }

signals:
    // One line for the log: a connection refused or closed for a limit.
    void refused(const QString& line);

protected:
    void incomingConnection(qintptr descriptor) override;

private:
    // Shared with the connections, which may outlive the listener (an events
    // socket keeps its connection).
    struct Counts {
        int total = 0;
        std::map<std::string, int> perAddress;
    };
    ConnectionLimits m_limits;
    std::shared_ptr<Counts> m_counts = std::make_shared<Counts>();
};

}  // namespace mc::web
