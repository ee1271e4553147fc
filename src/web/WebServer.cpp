#include "web/WebServer.h"

#include <QFile>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QNetworkRequest>
#include <QSysInfo>
#include <QTcpSocket>
#include <QUrl>
#include <QWebSocket>

#include <map>

#include <nlohmann/json.hpp>

#include "control/MatrixSession.h"
#include "web/WebListener.h"

// The panel's resources live in this static library: registered by name.
static void initPanelResources() {
    Q_INIT_RESOURCE(panel);
}

namespace mc::web {

namespace {

using Method = QHttpServerRequest::Method;
const QString kApi = QStringLiteral("/api/v1/");
const QString kEvents = QStringLiteral("/api/v1/events");

void deleteSocket(QWebSocket* socket) {
    if (socket != nullptr) socket->deleteLater();
}

QByteArray header(const QHttpServerRequest& request, const char* name) {
    return request.value(QByteArray(name));
}

// Whether an Origin header names this server, reached as `host` (the Host
// header). No Origin (a program, not a page) passes.
bool ownOrigin(const QByteArray& origin, const QByteArray& host) {
    if (origin.isEmpty()) return true;
    return !host.isEmpty() && origin.compare("http://" + host, Qt::CaseInsensitive) == 0;
}

// Whether a Host header names this machine: a numeric address, "localhost",
// its host name, the name DNS-SD announces (<host name>.local), or one of
// `allowed`. A page of another site whose name was made to resolve to this
// machine (DNS rebinding) sends its own name.
bool ownHost(const QByteArray& host, const QStringList& allowed) {
    const QString name =
        QUrl(QStringLiteral("http://") + QString::fromLatin1(host)).host().toLower();
    if (name.isEmpty()) return false;
    const QString machine = QSysInfo::machineHostName().toLower();
    return name == QLatin1String("localhost") || !QHostAddress(name).isNull() ||
           (!machine.isEmpty() && (name == machine || name == machine + QLatin1String(".local"))) ||
           allowed.contains(name, Qt::CaseInsensitive);
}

// Whether the request's Connection header lists `option` ("close").
bool connectionOption(const QHttpServerRequest& request, const char* option) {
    for (const QByteArray& token : header(request, "connection").split(','))
        if (token.trimmed().compare(option, Qt::CaseInsensitive) == 0) return true;
    return false;
}

// Whether a request asks for a WebSocket as RFC 6455 has it: "Connection:
// Upgrade", "Upgrade: websocket", version 13 and a key of 16 bytes.
bool validUpgrade(const QHttpServerRequest& request) {
    const bool connectionUpgrade = connectionOption(request, "upgrade");
    const auto key = QByteArray::fromBase64Encoding(header(request, "sec-websocket-key").trimmed(),
                                                    QByteArray::AbortOnBase64DecodingErrors);
    return connectionUpgrade && isUpgradeRequest(request) &&
           header(request, "sec-websocket-version").trimmed() == "13" && key &&
           key.decoded.size() == 16;
}

std::string text(const QByteArray& bytes) {
    return bytes.toStdString();
}

}  // namespace

bool isUpgradeRequest(const QHttpServerRequest& request) {
    return header(request, "upgrade").compare("websocket", Qt::CaseInsensitive) == 0;
}

std::string ownerOf(const QHostAddress& address) {
    bool mapped = false;
    const quint32 v4 = address.toIPv4Address(&mapped);
    return (mapped ? QHostAddress(v4) : address).toString().toStdString();
}

WebServer::WebServer(MatrixSession& session, ConnectionLimits limits, QObject* parent)
    : QAbstractHttpServer(parent), m_session(session), m_api(session), m_limits(limits) {
    initPanelResources();
    connect(this, &QAbstractHttpServer::newWebSocketConnection, this, &WebServer::acceptPages);
    m_session.attach(*this);
}

WebServer::~WebServer() {
    m_session.detach(*this);
    close();
}

bool WebServer::listen(const QHostAddress& address, quint16 port) {
    close();
    auto* listener = new Listener(m_limits, this);
    if (!listener->listen(address, port)) {
        m_error = QStringLiteral("cannot listen on %1:%2: %3")
                      .arg(address.toString())
                      .arg(port)
                      .arg(listener->errorString());
        emit logMessage(QStringLiteral("Web control ") + m_error);
        delete listener;
        return false;
    }
    connect(listener, &Listener::refused, this, &WebServer::logMessage);
    bind(listener);
    m_listener = listener;
    m_error.clear();
    emit logMessage(QStringLiteral("Web control listening on http://%1:%2/")
                        .arg(address.toString())
                        .arg(listener->serverPort()));
    return true;
}

void WebServer::close() {
    // A held socket sends no signals, not even its destruction's.
    for (Connection* connection : findChildren<Connection*>())
        connection->socket()->blockSignals(false);
    m_upgrading.clear();
    const bool hadPages = !m_pages.empty();
    for (Page& page : m_pages) {
        page.socket->disconnect(this);
        if (page.connection) page.connection->socket()->blockSignals(false);
        page.socket->abort();
    }
    m_pages.clear();
    if (hadPages) emit pageCountChanged(0);
    if (m_listener == nullptr) return;
    m_listener->close();
    delete m_listener;  // with the connections it still owns
    m_listener = nullptr;
    emit logMessage(QStringLiteral("Web control stopped"));
}

QHostAddress WebServer::listenAddress() const {
    return m_listener ? m_listener->serverAddress() : QHostAddress();
}

quint16 WebServer::listenPort() const {
    return m_listener ? m_listener->serverPort() : 0;
}

// --- HTTP ------------------------------------------------------------------------------

bool WebServer::handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) {
    Connection* connection = Connection::of(socket);
    const std::string owner = connection ? connection->owner : ownerOf(request.remoteAddress());
    Reply reply = route(request, socket, owner);
    if (reply.status == kLater) return true;  // answered once its password is checked
    if (reply.status == kUpgrade && connection != nullptr) {
        connection->upgraded();
        connection->tokens =
            WebAuth::presentedTokens(header(request, "authorization"), header(request, "cookie"));
        m_upgrading.emplace_back(connection);
        return true;  // the library makes it an events socket
    }
    if (reply.status == kUpgrade)
        reply = jsonReply(WebApi::error(503, "not a connection of this server"));
    if (isUpgradeRequest(request)) {
        // The library would upgrade whatever is handled here; an unhandled
        // request is answered by missingHandler (then, when the library took
        // it for an upgrade, it closes the connection).
        m_unhandled = std::move(reply);
        return false;
    }
    send(request, socket, reply);
    return true;
}

