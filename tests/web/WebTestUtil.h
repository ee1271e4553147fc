#pragma once

// The fixture of the web server tests: a real MatrixSession whose sender is
// not started (the frames it queues stay in its queue) and a web server on
// loopback, with a client for whole requests (QNetworkAccessManager) and one
// for raw bytes, for what a browser would never send.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTimer>

#include <nlohmann/json.hpp>

#include "control/SessionTestUtil.h"
#include "web/WebServer.h"

namespace mc::web {

using nlohmann::json;

// Runs the event loop until `done()` holds (true) or `ms` pass (false).
template <class Done>
bool waitUntil(Done done, int ms = 5000) {
    const QDeadlineTimer deadline(ms);
    while (!done()) {
        if (deadline.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

// A TCP client that sends what it is given and keeps what arrives; with
// `window` set it reads no more than that many bytes until read() is called
// (a peer that does not read: the kernel's buffers fill, then the server's).
class RawClient {
public:
    explicit RawClient(quint16 port, qint64 window = 0, const char* from = "127.0.0.1") {
        if (window > 0) {
            socket.setReadBufferSize(window);
            socket.setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, window);
        }
        socket.bind(QHostAddress(QString::fromLatin1(from)), 0);
        socket.connectToHost(QHostAddress(QStringLiteral("127.0.0.1")), port);
        EXPECT_TRUE(socket.waitForConnected(5000));
    }
    void send(const QByteArray& bytes) { socket.write(bytes); }
    // Everything that arrived so far.
    QByteArray read() { return received += socket.readAll(); }
    // Waits until what arrived contains `count` answers (status lines) or
    // the server closed; returns what arrived.
    QByteArray answers(int count, int ms = 5000) {
        waitUntil([&] { return read().count("HTTP/1.1 ") >= count || closed(); }, ms);
        return read();
    }
    bool closed() const { return socket.state() == QAbstractSocket::UnconnectedState; }
    bool waitClosed(int ms = 5000) {
        return waitUntil(
            [&] {
                read();
                return closed();
            },
            ms);
    }

    QTcpSocket socket;
    QByteArray received;
};

inline QByteArray get(const char* path, const QByteArray& extra = {}) {
    return QByteArray("GET ") + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\n" + extra + "\r\n";
}

struct Answer {
    int status = 0;
    json body;
    QByteArray cookie;
};

class WebServerTest : public ::testing::Test, public test::ProgramFolder {
public:
    explicit WebServerTest(ConnectionLimits limits = {}) : server(session, limits) {}

protected:
    void SetUp() override {
        useModel(8, 4, /*pattern=*/true);
        session.start();
        frames();
        ASSERT_TRUE(server.listen(QHostAddress(QStringLiteral("127.0.0.1")), 0));
    }
    QString url(const char* path) const {
        return QStringLiteral("http://127.0.0.1:%1%2")
            .arg(server.listenPort())
            .arg(QLatin1String(path));
    }
    // One request; its answer within 5 s (status 0 when none came).
    Answer call(const char* path, const char* body = nullptr,
                std::vector<std::pair<QByteArray, QByteArray>> headers = {}) {
        QNetworkRequest request{QUrl(url(path))};
        request.setHeader(QNetworkRequest::ContentTypeHeader, "application/json");
        for (const auto& [name, value] : headers)
            request.setRawHeader(name, value);
        QNetworkReply* reply =
            body ? network.post(request, QByteArray(body)) : network.get(request);
        QEventLoop loop;
        QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        QTimer::singleShot(5000, &loop, &QEventLoop::quit);
        loop.exec();
        Answer answer{reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(),
                      json::parse(reply->readAll().toStdString(), nullptr, false),
                      reply->rawHeader("Set-Cookie")};
        reply->deleteLater();
        return answer;
    }
    std::vector<test::Bytes> frames() { return test::takeFrames(*session.commandQueue()); }
    // The next message of a socket's spy within 5 s.
    static json next(QSignalSpy& messages) {
        if (messages.isEmpty() && !messages.wait(5000)) return nullptr;
        return json::parse(messages.takeFirst().at(0).toString().toStdString());
    }

    QueuedPoster poster;
    MatrixSession session{paths, poster, SessionOptions::queueOnly()};
    WebServer server;
    QNetworkAccessManager network;
};

// Bytes waiting in the server's connections, unsent.
inline qint64 unsent(const WebServer& server) {
    qint64 sum = 0;
    for (const QTcpSocket* socket : server.findChildren<QTcpSocket*>())
        sum += socket->bytesToWrite();
    return sum;
}

}  // namespace mc::web
