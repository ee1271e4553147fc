// web_bench: the web server on a real MatrixSession (48 inputs, 32 outputs,
// its sender not started so the frames stay queued), over loopback, with the
// clients on the same event loop as the server (so every figure includes the
// clients' own work):
//   (a) an HTTP route request until its answer (the frame is queued before
//       the answer is written)
//   (b) an HTTP route request until its change event has reached every one
//       of 32 (then 100) open events sockets
//   (c) the panel's size (page, style and script)
//
// Usage: web_bench [rounds, default 200]

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTimer>
#include <QWebSocket>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <vector>

#include "config/AppPaths.h"
#include "config/IniFile.h"
#include "control/MatrixSession.h"
#include "serial/UiPoster.h"
#include "web/WebServer.h"

namespace {

void report(const char* what, std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    std::printf("%-52s median %6.2f ms  p95 %6.2f ms  max %6.2f ms  (%zu rounds)\n", what,
                ms[ms.size() / 2], ms[ms.size() * 95 / 100], ms.back(), ms.size());
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(10, std::atoi(argv[1])) : 200;
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("web_bench." + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const mc::AppPaths paths(dir.string());
    paths.ensureConfigDir();
    mc::iniWriteString(paths.mainConfigFile(), "Serial Commucation Set", "PortNum", "/dev/null");
    mc::iniWriteString(paths.mainConfigFile(), "Matrix Manage Message", "MatrixNowUse", "Bench");
    mc::iniWriteInteger(paths.modelConfigFile(), "Bench", "MatrixInputNum", 48);
    mc::iniWriteInteger(paths.modelConfigFile(), "Bench", "MatrixOutputNum", 32);

    mc::QueuedPoster poster;
    mc::MatrixSession session(paths, poster, mc::SessionOptions::queueOnly());
    session.start();
    mc::web::ConnectionLimits limits;  // every client comes from 127.0.0.1
    limits.perAddress = limits.total = 256;
    mc::web::WebServer server(session, limits);
    if (!server.listen(QHostAddress(QStringLiteral("127.0.0.1")), 0)) return 1;
    const QString base = QStringLiteral("127.0.0.1:%1").arg(server.listenPort());
    QNetworkAccessManager network;
    QEventLoop loop;
    int input = 0;

    const auto route = [&]() -> QNetworkReply* {
        QNetworkRequest request(QUrl(QStringLiteral("http://%1/api/v1/route").arg(base)));
        request.setHeader(QNetworkRequest::ContentTypeHeader, "application/json");
        input = (input + 1) % 48;
        return network.post(request,
                            QStringLiteral("{\"output\":3,\"input\":%1}").arg(input).toUtf8());
    };

    std::vector<double> answered;
    for (int k = 0; k < rounds; ++k) {
        QElapsedTimer timer;
        timer.start();
        QNetworkReply* reply = route();
        QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        loop.exec();
        answered.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
        reply->deleteLater();
        while (session.commandQueue()->take()) {
        }
    }
    report("(a) HTTP route to its answer (frame queued)", answered);

    for (const int count : {32, 100}) {
        std::vector<std::unique_ptr<QWebSocket>> sockets;
        int pending = 0;
        for (int k = 0; k < count; ++k) {
            sockets.push_back(std::make_unique<QWebSocket>());
            QObject::connect(sockets.back().get(), &QWebSocket::textMessageReceived, &loop,
                             [&](const QString&) {
                                 if (--pending == 0) loop.quit();
                             });
        }
        pending = count;  // the whole state, once each
        for (auto& socket : sockets)
            socket->open(QUrl(QStringLiteral("ws://%1/api/v1/events").arg(base)));
        QTimer::singleShot(10000, &loop, &QEventLoop::quit);
        loop.exec();
        if (pending != 0) return 2;
        std::vector<double> pushed;
        for (int k = 0; k < rounds; ++k) {
            pending = count;
            QElapsedTimer timer;
            timer.start();
            QNetworkReply* reply = route();
            loop.exec();
            pushed.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
            reply->deleteLater();
            while (session.commandQueue()->take()) {
            }
        }
        const std::string what =
            "(b) HTTP route to its event on all " + std::to_string(count) + " sockets";
        report(what.c_str(), pushed);
    }

    qint64 size = 0;
    for (const char* name : {":/web/index.html", ":/web/panel.css", ":/web/panel.js"})
        size += QFile(QString::fromLatin1(name)).size();
    std::printf("(c) panel: %lld bytes (page, style and script)\n", static_cast<long long>(size));
    session.close();
    std::filesystem::remove_all(dir);
    return 0;
}