void WebServer::missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) {
    const Reply reply =
        m_unhandled ? std::move(*m_unhandled) : jsonReply(WebApi::error(404, "no such path"));
    m_unhandled.reset();
    send(request, socket, reply);
}

WebServer::Reply WebServer::route(const QHttpServerRequest& request, QTcpSocket* socket,
                                  const std::string& owner) {
    const QString path = request.url().path();
    const bool post = request.method() == Method::Post;
    if (!path.startsWith(kApi)) {
        if (request.method() != Method::Get) return jsonReply(WebApi::error(405, "use GET"));
        return panelFile(path);
    }
    if (!ownHost(header(request, "host"), m_allowedHosts))
        return jsonReply(
            WebApi::error(403, "use this machine's address or name (or list it in AllowedHosts)"));
    if (post && !ownOrigin(header(request, "origin"), header(request, "host")))
        return jsonReply(WebApi::error(403, "the request comes from another site's page"));
    if (post && request.body().size() > kMaxBody)
        return jsonReply(WebApi::error(413, "the body is over 64 KiB"));
    if (!post && request.method() != Method::Get)
        return jsonReply(WebApi::error(405, "use GET or POST"));
    const QString name = path.mid(kApi.size());
    if (name == QLatin1String("login")) {
        if (!post) return jsonReply(WebApi::error(405, "use POST"));
        return login(request, socket, owner);
    }
    if (Reply refusal = authorize(request, socket, owner); refusal.status != 200) return refusal;
    if (name == QLatin1String("logout")) {
        if (!post) return jsonReply(WebApi::error(405, "use POST"));
        // Every token it presents, and the pages opened with them.
        const std::vector<QByteArray> tokens =
            WebAuth::presentedTokens(header(request, "authorization"), header(request, "cookie"));
        for (const QByteArray& token : tokens)
            m_auth.forget(token);
        dropPages(tokens, QStringLiteral("logged out"));
        Reply reply = jsonReply({200, "{}"});
        reply.headers.emplace_back("Set-Cookie",
                                   QByteArray(WebAuth::kCookie) + "=; Max-Age=0; Path=/");
        return reply;
    }
    if (name == QLatin1String("events")) {
        if (!validUpgrade(request))
            return jsonReply(WebApi::error(400, "events is a WebSocket (version 13)"));
        if (!ownOrigin(header(request, "origin"), header(request, "host")))
            return jsonReply(WebApi::error(403, "the request comes from another site's page"));
        if (pageCount() >= kMaxPages) return jsonReply(WebApi::error(503, "too many pages open"));
        return Reply{kUpgrade, {}, {}, {}};  // upgraded by the library
    }
    return jsonReply(m_api.handle(post, name.toStdString(), text(request.body()), owner));
}

