#include "remote/VideohubServer.h"

#include "remote/RouterModel.h"

#include <QMetaObject>
#include <QTcpServer>
#include <QTcpSocket>

#include <algorithm>

namespace mc::remote {

namespace {

QString endpointText(const QHostAddress& address, quint16 port) {
    const QString host = address.protocol() == QAbstractSocket::IPv6Protocol
                             ? QStringLiteral("[%1]").arg(address.toString())
                             : address.toString();
    return QStringLiteral("%1:%2").arg(host).arg(port);
}

// The owner id of a peer: its address, IPv4 also when reached over IPv6.
std::string ownerOf(const QHostAddress& peer) {
    bool isV4 = false;
    const quint32 v4 = peer.toIPv4Address(&isV4);
    return (isV4 ? QHostAddress(v4) : peer).toString().toStdString();
}

}  // namespace

VideohubServer::VideohubServer(RouterModel& model, QObject* parent)
    : QObject(parent), m_model(model), m_server(new QTcpServer(this)) {
    m_server->setMaxPendingConnections(kMaxClients);
    m_server->setListenBacklogSize(kMaxClients);
    connect(m_server, &QTcpServer::newConnection, this, &VideohubServer::acceptClients);
}

VideohubServer::~VideohubServer() {
    for (auto& client : m_clients) {
        QObject::disconnect(client->socket, nullptr, this, nullptr);
        client->socket->abort();
    }
}

bool VideohubServer::listen(const QHostAddress& address, quint16 port) {
    close();
    m_error.clear();
    if (!m_server->listen(address, port)) {
        m_error = QStringLiteral("cannot listen on %1: %2")
                      .arg(endpointText(address, port), m_server->errorString());
        emit logMessage(QStringLiteral("Network control ") + m_error);
        return false;
    }
    m_presentSent = m_model.devicePresent();
    emit logMessage(QStringLiteral("Network control listening on %1")
                        .arg(endpointText(listenAddress(), listenPort())));
    return true;
}

void VideohubServer::close() {
    for (auto& client : m_clients)
        dropClient(*client, QStringLiteral("server closed"));
    if (m_server->isListening()) {
        m_server->close();
        emit logMessage(QStringLiteral("Network control stopped"));
    }
    m_pending = Changes{};
}

bool VideohubServer::isListening() const {
    return m_server->isListening();
}
QHostAddress VideohubServer::listenAddress() const {
    return m_server->serverAddress();
}
quint16 VideohubServer::listenPort() const {
    return m_server->serverPort();
}

int VideohubServer::clientCount() const {
    int count = 0;
    for (const auto& client : m_clients)
        count += client->closing ? 0 : 1;
    return count;
}

void VideohubServer::acceptClients() {
    while (QTcpSocket* socket = m_server->nextPendingConnection()) {
        const QString peer = endpointText(socket->peerAddress(), socket->peerPort());
        if (clientCount() >= kMaxClients) {
            emit logMessage(
                QStringLiteral("Network client %1 refused: too many clients").arg(peer));
            socket->abort();
            socket->deleteLater();
            continue;
        }
        auto owned = std::make_unique<Client>();
        Client& client = *owned;
        client.socket = socket;
        client.owner = ownerOf(socket->peerAddress());
        client.peer = peer;
        m_clients.push_back(std::move(owned));

        socket->setReadBufferSize(static_cast<qint64>(kReadBufferBytes));
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        connect(socket, &QTcpSocket::readyRead, this, [this, &client] { readFrom(client); });
        connect(socket, &QTcpSocket::disconnected, this, [this, &client] { peerClosed(client); });
        connect(socket, &QTcpSocket::bytesWritten, this, [this, &client] {
            if (hasWork(client)) scheduleTurn();
        });
        emit logMessage(QStringLiteral("Network client %1 connected").arg(peer));
        emit clientCountChanged(clientCount());
        send(client, preambleBlock() + fullState(client));
    }
}

// A client that sends its requests and closes at once (a one-shot script)
// still has them carried out: what Qt had read is handled, unanswered.
void VideohubServer::peerClosed(Client& client) {
    client.peerClosed = true;
    while (hasWork(client))
        processClient(client, kBlocksPerTurn);
    dropClient(client, QString());
}

void VideohubServer::dropClient(Client& client, const QString& reason) {
    if (client.closing) return;
    client.closing = true;
    QObject::disconnect(client.socket, nullptr, this, nullptr);
    client.socket->abort();
    client.socket->deleteLater();
    client.input = {};
    client.reader = BlockReader{};
    emit logMessage(
        reason.isEmpty()
            ? QStringLiteral("Network client %1 disconnected").arg(client.peer)
            : QStringLiteral("Network client %1 disconnected: %2").arg(client.peer, reason));
    emit clientCountChanged(clientCount());
    if (!m_sweepScheduled) {
        m_sweepScheduled = true;
        QMetaObject::invokeMethod(this, &VideohubServer::sweepClients, Qt::QueuedConnection);
    }
}

void VideohubServer::sweepClients() {
    m_sweepScheduled = false;
    std::erase_if(m_clients, [](const auto& client) { return client->closing; });
}

void VideohubServer::readFrom(Client& client) {
    if (hasWork(client)) scheduleTurn();
}

bool VideohubServer::hasWork(const Client& client) const {
    if (client.closing) return false;
    if (!client.peerClosed &&
        static_cast<std::size_t>(client.socket->bytesToWrite()) >= kPauseBytes) {
        return false;
    }
    return client.inputPos < client.input.size() || client.socket->bytesAvailable() > 0;
}

// Reads and handles at most `maxBlocks` blocks (kBytesPerTurn bytes) of one
// client; returns how many blocks it handled.
int VideohubServer::processClient(Client& client, int maxBlocks) {
    constexpr std::size_t kChunk = 16 * 1024;
    int blocks = 0;
    std::size_t bytes = 0;
    while (blocks < maxBlocks && bytes < kBytesPerTurn && hasWork(client)) {
        if (client.inputPos == client.input.size()) {
            client.input.resize(kChunk);
            const qint64 got = client.socket->read(client.input.data(), kChunk);
            client.input.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
            client.inputPos = 0;
            if (got <= 0) break;
        }
        std::string_view rest(client.input.data() + client.inputPos,
                              client.input.size() - client.inputPos);
        const std::size_t before = rest.size();
        std::optional<ReadItem> item = client.reader.read(rest);
        bytes += before - rest.size();
        client.inputPos = client.input.size() - rest.size();
        if (item) {
            handle(client, *item);
            ++blocks;
        }
    }
    return blocks;
}

void VideohubServer::scheduleTurn() {
    if (m_turnScheduled) return;
    m_turnScheduled = true;
    QMetaObject::invokeMethod(this, &VideohubServer::runTurn, Qt::QueuedConnection);
}

// One round over the clients with work, starting where the last round
// stopped, so that a flood from one client never keeps the others (or the
// window) waiting for more than a turn or two.
void VideohubServer::runTurn() {
    m_turnScheduled = false;
    const std::size_t count = m_clients.size();
    if (count == 0) return;
    int budget = kBlocksPerRound;
    std::size_t i = m_nextClient % count;
    for (std::size_t step = 0; step < count && budget > 0; ++step, i = (i + 1) % count) {
        Client& client = *m_clients[i];
        if (hasWork(client)) budget -= processClient(client, std::min(budget, kBlocksPerTurn));
    }
    m_nextClient = i;
    for (const auto& client : m_clients) {
        if (hasWork(*client)) return scheduleTurn();
    }
}

void VideohubServer::handle(Client& client, const ReadItem& item) {
    const Request request = parseRequest(item, m_model.inputCount(), m_model.outputCount());
    switch (request.kind) {
        case Request::Kind::Nak:
            send(client, nakBlock());
            break;
        case Request::Kind::Ping:
        case Request::Kind::NoOp:
            send(client, ackBlock());
            break;
        case Request::Kind::Dump:
            send(client, ackBlock() + block(request.type, client));
            break;
        case Request::Kind::Change:
            carryOut(client, request);
            break;
    }
}

// Hands every item to the model in order, then answers ACK, then sends
// everyone what changed, then sends the requester the current value of each
// refused item that the update did not already carry.
void VideohubServer::carryOut(Client& client, const Request& request) {
    Changes refused;
    m_requester = &client;
    for (const RouteRequest& route : request.routes) {
        if (!m_model.routeOutput(client.owner, route.output, route.input)) {
            refused.routes.insert(route.output);
        }
    }
    const bool inputs = request.type == BlockType::InputLabels;
    for (const LabelRequest& label : request.labels) {
        const bool done = inputs ? m_model.setInputLabel(client.owner, label.port, label.label)
                                 : m_model.setOutputLabel(client.owner, label.port, label.label);
        if (!done) (inputs ? refused.inputLabels : refused.outputLabels).insert(label.port);
    }
    for (const LockRequest& lock : request.locks) {
        if (!m_model.lockOutput(client.owner, lock.output, lock.op)) {
            refused.locks.insert(lock.output);
        }
    }
    m_requester = nullptr;

    send(client, ackBlock());
    if (m_pending.dump || m_pending.device) refused = Changes{};
    for (int port : m_pending.routes)
        refused.routes.erase(port);
    for (int port : m_pending.inputLabels)
        refused.inputLabels.erase(port);
    for (int port : m_pending.outputLabels)
        refused.outputLabels.erase(port);
    for (int port : m_pending.locks)
        refused.locks.erase(port);
    flush();
    if (!refused.empty()) sendChanges(refused, &client);
}

void VideohubServer::send(Client& client, const std::string& bytes) {
    if (client.closing || client.peerClosed || bytes.empty()) return;
    client.socket->write(bytes.data(), static_cast<qint64>(bytes.size()));
    if (static_cast<std::size_t>(client.socket->bytesToWrite()) > kMaxPendingBytes) {
        dropClient(client, QStringLiteral("not reading (over 1 MiB unsent)"));
    }
}

}  // namespace mc::remote
