#pragma once

// WebServer: the web panel and the HTTP API of one session, on Qt HTTP Server
// and Qt WebSockets (the library parses HTTP and WebSocket frames; nothing
// here does).
//
// Paths: "/" (also "/index.html"), "/panel.css", "/panel.js", "/grid.js": the
// panel, from the program's resources; "/api/v1/...": the API (WebApi), "login" and
// "logout", and "events", the WebSocket that first carries the whole state
// ({"type":"state",...}) and then every change ({"type":"change",...}).
// Nothing else is served (404).
//
// Rules: with a password hash set, the API and the events socket need
// WebAuth's consent (401 without or with wrong credentials, 403 while the
// address is blocked). A POST and the events socket whose Origin header is
// not this server's own (http://<Host>) are refused (403). Without a password
// the API answers only a Host that is a numeric address or "localhost" (403
// otherwise): a site whose name resolves to this machine gets nothing. A body over
// kMaxBody is refused (413). What one connection may cost (unsent bytes,
// time, connections per address and in all) is bounded as ConnectionLimits
// says (WebListener.h). At most kMaxPages events sockets are open (more get
// 503). The events socket's upgrade request passes the same checks as any API
// request before the library takes it; an Upgrade header on any other path
// is ignored (the request gets its one answer), and a request for the events
// socket that is not a valid upgrade gets 400.
//
// Lifetime: the session must outlive the server. Threads: the session's
// (the user-interface thread), on its event loop.

#include <QAbstractHttpServer>
#include <QHostAddress>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "control/SessionObserver.h"
#include "web/PasswordCheck.h"
#include "web/WebApi.h"
#include "web/WebAuth.h"
#include "web/WebListener.h"

class QWebSocket;

namespace mc {
class MatrixSession;
}

namespace mc::web {

class WebServer final : public QAbstractHttpServer, private ISessionObserver {
    Q_OBJECT

public:
    static constexpr qsizetype kMaxBody = 64 * 1024;
    static constexpr qint64 kMaxUnanswered = ConnectionLimits{}.maxUnanswered;
    static constexpr int kMaxPerAddress = ConnectionLimits{}.perAddress;
    static constexpr int kMaxConnections = ConnectionLimits{}.total;
    static constexpr int kMaxPages = 64;

    // `limits`: the connection limits above; a benchmark with every client on
    // one address raises them.
    explicit WebServer(MatrixSession& session, ConnectionLimits limits = {},
                       QObject* parent = nullptr);
    ~WebServer() override;
    WebServer(const WebServer&) = delete;
    WebServer& operator=(const WebServer&) = delete;

    // Starts listening (port 0: any free port); on failure false, and
    // errorString() says why. Listening again first closes.
    bool listen(const QHostAddress& address, quint16 port);
    QString errorString() const { return m_error; }
    // Stops listening, closes every events socket and connection.
    void close();
    bool isListening() const { return m_listener != nullptr; }
    QHostAddress listenAddress() const;
    quint16 listenPort() const;
    // Open events sockets (pages).
    int pageCount() const { return static_cast<int>(m_pages.size()); }
    int connectionCount() const { return m_listener ? m_listener->connectionCount() : 0; }

    // A new hash revokes every token and closes every page.
    void setPasswordHash(const QString& hash);
    void setAllowedHosts(const QStringList& hosts) { m_allowedHosts = hosts; }

signals:
    void pageCountChanged(int count);
    // One line for a log: listening, each page's open and close, refusals.
    void logMessage(const QString& line);

protected:
    bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override;
    void missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) override;

private:
    struct Page {
        std::unique_ptr<QWebSocket, void (*)(QWebSocket*)> socket;
        std::string owner;
        QPointer<Connection> connection;
    };
    static constexpr int kUpgrade = 0;  // Reply::status: an events socket may open
    static constexpr int kLater = -1;   // Reply::status: answered once a password is checked
    struct Reply {
        int status = 200;  // or kUpgrade, kLater
        QByteArray type = "application/json";
        QByteArray body;
        std::vector<std::pair<QByteArray, QByteArray>> headers;
    };

    void sessionChanged(const SessionChange& change) override;
    Reply route(const QHttpServerRequest& request, QTcpSocket* socket, const std::string& owner);
    // WebServerAuth.cpp: the credentials of a request (200 when they pass),
    // a login, and the answers that wait for a password check.
    Reply authorize(const QHttpServerRequest& request, QTcpSocket* socket,
                    const std::string& owner);
    Reply login(const QHttpServerRequest& request, QTcpSocket* socket, const std::string& owner);
    Reply checkLater(const QHttpServerRequest& request, QTcpSocket* socket,
                     const WebAuth::Attempt& attempt, bool login);
    Reply tokenReply();
    static Reply verdictReply(WebAuth::Verdict verdict, bool login);
    static Reply panelFile(const QString& path);
    static Reply jsonReply(const ApiReply& reply);
    void send(const QHttpServerRequest& request, QTcpSocket* socket, const Reply& reply);
    void acceptPages();
    void sendTo(Page& page, const QString& text);
    void dropPage(QWebSocket* socket, const QString& reason);
    // Closes the pages opened with any of `tokens`.
    void dropPages(const std::vector<QByteArray>& tokens, const QString& reason);

    MatrixSession& m_session;
    WebApi m_api;
    WebAuth m_auth;
    PasswordCheck m_checks;
    ConnectionLimits m_limits;
    Listener* m_listener = nullptr;  // child; its connections are its children
    QString m_error;
    QStringList m_allowedHosts;
    std::vector<Page> m_pages;
    // Upgraded by the library, not yet taken as pages.
    std::vector<QPointer<Connection>> m_upgrading;
    // The answer to a request left unhandled (see handleRequest).
    std::optional<Reply> m_unhandled;
};

// The owner id of a peer: its address, an IPv4-mapped IPv6 address as IPv4.
std::string ownerOf(const QHostAddress& address);

// Whether a request carries "Upgrade: websocket".
bool isUpgradeRequest(const QHttpServerRequest& request);

}  // namespace mc::web
