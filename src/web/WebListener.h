#pragma once

// Listener: the TCP side of the web server. Each connection it accepts
// carries a ConnectionInfo child that counts the bytes that arrived since the
// last request was answered (reset by the server) and knows whether the
// connection is over a limit; its destruction (with the connection) frees
// the connection's place in the counts. A connection whose unanswered input
// passes `maxUnanswered` bytes is dropped on the next event-loop turn.
//
// Threads: the event loop's only.

#include <QObject>
#include <QTcpServer>

#include <functional>
#include <map>
#include <memory>
#include <string>

namespace mc::web {

struct ConnectionLimits {
    int perAddress = 16;
    int total = 256;
    int hard = 512;  // beyond: closed unread
    qint64 maxUnanswered = 256 * 1024;
};

class ConnectionInfo final : public QObject {
    Q_OBJECT

public:
    ConnectionInfo(QObject* socket, std::string owner, std::function<void()> gone)
        : QObject(socket), owner(std::move(owner)), m_gone(std::move(gone)) {}
    ~ConnectionInfo() override { m_gone(); }

    const std::string owner;
    qint64 unanswered = 0;
    enum class Over { None, Address, Total } over = Over::None;

private:
    std::function<void()> m_gone;
};

class Listener final : public QTcpServer {
    Q_OBJECT

public:
    Listener(ConnectionLimits limits, QObject* parent) : QTcpServer(parent), m_limits(limits) {}

    int connectionCount() const { return m_counts->total; }

signals:
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