WebServer::Reply WebServer::panelFile(const QString& path) {
    static const std::map<QString, std::pair<QString, QByteArray>> kFiles = {
        {QStringLiteral("/"), {QStringLiteral(":/web/index.html"), "text/html; charset=utf-8"}},
        {QStringLiteral("/index.html"),
         {QStringLiteral(":/web/index.html"), "text/html; charset=utf-8"}},
        {QStringLiteral("/panel.css"), {QStringLiteral(":/web/panel.css"), "text/css"}},
        {QStringLiteral("/panel.js"),
         {QStringLiteral(":/web/panel.js"), "text/javascript; charset=utf-8"}},
        {QStringLiteral("/grid.js"),
         {QStringLiteral(":/web/grid.js"), "text/javascript; charset=utf-8"}},
    };
    if (path == QLatin1String("/favicon.ico")) return Reply{204, "image/x-icon", {}, {}};
    const auto it = kFiles.find(path);
    if (it == kFiles.end()) return jsonReply(WebApi::error(404, "no such path"));
    QFile file(it->second.first);
    if (!file.open(QIODevice::ReadOnly)) return jsonReply(WebApi::error(500, "panel missing"));
    Reply reply;
    reply.type = it->second.second;
    reply.body = file.readAll();
    reply.headers.emplace_back("Content-Security-Policy",
                               "default-src 'self'; connect-src 'self' ws: wss:; "
                               "frame-ancestors 'none'");
    reply.headers.emplace_back("X-Content-Type-Options", "nosniff");
    return reply;
}

WebServer::Reply WebServer::jsonReply(const ApiReply& reply) {
    Reply out;
    out.status = reply.status;
    out.body = QByteArray::fromStdString(reply.body);
    return out;
}

void WebServer::send(const QHttpServerRequest& request, QTcpSocket* socket, const Reply& reply) {
    QHttpServerResponder responder = makeResponder(request, socket);
    responder.writeStatusLine(static_cast<QHttpServerResponder::StatusCode>(reply.status));
    responder.writeHeader("Content-Type", reply.type);
    responder.writeHeader("Content-Length", QByteArray::number(reply.body.size()));
    responder.writeHeader("Cache-Control", "no-store");
    for (const auto& [name, value] : reply.headers)
        responder.writeHeader(name, value);
    // A client that asks to close after this answer is not kept waiting for
    // the idle limit.
    const bool last = connectionOption(request, "close");
    if (last) responder.writeHeader("Connection", "close");
    responder.writeBody(reply.body);
    if (Connection* connection = Connection::of(socket)) connection->answered(last);
    if (last) socket->disconnectFromHost();
}

// --- Events ------------------------------------------------------------------------------

