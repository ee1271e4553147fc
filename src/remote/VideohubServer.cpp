#include "remote/VideohubServer.h"

#include "remote/ClientConnection.h"
#include "remote/RouterModel.h"

#include <QMetaObject>
#include <QTcpServer>

#include <algorithm>
#include <functional>

namespace mc::remote {

// The listening socket. Accepted descriptors go to the server, which wraps
// them in a ClientConnection (QTcpSocket would close a half-closed client).
class Listener final : public QTcpServer {
public:
    std::function<void(qintptr)> onConnection;

protected:
    void incomingConnection(qintptr descriptor) override { onConnection(descriptor); }
};

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

VideohubServer::Client::Client() = default;
VideohubServer::Client::~Client() = default;

VideohubServer::VideohubServer(RouterModel& model, QObject* parent)
    : QObject(parent), m_model(model), m_server(new Listener) {
    m_server->setParent(this);
    m_server->setListenBacklogSize(kMaxClients);
    m_server->onConnection = [this](qintptr descriptor) { accept(descriptor); };
}

// The clients' connections go with m_clients; none has been deleted before.
VideohubServer::~VideohubServer() = default;

bool VideohubServer::listen(const QHostAddress& address, quint16 port) {
    close();
    m_error.clear();
    if (!m_server->listen(address, port)) {
        m_error = QStringLiteral("cannot listen on %1: %2")
                      .arg(endpointText(address, port), m_server->errorString());
        emit logMessage(QStringLiteral("Network control ") + m_error);
        return false;
    }
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

int VideohubServer::clientsFrom(const std::string& owner) const {
    int count = 0;
    for (const auto& client : m_clients)
        count += !client->closing && client->owner == owner ? 1 : 0;
    return count;
}

void VideohubServer::accept(qintptr descriptor) {
    auto connection = std::make_unique<ClientConnection>(descriptor);
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
        emit logMessage(QStringLiteral("Network client %1 refused: %2").arg(peer, refusal));
        return;  // the connection closes as it goes
    }
    auto owned = std::make_unique<Client>();
    Client& client = *owned;
    client.connection = std::move(connection);
    client.owner = owner;
    client.peer = peer;
    m_clients.push_back(std::move(owned));

    ClientConnection* socket = client.connection.get();
    connect(socket, &ClientConnection::readyRead, this, [this, &client] { readFrom(client); });
    connect(socket, &ClientConnection::bytesWritten, this, [this, &client] { readFrom(client); });
    // Unwritable: what arrives up to the end of the stream is still carried
    // out, unanswered.
    connect(socket, &ClientConnection::broken, this, [this, &client] { readFrom(client); });
    emit logMessage(QStringLiteral("Network client %1 connected").arg(peer));
    emit clientCountChanged(clientCount());
    send(client, preambleBlock() + fullState(client));
}

void VideohubServer::finishIfDone(Client& client) {
    if (client.closing || !client.inputEnded || hasWork(client)) return;
    if (client.connection->writable() && client.connection->bytesToWrite() > 0) return;
    dropClient(client, QString());
}

void VideohubServer::dropClient(Client& client, const QString& reason) {
    if (client.closing) return;
    client.closing = true;
    client.connection->disconnect(this);
    client.connection->close();
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
    if (hasWork(client)) {
        scheduleTurn();
    } else {
        finishIfDone(client);
    }
}

bool VideohubServer::hasWork(const Client& client) const {
    if (client.closing) return false;
    const ClientConnection& connection = *client.connection;
    if (connection.writable() && connection.bytesToWrite() >= kPauseBytes) return false;
    return client.inputPos < client.input.size() || (!client.inputEnded && connection.readable());
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
            const qint64 got = client.connection->read(client.input.data(), kChunk);
            client.input.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
            client.inputPos = 0;
            if (got < 0) client.inputEnded = true;
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
        if (!hasWork(client)) continue;
        budget -= processClient(client, std::min(budget, kBlocksPerTurn));
        finishIfDone(client);
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

// Hands every item to the model in order, then answers ACK (NAK when a file
// error stopped an item), then sends everyone what changed, then sends the
// requester the current value of each refused item that the update did not
// already carry.
void VideohubServer::carryOut(Client& client, const Request& request) {
    Changes refused;
    bool fileError = false;
    const auto done = [&](const Outcome& outcome) {
        fileError = fileError || outcome.refusal == Refusal::FileError;
        return outcome.done();
    };
    m_requester = &client;
    for (const RouteRequest& route : request.routes) {
        if (!done(m_model.routeOutput(client.owner, route.output, route.input)))
            refused.routes.emplace(route.output, -1);
    }
    const bool inputs = request.type == BlockType::InputLabels;
    for (const LabelRequest& label : request.labels) {
        const Outcome outcome = inputs
                                    ? m_model.setInputLabel(client.owner, label.port, label.label)
                                    : m_model.setOutputLabel(client.owner, label.port, label.label);
        if (!done(outcome))
            (inputs ? refused.inputLabels : refused.outputLabels).emplace(label.port, "");
    }
    for (const LockItem& lock : request.locks) {
        if (!done(m_model.lockOutput(client.owner, lock.output, lock.request)))
            refused.locks.emplace(lock.output, "");
    }
    if (request.takeMode) done(m_model.setTakeMode(client.owner, *request.takeMode));
    m_requester = nullptr;

    send(client, fileError ? nakBlock() : ackBlock());
    if (m_pending.dump || m_pending.present) refused = Changes{};
    for (const auto& [port, input] : m_pending.routes)
        refused.routes.erase(port);
    for (const auto& [port, text] : m_pending.inputLabels)
        refused.inputLabels.erase(port);
    for (const auto& [port, text] : m_pending.outputLabels)
        refused.outputLabels.erase(port);
    for (const auto& [port, owner] : m_pending.locks)
        refused.locks.erase(port);
    flush();
    if (!refused.empty()) sendChanges(currentValues(refused), &client);
}

void VideohubServer::send(Client& client, const std::string& bytes) {
    if (client.closing || !client.connection->writable() || bytes.empty()) return;
    client.connection->write(bytes.data(), bytes.size());
    if (client.connection->bytesToWrite() > kMaxPendingBytes) {
        dropClient(client, QStringLiteral("not reading (over 1 MiB unsent)"));
    }
}

}  // namespace mc::remote
