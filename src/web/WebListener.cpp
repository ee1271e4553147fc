#include "web/WebListener.h"

#include <QTcpSocket>

#include "web/WebApi.h"
#include "web/WebServer.h"

namespace mc::web {

namespace {

constexpr std::chrono::milliseconds kDrainCheck{20};
constexpr int kHardUnsentFactor = 4;

// The whole answer to a connection over a limit: a status line, a JSON body,
// and the end of the connection.
QByteArray tooMany(bool address) {
    const ApiReply reply = address ? WebApi::error(429, "too many connections from this address")
                                   : WebApi::error(503, "too many connections");
    const QByteArray body = QByteArray::fromStdString(reply.body);
    return (address ? "HTTP/1.1 429 Too Many Requests\r\n"
                    : "HTTP/1.1 503 Service Unavailable\r\n") +
           QByteArray("Content-Type: application/json\r\nContent-Length: ") +
           QByteArray::number(body.size()) +
           "\r\nCache-Control: no-store\r\nConnection: close\r\n\r\n" + body;
}

}  // namespace

Connection::Connection(QTcpSocket* socket, std::string owner, const ConnectionLimits& limits,
                       std::function<void()> gone)
    : QObject(socket),
      owner(std::move(owner)),
      m_socket(socket),
      m_limits(limits),
      m_gone(std::move(gone)) {
    setObjectName(QStringLiteral("mc-connection"));
    // Bounds what the socket reads ahead of the library: one request at most.
    socket->setReadBufferSize(limits.maxUnanswered);
    m_clock.setSingleShot(true);
    m_over.setSingleShot(true);
    m_drained.setInterval(kDrainCheck);
    connect(&m_clock, &QTimer::timeout, this, &Connection::clockRanOut);
    connect(&m_over, &QTimer::timeout, this, [this] { close(QStringLiteral("reads too slowly")); });
    connect(&m_drained, &QTimer::timeout, this, &Connection::countUnsent);
    // Connected before the library's own handler, so it sees each chunk first.
    connect(socket, &QIODevice::readyRead, this, &Connection::arrived);
    m_clock.start(limits.headerTime);
}

Connection::~Connection() {
    m_gone();
}

Connection* Connection::of(const QObject* socket) {
    return socket ? socket->findChild<Connection*>(QStringLiteral("mc-connection"),
                                                   Qt::FindDirectChildrenOnly)
                  : nullptr;
}

void Connection::arrived() {
    if (m_upgraded) return;
    if (m_idle) {
        m_idle = false;
        m_headersIn = false;
        m_tail.clear();
        m_clock.start(m_limits.headerTime);
    }
    if (m_headersIn) return;
    // Only to start the body's clock; the library reads the request.
    const QByteArray seen = m_tail + m_socket->peek(m_socket->bytesAvailable());
    if (seen.contains("\r\n\r\n")) {
        m_headersIn = true;
        if (!m_answerHeld) m_clock.start(m_limits.bodyTime);
    }
    m_tail = seen.right(3);
}

void Connection::answered(bool last) {
    if (last) {
        m_clock.stop();
        return countUnsent();
    }
    m_headersIn = false;
    m_tail.clear();
    // A pipelined request may wait already: its clock runs from this answer.
    m_idle = m_socket->bytesAvailable() == 0;
    if (!m_upgraded) m_clock.start(m_idle ? m_limits.idleTime : m_limits.headerTime);
    countUnsent();
}

void Connection::hold() {
    m_answerHeld = true;
    m_clock.stop();
    updateHold();
}

void Connection::release() {
    m_answerHeld = false;
    updateHold();
}

void Connection::upgraded() {
    m_upgraded = true;
    m_clock.stop();
}

void Connection::countUnsent() {
    const qint64 unsent = m_socket->bytesToWrite();
    if (unsent > kHardUnsentFactor * m_limits.maxUnsent) {
        close(QStringLiteral("reads too slowly"));
        return;
    }
    const bool over = unsent > m_limits.maxUnsent;
    if (over == m_overLimit) return;
    m_overLimit = over;
    if (over) {
        m_over.start(m_limits.overTime);
        m_drained.start();
    } else {
        m_over.stop();
        m_drained.stop();
    }
    updateHold();
}

void Connection::eventsRead() {
    countUnsent();
    if (!m_held) readOn();
}

// A socket whose read buffer was full reads again only once its size is set
// again (reads of what the buffer holds do not wake it).
void Connection::readOn() {
    m_socket->setReadBufferSize(m_limits.maxUnanswered + 1);
    m_socket->setReadBufferSize(m_limits.maxUnanswered);
}

void Connection::clockRanOut() {
    if (m_answerHeld || m_upgraded) return;
    close(m_idle ? QStringLiteral("idle") : QStringLiteral("too slow to send its request"));
}

void Connection::close(const QString& reason) {
    m_clock.stop();
    m_over.stop();
    m_drained.stop();
    m_overLimit = m_answerHeld = false;
    updateHold();
    emit closing(reason);
    m_socket->abort();
}

void Connection::updateHold() {
    const bool held = m_overLimit || m_answerHeld;
    if (held == m_held) return;
    m_held = held;
    m_socket->blockSignals(held);
    if (held) return;
    readOn();
    // Say again what the socket could not say while it was held.
    if (m_socket->state() == QAbstractSocket::UnconnectedState) {
        QMetaObject::invokeMethod(m_socket, &QAbstractSocket::disconnected, Qt::QueuedConnection);
    } else if (m_socket->bytesAvailable() > 0) {
        QMetaObject::invokeMethod(m_socket, &QIODevice::readyRead, Qt::QueuedConnection);
    }
}

void Listener::incomingConnection(qintptr descriptor) {
    auto* socket = new QTcpSocket(this);
    if (!socket->setSocketDescriptor(descriptor)) {
        delete socket;
        return;
    }
    const std::string owner = ownerOf(socket->peerAddress());
    Counts& counts = *m_counts;
    const auto fromOwner = counts.perAddress.find(owner);
    const bool overAddress =
        fromOwner != counts.perAddress.end() && fromOwner->second >= m_limits.perAddress;
    if (overAddress || counts.total >= m_limits.total) {
        emit refused(QStringLiteral("web: %1 refused, %2")
                         .arg(QString::fromStdString(owner),
                              overAddress ? QStringLiteral("too many connections from it")
                                          : QStringLiteral("too many connections")));
        socket->write(tooMany(overAddress));
        socket->flush();
        socket->disconnectFromHost();
        if (socket->state() != QAbstractSocket::UnconnectedState)
            socket->abort();  // what the kernel did not take at once is dropped
        socket->deleteLater();
        return;
    }
    ++counts.total;
    ++counts.perAddress[owner];
    auto* connection = new Connection(socket, owner, m_limits, [shared = m_counts, owner] {
        --shared->total;
        const auto it = shared->perAddress.find(owner);
        if (it != shared->perAddress.end() && --it->second <= 0) shared->perAddress.erase(it);
    });
    // An events socket's closing is the server's to tell (its page).
    connect(connection, &Connection::closing, this, [this, connection](const QString& reason) {
        if (!connection->isEventsSocket())
            emit refused(QStringLiteral("web: connection of %1 closed: %2")
                             .arg(QString::fromStdString(connection->owner), reason));
    });
    addPendingConnection(socket);
}

}  // namespace mc::web
