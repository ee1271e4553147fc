#include "web/WebControl.h"

#include <QHostAddress>
#include <QString>
#include <QStringList>

#include "config/StartupSettings.h"

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

QStringList allowedHosts(const std::string& list) {
    QStringList hosts;
    for (const QString& name : QString::fromStdString(list).split(QLatin1Char(',')))
        if (!name.trimmed().isEmpty()) hosts.append(name.trimmed().toLower());
    return hosts;
}

QString hostText(const QHostAddress& address) {
    return address.protocol() == QAbstractSocket::IPv6Protocol
               ? QStringLiteral("[%1]").arg(address.toString())
               : address.toString();
}

}  // namespace

std::optional<WebRefusal> webSettingsRefusal(const WebSettings& settings) {
    const QString hash = QString::fromStdString(settings.PasswordHash);
    const QString address = QString::fromStdString(settings.Address);
    if (!hash.isEmpty() && !isPasswordHash(hash))
        return WebRefusal{
            QStringLiteral("\"PasswordHash\" is not a password hash; set the password again"),
            WebControl::tr("网页控制已停止：存储的密码（PasswordHash）无法识别，请重新设置密码")};
    if (!isListenAddress(settings.Address))
        return WebRefusal{QStringLiteral("%1 is not an IP address").arg(address),
                          WebControl::tr("监听地址“%1”不是 IP 地址").arg(address)};
    if (settings.Port < kMinNetworkPort || settings.Port > kMaxNetworkPort)
        return WebRefusal{QStringLiteral("%1 is not a port number").arg(settings.Port),
                          WebControl::tr("%1 不是端口号").arg(settings.Port)};
    if (!isLoopbackAddress(settings.Address) && hash.isEmpty())
        return WebRefusal{
            QStringLiteral("listening on %1 needs a password (only a loopback address such as "
                           "127.0.0.1 goes without); set one with matrix-control "
                           "--set-web-password or on the configuration dialog's page 网页控制")
                .arg(address),
            WebControl::tr("在 %1 上监听需要密码（请在配置的“网页控制”页设置）").arg(address)};
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
    m_server->setAllowedHosts(allowedHosts(wanted.AllowedHosts));
    if (changed) m_reported.reset();
    // Refused settings close the server whatever it served before: nothing
    // is served with less protection than the settings ask for.
    if (changed || refusal) m_server->close();
    if (!refusal) m_server->setPasswordHash(QString::fromStdString(wanted.PasswordHash));
    if (!wanted.Enabled || m_server->isListening()) return updateStatus();

    const bool reported = m_reported && sameEndpoint(*m_reported, wanted);
    QString failure;
    if (refusal) {
        failure = refusal->note;
        if (!reported)
            emit logMessage(QStringLiteral("Web control does not listen on %1: %2")
                                .arg(endpoint(wanted), refusal->log));
    } else if (!m_server->listen(QHostAddress(QString::fromStdString(wanted.Address)),
                                 static_cast<quint16>(wanted.Port))) {
        failure = m_server->errorString();
    } else {
        m_reported.reset();  // a later failure is told again
    }
    if (!failure.isEmpty() && !reported) {
        m_reported = wanted;
        emit bindFailed(failure);
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
        text = tr("网页控制：http://%1:%2，%3 个页面")
                   .arg(hostText(m_server->listenAddress()))
                   .arg(m_server->listenPort())
                   .arg(m_server->pageCount());
    } else if (m_applied && m_applied->Enabled) {
        text = tr("网页控制：未能监听 %1").arg(endpoint(*m_applied));
    }
    if (text == m_status) return;
    m_status = text;
    emit statusChanged(m_status);
}

}  // namespace mc::web
