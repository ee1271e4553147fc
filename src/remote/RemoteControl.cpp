#include "remote/RemoteControl.h"

#include <QHostAddress>

#include "control/MatrixSession.h"
#include "remote/SessionRouter.h"
#include "remote/VideohubServer.h"

namespace mc::remote {

namespace {

bool sameEndpoint(const NetworkSettings& a, const NetworkSettings& b) {
    return a.Enabled == b.Enabled && a.Address == b.Address && a.Port == b.Port;
}

QString endpoint(const NetworkSettings& settings) {
    return QStringLiteral("%1:%2").arg(QString::fromStdString(settings.Address)).arg(settings.Port);
}

}  // namespace

RemoteControl::RemoteControl(MatrixSession& session, QObject* parent)
    : QObject(parent),
      m_session(session),
      m_router(std::make_unique<SessionRouter>(session)),
      m_server(std::make_unique<VideohubServer>(*m_router)) {
    m_router->setServer(m_server.get());
    connect(m_server.get(), &VideohubServer::logMessage, this, &RemoteControl::logMessage);
    connect(m_server.get(), &VideohubServer::clientCountChanged, this, [this] { updateStatus(); });
    m_session.attach(*this);
}

RemoteControl::~RemoteControl() {
    m_session.detach(*this);
    m_server->disconnect(this);
    m_server->close();
    m_router->setServer(nullptr);
}

void RemoteControl::sessionChanged(const SessionChange& change) {
    if (change.rebuilt) applySettings();
}

void RemoteControl::applySettings() {
    const NetworkSettings wanted = m_session.settings().Network;
    const bool changed = !m_applied || !sameEndpoint(*m_applied, wanted);
    m_applied = wanted;
    if (!changed && (!wanted.Enabled || m_server->isListening())) return updateStatus();

    if (changed) {
        m_reported.reset();
        m_server->close();
    }
    if (wanted.Enabled) {
        QHostAddress address;
        QString failure;
        bool logged = false;  // the server logs its own failures
        if (!address.setAddress(QString::fromStdString(wanted.Address))) {
            failure =
                QStringLiteral("cannot listen on %1: not an IP address").arg(endpoint(wanted));
        } else if (wanted.Port < 0 || wanted.Port > kMaxNetworkPort) {
            failure =
                QStringLiteral("cannot listen on %1: not a port number").arg(endpoint(wanted));
        } else if (!m_server->listen(address, static_cast<quint16>(wanted.Port))) {
            failure = m_server->errorString();
            logged = true;
        }
        if (!failure.isEmpty()) {
            if (!logged) emit logMessage(QStringLiteral("Network control ") + failure);
            if (!m_reported || !sameEndpoint(*m_reported, wanted)) {
                m_reported = wanted;
                emit bindFailed(failure);
            }
        }
    }
    updateStatus();
}

QString RemoteControl::statusText() const {
    return m_status;
}

void RemoteControl::updateStatus() {
    QString text;
    if (m_server->isListening()) {
        const QHostAddress address = m_server->listenAddress();
        const QString host = address.protocol() == QAbstractSocket::IPv6Protocol
                                 ? QStringLiteral("[%1]").arg(address.toString())
                                 : address.toString();
        text = tr("网络控制：%1:%2，%3 个客户端")
                   .arg(host)
                   .arg(m_server->listenPort())
                   .arg(m_server->clientCount());
    } else if (m_applied && m_applied->Enabled) {
        text = tr("网络控制：未能监听 %1").arg(endpoint(*m_applied));
    }
    if (text == m_status) return;
    m_status = text;
    emit statusChanged(m_status);
}

}  // namespace mc::remote
