#include "web/WebControl.h"

#include <QHostAddress>

#include "control/MatrixSession.h"
#include "web/PasswordHash.h"
#include "web/WebServer.h"

namespace mc::web {

namespace {

// The parts whose change moves the server.
bool sameEndpoint(const WebSettings& a, const WebSettings& b) {
    return a.Enabled == b.Enabled && a.Address == b.Address && a.Port == b.Port &&
           a.PasswordHash.empty() == b.PasswordHash.empty();
}

QString endpoint(const WebSettings& settings) {
    return QStringLiteral("%1:%2").arg(QString::fromStdString(settings.Address)).arg(settings.Port);
}

QString hostText(const QHostAddress& address) {
    return address.protocol() == QAbstractSocket::IPv6Protocol
               ? QStringLiteral("[%1]").arg(address.toString())
               : address.toString();
}

}  // namespace

std::optional<QString> webSettingsRefusal(const WebSettings& settings) {
    const QString hash = QString::fromStdString(settings.PasswordHash);
    if (!hash.isEmpty() && !isPasswordHash(hash))
        return QStringLiteral("\"PasswordHash\" is not a password hash; set the password again");
    QHostAddress address;
    if (!address.setAddress(QString::fromStdString(settings.Address)))
        return QStringLiteral("%1 is not an IP address")
            .arg(QString::fromStdString(settings.Address));
    if (settings.Port < kMinNetworkPort || settings.Port > kMaxNetworkPort)
        return QStringLiteral("%1 is not a port number").arg(settings.Port);
    if (!address.isLoopback() && hash.isEmpty())
        return QStringLiteral(
                   "listening on %1 needs a password (only a loopback address such as "
                   "127.0.0.1 goes without)")
            .arg(QString::fromStdString(settings.Address));
    return std::nullopt;
}

WebControl::WebControl(MatrixSession& session, QObject* parent)
    : QObject(parent), m_session(session), m_server(std::make_unique<WebServer>(session)) {
    connect(m_server.get(), &WebServer::logMessage, this, &WebControl::logMessage);
    connect(m_server.get(), &WebServer::pageCountChanged, this, [this] { updateStatus(); });
    m_session.attach(*this);
}

WebControl::~WebControl() {
    m_session.detach(*this);
    m_server->disconnect(this);
    m_server->close();
}

void WebControl::sessionChanged(const SessionChange& change) {
    if (change.rebuilt) applySettings();
}

void WebControl::applySettings() {
    const WebSettings wanted = m_session.settings().Web;
    const bool changed = !m_applied || !sameEndpoint(*m_applied, wanted);
    m_applied = wanted;
    const auto refusal = webSettingsRefusal(wanted);
    m_server->setPasswordHash(refusal ? QString() : QString::fromStdString(wanted.PasswordHash));
    if (!changed && (!wanted.Enabled || m_server->isListening())) return updateStatus();

    if (changed) {
        m_reported.reset();
        m_server->close();
    }
    if (wanted.Enabled) {
        QString failure;
        if (refusal) {
            failure = QStringLiteral("cannot listen on %1: %2").arg(endpoint(wanted), *refusal);
            emit logMessage(QStringLiteral("Web control ") + failure);
        } else if (!m_server->listen(QHostAddress(QString::fromStdString(wanted.Address)),
                                     static_cast<quint16>(wanted.Port))) {
            failure = m_server->errorString();
        }
        if (!failure.isEmpty() && (!m_reported || !sameEndpoint(*m_reported, wanted))) {
            m_reported = wanted;
            emit bindFailed(failure);
        }
    }
    updateStatus();
}

QString WebControl::url() const {
    if (!m_server->isListening()) return {};
    return QStringLiteral("http://%1:%2/")
        .arg(hostText(m_server->listenAddress()))
        .arg(m_server->listenPort());
}

void WebControl::updateStatus() {
    QString text;
    if (m_server->isListening()) {
        text = QStringLiteral("网页控制：http://%1:%2，%3 个页面")
                   .arg(hostText(m_server->listenAddress()))
                   .arg(m_server->listenPort())
                   .arg(m_server->pageCount());
    } else if (m_applied && m_applied->Enabled) {
        text = QStringLiteral("网页控制：未能监听 %1").arg(endpoint(*m_applied));
    }
    if (text == m_status) return;
    m_status = text;
    emit statusChanged(m_status);
}

}  // namespace mc::web
