#include "service/StreamServer.h"

#include <QMetaObject>
#include <QTcpServer>

#include <algorithm>
#include <functional>

#include "service/StreamConnection.h"

namespace mc::service {

// The listening socket. Accepted descriptors go to the server, which wraps
// them in a StreamConnection (QTcpSocket would close a half-closed client).
class StreamListener final : public QTcpServer {
public:
    std::function<void(qintptr)> onConnection;

protected:
    void incomingConnection(qintptr descriptor) override { onConnection(descriptor); }
};

QString endpointText(const QHostAddress& address, quint16 port) {
    const QString host = address.protocol() == QAbstractSocket::IPv6Protocol
                             ? QStringLiteral("[%1]").arg(address.toString())
                             : address.toString();
    return QStringLiteral("%1:%2").arg(host).arg(port);
}

namespace {

// The owner id of a peer: its address, IPv4 also when reached over IPv6.
std::string ownerOf(const QHostAddress& peer) {
    bool isV4 = false;
    const quint32 v4 = peer.toIPv4Address(&isV4);
    return (isV4 ? QHostAddress(v4) : peer).toString().toStdString();
}

}  // namespace

StreamClient::StreamClient() = default;
StreamClient::~StreamClient() = default;

void StreamClient::send(std::string_view bytes) {
    if (m_closing || !m_connection->writable() || bytes.empty()) return;
    m_connection->write(bytes.data(), bytes.size());
    if (m_connection->bytesToWrite() > StreamServer::kMaxPendingBytes) {
        m_server->dropClient(*this, QStringLiteral("not reading (over 1 MiB unsent)"));
    }
}

void StreamClient::drop(const QString& reason) {
    if (!m_closing && m_server != nullptr) m_server->dropClient(*this, reason);
}

StreamServer::StreamServer(StreamProtocol& protocol, QString name, QString clientName,
                           QObject* parent)
    : QObject(parent),
      m_protocol(protocol),
      m_name(std::move(name)),
      m_clientName(std::move(clientName)),
      m_listener(new StreamListener) {
    m_listener->setParent(this);
    m_listener->setListenBacklogSize(kMaxClients);
    m_listener->onConnection = [this](qintptr descriptor) { accept(descriptor); };
}

// The clients' connections go with m_clients; none has been deleted before.
StreamServer::~StreamServer() = default;

bool StreamServer::listen(const QHostAddress& address, quint16 port) {
    close();
    m_error.clear();
    if (!m_listener->listen(address, port)) {
        m_error = QStringLiteral("cannot listen on %1: %2")
                      .arg(endpointText(address, port), m_listener->errorString());
        emit logMessage(m_name + QLatin1Char(' ') + m_error);
        return false;
    }
    emit logMessage(QStringLiteral("%1 listening on %2")
                        .arg(m_name, endpointText(listenAddress(), listenPort())));
    return true;
}

void StreamServer::close() {
    for (auto& client : m_clients)
        dropClient(*client, QStringLiteral("server closed"));
    if (m_listener->isListening()) {
        m_listener->close();
        emit logMessage(m_name + QStringLiteral(" stopped"));
    }
}

bool StreamServer::isListening() const {
    return m_listener->isListening();
}
QHostAddress StreamServer::listenAddress() const {
    return m_listener->serverAddress();
}
quint16 StreamServer::listenPort() const {
    return m_listener->serverPort();
}

int StreamServer::clientCount() const {
    int count = 0;
    for (const auto& client : m_clients)
        count += client->m_closing ? 0 : 1;
    return count;
}

std::vector<StreamClient*> StreamServer::clients() const {
    std::vector<StreamClient*> live;
    for (const auto& client : m_clients) {
        if (!client->m_closing) live.push_back(client.get());
    }
    return live;
}

int StreamServer::clientsFrom(const std::string& owner) const {
    int count = 0;
    for (const auto& client : m_clients)
        count += !client->m_closing && client->m_owner == owner ? 1 : 0;
    return count;
}

void StreamServer::accept(qintptr descriptor) {
    auto connection = std::make_unique<StreamConnection>(descriptor);
    const QString peer = endpointText(connection->peerAddress(), connection->peerPort());
    const std::string owner = ownerOf(connection->peerAddress());
    QString refusal;
    if (clientCount() >= kMaxClients) {
        refusal = QStringLiteral("too many clients (%1)").arg(kMaxClients);
    } else if (clientsFrom(owner) >= kMaxClientsPerAddress) {
        refusal = QStringLiteral("too many connections from %1 (%2)")
                      .arg(QString::fromStdString(owner))
                      .arg(kMaxClientsPerAddress);
    }
    if (!refusal.isEmpty()) {
        emit logMessage(QStringLiteral("%1 %2 refused: %3").arg(m_clientName, peer, refusal));
        return;  // the connection closes as it goes
    }
    auto owned = std::make_unique<StreamClient>();
    StreamClient& client = *owned;
    client.m_server = this;
    client.m_connection = std::move(connection);
    client.m_owner = owner;
    client.m_peer = peer;
    m_clients.push_back(std::move(owned));

    StreamConnection* socket = client.m_connection.get();
    connect(socket, &StreamConnection::readyRead, this, [this, &client] { readFrom(client); });
    connect(socket, &StreamConnection::bytesWritten, this, [this, &client] { readFrom(client); });
    // Unwritable: what arrives up to the end of the stream is still handed
    // to the protocol, unanswered.
    connect(socket, &StreamConnection::broken, this, [this, &client] { readFrom(client); });
    emit logMessage(QStringLiteral("%1 %2 connected").arg(m_clientName, peer));
    emit clientCountChanged(clientCount());
    client.m_reader = m_protocol.connected(client);
}

void StreamServer::finishIfDone(StreamClient& client) {
    if (client.m_closing || !client.m_inputEnded || hasWork(client)) return;
    if (client.m_connection->writable() && client.m_connection->bytesToWrite() > 0) return;
    dropClient(client, QString());
}

void StreamServer::dropClient(StreamClient& client, const QString& reason) {
    if (client.m_closing) return;
    client.m_closing = true;
    client.m_connection->disconnect(this);
    client.m_connection->close();
    emit logMessage(
        reason.isEmpty()
            ? QStringLiteral("%1 %2 disconnected").arg(m_clientName, client.m_peer)
            : QStringLiteral("%1 %2 disconnected: %3").arg(m_clientName, client.m_peer, reason));
    emit clientCountChanged(clientCount());
    if (!m_sweepScheduled) {
        m_sweepScheduled = true;
        QMetaObject::invokeMethod(this, &StreamServer::sweepClients, Qt::QueuedConnection);
    }
}

void StreamServer::sweepClients() {
    m_sweepScheduled = false;
    std::erase_if(m_clients, [](const auto& client) { return client->m_closing; });
}

void StreamServer::readFrom(StreamClient& client) {
    if (hasWork(client)) {
        scheduleTurn();
    } else {
        finishIfDone(client);
    }
}

bool StreamServer::hasWork(const StreamClient& client) const {
    if (client.m_closing || !client.m_reader) return false;
    const StreamConnection& connection = *client.m_connection;
    if (connection.writable() && connection.bytesToWrite() >= kPauseBytes) return false;
    return client.m_inputPos < client.m_input.size() ||
           (!client.m_inputEnded && connection.readable());
}

// Reads and hands on at most `maxItems` items (kBytesPerTurn bytes) of one
// client; returns how many items the protocol handled.
int StreamServer::processClient(StreamClient& client, int maxItems) {
    constexpr std::size_t kChunk = 16 * 1024;
    int items = 0;
    std::size_t bytes = 0;
    while (items < maxItems && bytes < kBytesPerTurn && hasWork(client)) {
        if (client.m_inputPos == client.m_input.size()) {
            client.m_input.resize(kChunk);
            const qint64 got = client.m_connection->read(client.m_input.data(), kChunk);
            client.m_input.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
            client.m_inputPos = 0;
            if (got < 0) client.m_inputEnded = true;
            if (got <= 0) break;
        }
        std::string_view rest(client.m_input.data() + client.m_inputPos,
                              client.m_input.size() - client.m_inputPos);
        const std::size_t before = rest.size();
        // One item at a time, so that the pause is heeded between items.
        items += client.m_reader->read(rest, 1);
        bytes += before - rest.size();
        client.m_inputPos = client.m_input.size() - rest.size();
        if (rest.size() == before) break;  // a reader that took nothing: no progress
    }
    return items;
}

void StreamServer::scheduleTurn() {
    if (m_turnScheduled) return;
    m_turnScheduled = true;
    QMetaObject::invokeMethod(this, &StreamServer::runTurn, Qt::QueuedConnection);
}

// One round over the clients with work, starting where the last round
// stopped.
void StreamServer::runTurn() {
    m_turnScheduled = false;
    const std::size_t count = m_clients.size();
    if (count == 0) return;
    int budget = kItemsPerRound;
    std::size_t i = m_nextClient % count;
    for (std::size_t step = 0; step < count && budget > 0; ++step, i = (i + 1) % count) {
        StreamClient& client = *m_clients[i];
        if (!hasWork(client)) continue;
        budget -= processClient(client, std::min(budget, kItemsPerTurn));
        finishIfDone(client);
    }
    m_nextClient = i;
    for (const auto& client : m_clients) {
        if (hasWork(*client)) return scheduleTurn();
    }
}

}  // namespace mc::service
