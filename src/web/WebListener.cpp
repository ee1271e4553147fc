#include "web/WebListener.h"

#include <QTcpSocket>

#include "web/WebServer.h"

namespace mc::web {

void Listener::incomingConnection(qintptr descriptor) {
    auto* socket = new QTcpSocket(this);
    if (!socket->setSocketDescriptor(descriptor)) {
        delete socket;
        return;
    }
    const std::string owner = ownerOf(socket->peerAddress());
    Counts& counts = *m_counts;
    if (counts.total >= m_limits.hard) {
        emit refused(QStringLiteral("web: %1 refused, %2 connections open")
                         .arg(QString::fromStdString(owner))
                         .arg(counts.total));
        socket->abort();
        socket->deleteLater();
        return;
    }
    ++counts.total;
    const int fromOwner = ++counts.perAddress[owner];
    auto* info = new ConnectionInfo(socket, owner, [shared = m_counts, owner] {
        --shared->total;
        const auto it = shared->perAddress.find(owner);
        if (it != shared->perAddress.end() && --it->second <= 0) shared->perAddress.erase(it);
    });
    if (fromOwner > m_limits.perAddress) {
        info->over = ConnectionInfo::Over::Address;
    } else if (counts.total > m_limits.total) {
        info->over = ConnectionInfo::Over::Total;
    }
    // Connected before the HTTP server's own handler, so it sees each chunk
    // before the server reads it.
    const qint64 limit = m_limits.maxUnanswered;
    connect(socket, &QIODevice::readyRead, info, [socket, info, limit] {
        info->unanswered += socket->bytesAvailable();
        if (info->unanswered > limit)
            QMetaObject::invokeMethod(socket, &QAbstractSocket::abort, Qt::QueuedConnection);
    });
    addPendingConnection(socket);
}

}  // namespace mc::web