void WebServer::acceptPages() {
    while (hasPendingWebSocketConnections()) {
        std::unique_ptr<QWebSocket> socket = nextPendingWebSocketConnection();
        if (!socket) continue;
        const std::string owner = ownerOf(socket->peerAddress());
        socket->setMaxAllowedIncomingFrameSize(4096);
        socket->setMaxAllowedIncomingMessageSize(4096);
        socket->setReadBufferSize(m_limits.maxUnanswered);
        QWebSocket* raw = socket.get();
        // Its connection, which the upgrade request came on.
        QPointer<Connection> connection;
        std::erase_if(m_upgrading, [&](const QPointer<Connection>& upgraded) {
            if (!upgraded) return true;
            const QTcpSocket* tcp = upgraded->socket();
            if (tcp->peerPort() != raw->peerPort() || tcp->peerAddress() != raw->peerAddress())
                return false;
            connection = upgraded;
            return true;
        });
        connect(raw, &QWebSocket::disconnected, this,
                [this, raw] { dropPage(raw, QStringLiteral("closed")); });
        if (connection) {
            // After the WebSocket library's own reader, which may have
            // answered pings.
            connect(connection->socket(), &QIODevice::readyRead, connection,
                    &Connection::eventsRead);
            connect(connection, &Connection::closing, this,
                    [this, raw](const QString& reason) { dropPage(raw, reason); });
        }
        m_pages.push_back({{socket.release(), &deleteSocket}, owner, connection});
        emit logMessage(
            QStringLiteral("web: page of %1 opened").arg(QString::fromStdString(owner)));
        emit pageCountChanged(pageCount());
        nlohmann::json state = m_api.state(owner);
        state["type"] = "state";
        sendTo(m_pages.back(), QString::fromStdString(state.dump(
                                   -1, ' ', false, nlohmann::json::error_handler_t::replace)));
    }
}

void WebServer::sendTo(Page& page, const QString& text) {
    page.socket->sendTextMessage(text);
    // May close the page: later, since a loop over the pages may be running.
    if (page.connection)
        QMetaObject::invokeMethod(page.connection, &Connection::countUnsent, Qt::QueuedConnection);
}

void WebServer::dropPage(QWebSocket* socket, const QString& reason) {
    const auto it = std::find_if(m_pages.begin(), m_pages.end(), [socket](const Page& page) {
        return page.socket.get() == socket;
    });
    if (it == m_pages.end()) return;
    emit logMessage(
        QStringLiteral("web: page of %1 %2").arg(QString::fromStdString(it->owner), reason));
    it->socket->disconnect(this);
    if (it->connection) it->connection->socket()->blockSignals(false);
    it->socket->abort();
    m_pages.erase(it);
    emit pageCountChanged(pageCount());
}

void WebServer::dropPages(const std::vector<QByteArray>& tokens, const QString& reason) {
    std::vector<QWebSocket*> dropped;
    for (const Page& page : m_pages) {
        if (!page.connection) continue;
        for (const QByteArray& token : page.connection->tokens)
            if (std::find(tokens.begin(), tokens.end(), token) != tokens.end()) {
                dropped.push_back(page.socket.get());
                break;
            }
    }
    for (QWebSocket* socket : dropped)
        dropPage(socket, reason);
}

void WebServer::setPasswordHash(const QString& hash) {
    if (!m_auth.setPasswordHash(hash)) return;
    std::vector<QWebSocket*> pages;
    for (const Page& page : m_pages)
        pages.push_back(page.socket.get());
    for (QWebSocket* socket : pages)
        dropPage(socket, QStringLiteral("closed: the password changed"));
}

void WebServer::sessionChanged(const SessionChange& change) {
    if (m_pages.empty()) return;
    const auto dump = [](const nlohmann::json& json) {
        return QString::fromStdString(
            json.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
    };
    // What a page is sent depends on its owner only (locks are "own" to their
    // holder): each text is built once per owner, not once per page.
    std::map<std::string, QString> texts;
    const auto textFor = [&](const std::string& owner, const auto& build) -> const QString& {
        auto it = texts.find(owner);
        if (it == texts.end()) it = texts.emplace(owner, dump(build(owner))).first;
        return it->second;
    };
    if (change.rebuilt) {
        const auto state = [this](const std::string& owner) {
            nlohmann::json json = m_api.state(owner);
            json["type"] = "state";
            return json;
        };
        for (Page& page : m_pages)
            sendTo(page, textFor(page.owner, state));
        return;
    }
    nlohmann::json common = m_api.change(change);
    if (common.is_null()) return;
    const auto withLocks = [&](const std::string& owner) {
        if (!change.locks.empty()) common["locks"] = WebApi::changedLocks(change, owner);
        return common;
    };
    for (Page& page : m_pages)
        sendTo(page,
               change.locks.empty() ? textFor({}, withLocks) : textFor(page.owner, withLocks));
}

}  // namespace mc::web
