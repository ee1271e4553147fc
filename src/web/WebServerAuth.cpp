// WebServer: the credentials of a request, logins, and the answers that wait
// for a password check (PasswordCheck), so that the event loop never waits
// for a key derivation.

#include <QHttpServerRequest>
#include <QTcpSocket>

#include <nlohmann/json.hpp>

#include "web/WebServer.h"

namespace mc::web {

namespace {

QByteArray header(const QHttpServerRequest& request, const char* name) {
    return request.value(QByteArray(name));
}

}  // namespace

WebServer::Reply WebServer::authorize(const QHttpServerRequest& request, QTcpSocket* socket,
                                      const std::string& owner) {
    WebAuth::Attempt attempt;
    const WebAuth::Verdict verdict =
        m_auth.check(header(request, "authorization"), header(request, "cookie"),
                     QString::fromStdString(owner), WebAuth::Clock::now(), attempt);
    if (verdict == WebAuth::Verdict::Check) return checkLater(request, socket, attempt, false);
    return verdictReply(verdict, false);
}

WebServer::Reply WebServer::login(const QHttpServerRequest& request, QTcpSocket* socket,
                                  const std::string& owner) {
    const auto body = nlohmann::json::parse(request.body().toStdString(), nullptr, false);
    const auto password = body.is_object() ? body.find("password") : body.end();
    if (!body.is_object() || password == body.end() || !password->is_string())
        return jsonReply(WebApi::error(400, "give \"password\""));
    WebAuth::Attempt attempt;
    const WebAuth::Verdict verdict =
        m_auth.login(QByteArray::fromStdString(password->get<std::string>()),
                     QString::fromStdString(owner), WebAuth::Clock::now(), attempt);
    if (verdict == WebAuth::Verdict::Check) return checkLater(request, socket, attempt, true);
    if (verdict == WebAuth::Verdict::Allowed) return tokenReply();
    return verdictReply(verdict, true);
}

// The connection is held (nothing more is read from it) until the answer is
// written. An upgrade request cannot wait (the library upgrades or closes at
// once): its password is checked all the same, and remembered when right, but
// it is answered 503 now, to be tried again.
WebServer::Reply WebServer::checkLater(const QHttpServerRequest& request, QTcpSocket* socket,
                                       const WebAuth::Attempt& attempt, bool login) {
    QPointer<Connection> connection = Connection::of(socket);
    const bool later = connection && !isUpgradeRequest(request);
    QPointer<QTcpSocket> alive(socket);
    const QHttpServerRequest* waiting = &request;
    const auto done = [this, attempt, login, later, alive, connection, waiting](bool right) {
        const WebAuth::Verdict verdict = m_auth.settle(attempt, right, WebAuth::Clock::now());
        if (!later || !alive || !connection) return;
        Reply reply;
        if (verdict != WebAuth::Verdict::Allowed) {
            reply = verdictReply(verdict, login);
        } else if (login) {
            reply = tokenReply();
        } else {
            // Again, now with the credentials remembered.
            reply = route(*waiting, alive, connection->owner);
            if (reply.status == kLater) return;
        }
        if (alive->state() == QAbstractSocket::ConnectedState) send(*waiting, alive, reply);
        connection->release();
    };
    if (!m_checks.check(attempt.hash, attempt.password, done)) {
        m_auth.abandon(attempt);
        return jsonReply(WebApi::error(503, "too many passwords being checked; try again"));
    }
    if (!later) {
        Reply reply = jsonReply(WebApi::error(503, "the password is being checked; try again"));
        reply.headers.emplace_back("Retry-After", "1");
        return reply;
    }
    connection->hold();
    return Reply{kLater, {}, {}, {}};
}

WebServer::Reply WebServer::tokenReply() {
    const QByteArray token = m_auth.newToken(WebAuth::Clock::now());
    Reply reply = jsonReply({200, nlohmann::json{{"token", token.toStdString()}}.dump()});
    reply.headers.emplace_back("Set-Cookie", QByteArray(WebAuth::kCookie) + '=' + token +
                                                 "; HttpOnly; SameSite=Strict; Path=/");
    return reply;
}

WebServer::Reply WebServer::verdictReply(WebAuth::Verdict verdict, bool login) {
    switch (verdict) {
        case WebAuth::Verdict::Allowed:
            return Reply{};
        case WebAuth::Verdict::Blocked:
            return jsonReply(WebApi::error(403, "too many wrong passwords; try again in 30 s"));
        case WebAuth::Verdict::Full:
            return jsonReply(WebApi::error(429, "too many wrong passwords; try again later"));
        default:
            break;
    }
    if (login) return jsonReply(WebApi::error(401, "wrong password"));
    Reply reply = jsonReply(WebApi::error(401, "log in first"));
    reply.headers.emplace_back("WWW-Authenticate", "Bearer realm=\"matrix-control\"");
    return reply;
}

}  // namespace mc::web
