#include "web/WebService.h"

#include <QCoreApplication>
#include <QHostAddress>
#include <QStringList>

#include "config/StartupSettings.h"
#include "control/MatrixSession.h"
#include "web/PasswordHash.h"
#include "web/WebServer.h"

namespace mc::web {

namespace {

constexpr const char* kContext = "mc::web::WebService";

QString tr(const char* text) {
    return QCoreApplication::translate(kContext, text);
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

// Why the page's values may not be applied (its address the page checks
// itself): the two passwords differ, or the panel would listen off loopback
// without a password (neither a new one nor the stored one kept).
std::optional<std::string> pageRefusal(const SettingsValues& values, const PasswordEntry& entry) {
    if (entry.password != entry.confirm)
        return tr(QT_TRANSLATE_NOOP("mc::web::WebService",
                                    "网页控制的两次密码输入不一致，请重新输入。"))
            .toStdString();
    const WebSettings web = WebSettings::from(values);
    const QString address = QString::fromStdString(web.Address);
    if (web.Enabled && !isLoopbackAddress(web.Address) && entry.password.empty() &&
        web.PasswordHash.empty())
        return tr(QT_TRANSLATE_NOOP("mc::web::WebService",
                                    "网页控制在“%1”上监听需要密码：网络上的任何人都能打开这个地址"
                                    "并切换矩阵。请设置密码，或把监听地址改为 127.0.0.1（只有本"
                                    "机可以打开）。"))
            .arg(address)
            .toStdString();
    return std::nullopt;
}

}  // namespace

WebSettings WebSettings::from(const SettingsValues& values) {
    WebSettings web;
    web.Enabled = settingFlag(values, "Enabled");
    web.Address = settingText(values, "Address");
    web.Port = settingNumber(values, "Port", web.Port);
    web.PasswordHash = settingText(values, kWebPasswordHash);
    web.AllowedHosts = settingText(values, "AllowedHosts");
    return web;
}

const ServiceSettingsPage& webSettingsPage() {
    static const ServiceSettingsPage page = [] {
        ServiceSettingsPage p;
        p.id = "Web";
        p.section = kWebSection;
        p.context = kContext;
        p.title = QT_TRANSLATE_NOOP("mc::web::WebService", "网页控制");
        p.fields = {
            {"Enabled", FieldKind::Switch, QT_TRANSLATE_NOOP("mc::web::WebService", "启用网页控制"),
             "0"},
            {"Address", FieldKind::Address, QT_TRANSLATE_NOOP("mc::web::WebService", "监听地址 "),
             "127.0.0.1",
             QT_TRANSLATE_NOOP("mc::web::WebService",
                               "127.0.0.1：只有本机的浏览器可以打开。其他"
                               "地址（如 0.0.0.0：所有网络接口）必须设置"
                               "密码。"),
             false, 64},
            {"Port", FieldKind::Port, QT_TRANSLATE_NOOP("mc::web::WebService", "端口 "), "8990"},
            {kWebPasswordHash, FieldKind::PasswordHash,
             QT_TRANSLATE_NOOP("mc::web::WebService", "密码 "), ""},
            {"AllowedHosts", FieldKind::Text,
             QT_TRANSLATE_NOOP("mc::web::WebService", "允许的主机名 "), "",
             QT_TRANSLATE_NOOP("mc::web::WebService", "本机的地址和名称之外，逗号分隔"), false,
             512},
            {"Announce", FieldKind::Switch,
             QT_TRANSLATE_NOOP("mc::web::WebService", "在网络上公布（DNS-SD）"), "1"},
            {"Url", FieldKind::Link,
             QT_TRANSLATE_NOOP("mc::web::WebService", "面板地址：http://%1:%2/"), ""},
        };
        p.refusal = pageRefusal;
        p.hashPassword = [](const std::string& password) {
            return makePasswordHash(QString::fromStdString(password)).toStdString();
        };
        return p;
    }();
    return page;
}

std::optional<service::ServiceRefusal> webSettingsRefusal(const WebSettings& settings) {
    const QString hash = QString::fromStdString(settings.PasswordHash);
    const QString address = QString::fromStdString(settings.Address);
    if (!hash.isEmpty() && !isPasswordHash(hash))
        return service::ServiceRefusal{
            QStringLiteral("\"PasswordHash\" is not a password hash; set the password again"),
            tr(QT_TRANSLATE_NOOP(
                "mc::web::WebService",
                "网页控制已停止：存储的密码（PasswordHash）无法识别，请重新设置密码"))};
    if (!isListenAddress(settings.Address))
        return service::ServiceRefusal{
            QStringLiteral("%1 is not an IP address").arg(address),
            tr(QT_TRANSLATE_NOOP("mc::web::WebService", "监听地址“%1”不是 IP 地址")).arg(address)};
    if (settings.Port < kMinNetworkPort || settings.Port > kMaxNetworkPort)
        return service::ServiceRefusal{
            QStringLiteral("%1 is not a port number").arg(settings.Port),
            tr(QT_TRANSLATE_NOOP("mc::web::WebService", "%1 不是端口号")).arg(settings.Port)};
    if (!isLoopbackAddress(settings.Address) && hash.isEmpty())
        return service::ServiceRefusal{
            QStringLiteral("listening on %1 needs a password (only a loopback address such as "
                           "127.0.0.1 goes without); set one with matrix-control "
                           "--set-web-password or on the configuration dialog's page 网页控制")
                .arg(address),
            tr(QT_TRANSLATE_NOOP("mc::web::WebService",
                                 "在 %1 上监听需要密码（请在配置的“网页控制”页设置）"))
                .arg(address)};
    return std::nullopt;
}

const service::ServiceTexts& WebService::texts() const {
    static const service::ServiceTexts texts{
        QT_TRANSLATE_NOOP("mc::web::WebService", "网页控制：http://%1:%2，%3 个页面"),
        QT_TRANSLATE_NOOP("mc::web::WebService", "网页控制：未能监听 %1"),
        QT_TRANSLATE_NOOP("mc::web::WebService", "网页控制未能启动：%1"),
        QStringLiteral("Web control")};
    return texts;
}

WebService::WebService(MatrixSession& session, QObject* parent)
    : NetworkService(parent), m_session(session), m_server(std::make_unique<WebServer>(session)) {
    connect(m_server.get(), &WebServer::logMessage, this, &WebService::logMessage);
    connect(m_server.get(), &WebServer::pageCountChanged, this, &WebService::clientCountChanged);
}

std::optional<announce::ServiceRecord> WebService::announcement() const {
    return announce::webRecord(QString::fromStdString(m_session.settings().MatrixNowUse),
                               listenPort(), listenAddress());
}

WebService::~WebService() {
    m_server->disconnect(this);
    m_server->close();
}

void WebService::configure(const SettingsValues& values) {
    const WebSettings web = WebSettings::from(values);
    m_server->setAllowedHosts(allowedHosts(web.AllowedHosts));
    if (!webSettingsRefusal(web))
        m_server->setPasswordHash(QString::fromStdString(web.PasswordHash));
}

std::optional<service::ServiceRefusal> WebService::refusal(const SettingsValues& values) const {
    return webSettingsRefusal(WebSettings::from(values));
}

bool WebService::movesListener(const SettingsValues& before, const SettingsValues& now) const {
    return NetworkService::movesListener(before, now) ||
           settingText(before, kWebPasswordHash).empty() !=
               settingText(now, kWebPasswordHash).empty();
}

bool WebService::listen(const QHostAddress& address, quint16 port) {
    return m_server->listen(address, port);
}
QString WebService::errorString() const {
    return m_server->errorString();
}
void WebService::close() {
    m_server->close();
}
bool WebService::isListening() const {
    return m_server->isListening();
}
QHostAddress WebService::listenAddress() const {
    return m_server->listenAddress();
}
quint16 WebService::listenPort() const {
    return m_server->listenPort();
}
int WebService::clientCount() const {
    return m_server->pageCount();
}

QString WebService::url() const {
    if (!m_server->isListening()) return {};
    return QStringLiteral("http://%1:%2/")
        .arg(hostText(m_server->listenAddress()))
        .arg(m_server->listenPort());
}

}  // namespace mc::web
