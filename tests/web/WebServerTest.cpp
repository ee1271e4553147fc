// The web server on a real MatrixSession whose sender is not started (the
// frames it queues stay in its queue), over loopback: the API's answers, a
// route reaching the queue in the caller's name, the events socket, and the
// password rules.

#include <fstream>

#include <QNetworkCookieJar>
#include <QSysInfo>
#include <QTcpServer>
#include <QWebSocket>

#include "service/ServiceHost.h"
#include "store/Journal.h"
#include "web/PasswordHash.h"
#include "web/WebService.h"
#include "web/WebTestUtil.h"

namespace mc::web {
namespace {

TEST_F(WebServerTest, EveryEndpointAnswersWithItsStatusAndRoutesGoOutInTheCallersName) {
    const Answer state = call("/api/v1/state");
    ASSERT_EQ(state.status, 200);
    EXPECT_EQ(state.body["inputs"], 8);
    EXPECT_EQ(state.body["routes"], json::array({-1, -1, -1, -1}));

    EXPECT_EQ(call("/api/v1/route", R"({"output":1,"input":2})").status, 200);
    EXPECT_EQ(frames(), std::vector<test::Bytes>{test::switchFrame(0x52, 2, 1)});
    EXPECT_EQ(Journal::readLatest(paths.configDir(), 1).front().origin, "127.0.0.1");
    EXPECT_EQ(call("/api/v1/route", R"({"output":1,"input":-1})").status, 200);
    EXPECT_EQ(frames(), std::vector<test::Bytes>{test::closeFrame(0x52, 1)});

    EXPECT_EQ(call("/api/v1/route", "{nope").status, 400);
    EXPECT_EQ(call("/api/v1/route", R"({"output":"1","input":2})").status, 400);
    EXPECT_EQ(call("/api/v1/route", R"({"output":4,"input":2})").status, 404);
    EXPECT_EQ(call("/api/v1/route", R"({"output":0,"input":8})").status, 404);
    EXPECT_EQ(call("/api/v1/label", R"({"kind":"output","port":9,"text":"x"})").status, 404);
    EXPECT_EQ(call("/api/v1/modes/apply", R"({"name":"none"})").status, 404);
    // A number beyond the ports is no port, never another one by wrapping;
    // beyond 64 bits it is no number at all.
    EXPECT_EQ(call("/api/v1/route", R"({"output":4294967296,"input":2})").body["code"],
              "out_of_range");
    EXPECT_EQ(call("/api/v1/route", R"({"output":18446744073709551615,"input":2})").status, 400);
    EXPECT_EQ(
        call("/api/v1/route", R"({"output":1,"input":2,"x":[{"y":-99999999999999999999}]})").status,
        400)
        << "anywhere in the body";
    EXPECT_EQ(call("/api/v1/label", R"({"kind":"output","port":0,"text":"A\nB"})").body["code"],
              "bad_label");
    EXPECT_EQ(call("/api/v1/nothing").status, 404);
    EXPECT_EQ(call("/secret.txt").status, 404);
    EXPECT_EQ(call("/api/v1/route").status, 405);
    EXPECT_EQ(call("/api/v1/layer", R"({"layer":2})").status, 409) << "a pattern model";
    const std::string big = R"({"pad":")" + std::string(70 * 1024, 'x') + "\"}";
    EXPECT_EQ(call("/api/v1/route", big.c_str()).status, 413);
    EXPECT_EQ(
        call("/api/v1/route", R"({"output":1,"input":2})", {{"Origin", "http://evil.test"}}).status,
        403);
    // Without a password, a site whose name resolves here gets nothing.
    const QByteArray rebound = "rebound.test:" + QByteArray::number(server.listenPort());
    EXPECT_EQ(call("/api/v1/state", nullptr, {{"Host", rebound}}).status, 403);
    EXPECT_EQ(call("/api/v1/route", R"({"output":1,"input":2})",
                   {{"Host", rebound}, {"Origin", "http://" + rebound}})
                  .status,
              403);
    EXPECT_TRUE(frames().empty()) << "no refused request queued a frame";
    EXPECT_EQ(call("/api/v1/state", nullptr,
                   {{"Host", "localhost:" + QByteArray::number(server.listenPort())}})
                  .status,
              200);

    // Names and locks, shared with the window.
    EXPECT_EQ(call("/api/v1/label", R"({"kind":"input","port":0,"text":"Cam 1"})").status, 200);
    EXPECT_EQ(session.state().inputText(0), "Cam 1");
    ASSERT_TRUE(session.lockOutput(MatrixSession::kWindowOwner, 2, LockRequest::Lock));
    const Answer locked = call("/api/v1/route", R"({"output":2,"input":0})");
    EXPECT_EQ(locked.status, 409);
    EXPECT_EQ(locked.body["code"], "locked");
    EXPECT_EQ(locked.body["owner"], MatrixSession::kWindowOwner);
    EXPECT_EQ(call("/api/v1/lock", R"({"output":2,"op":"unlock"})").status, 409);
    EXPECT_EQ(call("/api/v1/lock", R"({"output":2,"op":"force"})").status, 200);
    EXPECT_EQ(call("/api/v1/lock", R"({"output":3,"op":"lock"})").body["lock"], "own");
    EXPECT_EQ(session.lockOwner(3), "127.0.0.1");
    EXPECT_FALSE(session.clickBox(3, 0, true)) << "the window is refused";
    EXPECT_EQ(call("/api/v1/state").body["locks"], json::array({"none", "none", "none", "own"}));

    // Take mode: a route is staged, take sends it as the caller's step.
    EXPECT_EQ(call("/api/v1/stage", R"({"output":0,"input":1})").status, 409);
    EXPECT_EQ(call("/api/v1/takemode", R"({"on":true})").status, 200);
    EXPECT_EQ(call("/api/v1/stage", R"({"output":0,"input":1})").status, 200);
    EXPECT_EQ(call("/api/v1/state").body["pending"], json::parse(R"([{"output":0,"input":1}])"));
    EXPECT_TRUE(frames().empty());
    EXPECT_EQ(call("/api/v1/take", "").body["taken"], true);
    EXPECT_EQ(frames(), std::vector<test::Bytes>{test::switchFrame(0x52, 1, 0)});
    const JournalEntry take = Journal::readLatest(paths.configDir(), 1).front();
    EXPECT_EQ(take.origin, "127.0.0.1");
    EXPECT_EQ(take.action, "take");
}

TEST_F(WebServerTest, EventsSocketGetsTheStateThenEveryChangeWithLocksAsItSeesThem) {
    QWebSocket socket;
    QSignalSpy messages(&socket, &QWebSocket::textMessageReceived);
    socket.open(QUrl(QStringLiteral("ws://127.0.0.1:%1/api/v1/events").arg(server.listenPort())));
    const json state = next(messages);
    ASSERT_EQ(state["type"], "state");
    EXPECT_EQ(state["outputs"], 4);
    EXPECT_EQ(server.pageCount(), 1);

    ASSERT_TRUE(session.routeOutput("127.0.0.9", 2, 5));
    json change = next(messages);
    EXPECT_EQ(change["origin"], "127.0.0.9");
    EXPECT_EQ(change["routes"], json::parse(R"([{"output":2,"input":5}])"));
    ASSERT_TRUE(session.lockOutput(MatrixSession::kWindowOwner, 1, LockRequest::Lock));
    EXPECT_EQ(next(messages)["locks"],
              json({{{"output", 1}, {"lock", "other"}, {"owner", MatrixSession::kWindowOwner}}}));
    EXPECT_EQ(call("/api/v1/state").body["lockOwners"],
              json({"", MatrixSession::kWindowOwner, "", ""}));
    EXPECT_EQ(call("/api/v1/lock", R"({"output":0,"op":"lock"})").status, 200);
    EXPECT_EQ(next(messages)["locks"], json::parse(R"([{"output":0,"lock":"own","owner":""}])"));
    session.rebuild();  // its port report comes first, then the whole state
    json message;
    for (int k = 0; k < 5 && message["type"] != "state"; ++k)
        message = next(messages);
    EXPECT_EQ(message["type"], "state");

    socket.close();
    QSignalSpy pages(&server, &WebServer::pageCountChanged);
    EXPECT_TRUE(server.pageCount() == 0 || pages.wait(5000));
    EXPECT_EQ(server.pageCount(), 0);
}

TEST_F(WebServerTest, PresetsAreSavedAndDeletedAsJournalledStepsOfTheCallerWithoutAFrame) {
    QWebSocket socket;
    QSignalSpy messages(&socket, &QWebSocket::textMessageReceived);
    socket.open(QUrl(QStringLiteral("ws://127.0.0.1:%1/api/v1/events").arg(server.listenPort())));
    ASSERT_EQ(next(messages)["type"], "state");
    ASSERT_TRUE(session.routeOutput("127.0.0.9", 1, 2));
    next(messages);
    frames();

    EXPECT_EQ(call("/api/v1/modes/save", R"({"name":"Show"})").status, 200);
    json change = next(messages);
    EXPECT_EQ(change["modes"], json({"Show"}));
    EXPECT_EQ(change["currentMode"], "Show");
    ASSERT_TRUE(session.routeOutput("127.0.0.9", 1, 5));
    frames();
    EXPECT_EQ(call("/api/v1/modes/save", R"({"name":"Two"})").status, 200);
    EXPECT_EQ(call("/api/v1/modes/preview", R"({"name":"Show"})").body,
              json({{"changes", 1}, {"locked", 0}}));
    EXPECT_EQ(call("/api/v1/modes/preview", R"({"name":"Two"})").body["changes"], 0);
    const Answer exists = call("/api/v1/modes/save", R"({"name":"Show"})");
    EXPECT_EQ(exists.status, 409);
    EXPECT_EQ(exists.body["code"], "exists");
    EXPECT_EQ(call("/api/v1/modes/save", R"({"name":"Show","overwrite":"yes"})").body["code"],
              "bad_request");
    EXPECT_EQ(call("/api/v1/modes/save", R"({"name":"A B"})").status, 400);
    EXPECT_TRUE(frames().empty()) << "a save sends nothing";
    const JournalEntry saved = Journal::readLatest(paths.configDir(), 1).front();
    EXPECT_EQ(saved.origin, "127.0.0.1");
    EXPECT_EQ(saved.action, journal::kModeSave);
    EXPECT_EQ(saved.mode, "Two");

    // "Show" still holds the routes it was saved with; overwritten, today's.
    ASSERT_TRUE(session.applyMode("Show", "127.0.0.9"));
    EXPECT_EQ(call("/api/v1/state").body["routes"][1], 2);
    ASSERT_TRUE(session.routeOutput("127.0.0.9", 1, 7));
    frames();
    EXPECT_EQ(call("/api/v1/modes/save", R"({"name":"Show","overwrite":true})").status, 200);
    ASSERT_TRUE(session.applyMode("Two", "127.0.0.9"));
    ASSERT_TRUE(session.applyMode("Show", "127.0.0.9"));
    EXPECT_EQ(call("/api/v1/state").body["routes"][1], 7);

    messages.clear();
    frames();
    EXPECT_EQ(call("/api/v1/modes/delete", R"({"name":"Show"})").status, 200);
    EXPECT_EQ(call("/api/v1/modes").body["modes"], json({"Two"}));
    EXPECT_EQ(call("/api/v1/modes/delete", R"({"name":"Show"})").body["code"], "not_found");
    EXPECT_TRUE(frames().empty()) << "a delete sends nothing";
    const JournalEntry deleted = Journal::readLatest(paths.configDir(), 1).front();
    EXPECT_EQ(deleted.action, journal::kModeDelete);
    EXPECT_EQ(deleted.mode, "Show");
    for (change = next(messages); !change.is_null() && !change.contains("modes");)
        change = next(messages);
    EXPECT_EQ(change["modes"], json({"Two"}));

    std::ofstream(paths.modeFile()) << "<MatrixMode><Mode";  // cannot be read nor written
    EXPECT_EQ(call("/api/v1/modes/save", R"({"name":"New"})").body["code"], "file_error");
    EXPECT_EQ(call("/api/v1/modes/delete", R"({"name":"Two"})").body["code"], "file_error");
}

TEST_F(WebServerTest, WithAPasswordEveryRequestNeedsItAndWrongOnesAreBlocked) {
    server.setPasswordHash(makePasswordHash(QStringLiteral("s3cret"), 1000));
    const Answer anonymous = call("/api/v1/state");
    EXPECT_EQ(anonymous.status, 401);
    EXPECT_EQ(anonymous.body["code"], "unauthorized");
    EXPECT_EQ(call("/").status, 200) << "the page itself, with its login form";
    const QByteArray basic = "Basic " + QByteArray("operator:s3cret").toBase64();
    EXPECT_EQ(call("/api/v1/state", nullptr, {{"Authorization", basic}}).status, 200);
    EXPECT_EQ(call("/api/v1/state", nullptr, {{"Authorization", basic}}).status, 200);

    const Answer login = call("/api/v1/login", R"({"password":"s3cret"})");
    ASSERT_EQ(login.status, 200);
    EXPECT_TRUE(login.cookie.contains("HttpOnly"));
    EXPECT_TRUE(login.cookie.contains("SameSite=Strict"));
    network.setCookieJar(new QNetworkCookieJar);  // the token alone from here
    const QByteArray bearer = "Bearer " + QByteArray::fromStdString(login.body["token"]);
    EXPECT_EQ(call("/api/v1/state", nullptr, {{"Authorization", bearer}}).status, 200);
    EXPECT_EQ(call("/api/v1/state", nullptr, {{"Authorization", "Bearer forged"}}).status, 401);

    // The events socket: refused without credentials, opened with them.
    QWebSocket refused;
    QSignalSpy closed(&refused, &QWebSocket::disconnected);
    refused.open(QUrl(QStringLiteral("ws://127.0.0.1:%1/api/v1/events").arg(server.listenPort())));
    EXPECT_TRUE(closed.wait(5000));
    EXPECT_EQ(server.pageCount(), 0);
    QWebSocket allowed;
    QSignalSpy messages(&allowed, &QWebSocket::textMessageReceived);
    QNetworkRequest request(
        QUrl(QStringLiteral("ws://127.0.0.1:%1/api/v1/events").arg(server.listenPort())));
    request.setRawHeader("Authorization", bearer);
    allowed.open(request);
    EXPECT_EQ(next(messages)["type"], "state");

    for (int k = 0; k + 1 < WebAuth::kMaxFailures; ++k)
        EXPECT_EQ(call("/api/v1/login", R"({"password":"guess"})").status, 401);
    EXPECT_EQ(call("/api/v1/login", R"({"password":"s3cret"})").status, 200) << "counts again";
    for (int k = 0; k < WebAuth::kMaxFailures; ++k)
        EXPECT_EQ(call("/api/v1/login", R"({"password":"guess"})").status, 401);
    EXPECT_EQ(call("/api/v1/login", R"({"password":"s3cret"})").status, 403) << "blocked";
}

TEST_F(WebServerTest, LogoutRevokesEveryTokenItPresentsAndClosesTheirPagesOnly) {
    server.setPasswordHash(makePasswordHash(QStringLiteral("s3cret"), 1000));
    network.setCookieJar(new QNetworkCookieJar);
    std::vector<QByteArray> tokens;
    for (int k = 0; k < 3; ++k)
        tokens.push_back(QByteArray::fromStdString(
            call("/api/v1/login", R"({"password":"s3cret"})").body["token"]));
    network.setCookieJar(new QNetworkCookieJar);  // each token only as given below
    const QByteArray cookie = QByteArray(WebAuth::kCookie) + '=' + tokens[0];
    std::vector<std::unique_ptr<QWebSocket>> pages;
    std::vector<std::unique_ptr<QSignalSpy>> closed;
    for (int k = 0; k < 3; ++k) {
        QNetworkRequest request(
            QUrl(QStringLiteral("ws://127.0.0.1:%1/api/v1/events").arg(server.listenPort())));
        if (k == 0) request.setRawHeader("Cookie", cookie);
        if (k > 0) request.setRawHeader("Authorization", "Bearer " + tokens[k]);
        pages.push_back(std::make_unique<QWebSocket>());
        closed.push_back(
            std::make_unique<QSignalSpy>(pages.back().get(), &QWebSocket::disconnected));
        QSignalSpy opened(pages.back().get(), &QWebSocket::connected);
        pages.back()->open(request);
        ASSERT_TRUE(opened.wait(5000));
    }
    ASSERT_TRUE(waitUntil([&] { return server.pageCount() == 3; }));

    EXPECT_EQ(
        call("/api/v1/logout", "", {{"Cookie", cookie}, {"Authorization", "Bearer " + tokens[1]}})
            .status,
        200);
    EXPECT_TRUE(waitUntil([&] { return closed[0]->count() == 1 && closed[1]->count() == 1; }));
    EXPECT_EQ(closed[2]->count(), 0) << "another token's page stays";
    EXPECT_EQ(server.pageCount(), 1);
    for (int k = 0; k < 3; ++k)
        EXPECT_EQ(call("/api/v1/state", nullptr, {{"Authorization", "Bearer " + tokens[k]}}).status,
                  k < 2 ? 401 : 200)
            << k;

    // A new password revokes every token and closes every page.
    server.setPasswordHash(makePasswordHash(QStringLiteral("n3w"), 1000));
    EXPECT_TRUE(waitUntil([&] { return closed[2]->count() == 1; }));
    EXPECT_EQ(server.pageCount(), 0);
    EXPECT_EQ(call("/api/v1/state", nullptr, {{"Authorization", "Bearer " + tokens[2]}}).status,
              401);
}

TEST_F(WebServerTest, OnlyThisMachinesNamesAreAnsweredBeforeAnyCredentialIsLookedAt) {
    const QByteArray port = ':' + QByteArray::number(server.listenPort());
    const QByteArray machine = QSysInfo::machineHostName().toLower().toUtf8();
    server.setAllowedHosts({QStringLiteral("panel.studio.test")});
    const QByteArray basic = "Basic " + QByteArray("operator:s3cret").toBase64();
    for (const bool password : {false, true}) {
        if (password) server.setPasswordHash(makePasswordHash(QStringLiteral("s3cret"), 1000));
        for (const QByteArray& host :
             {QByteArray("127.0.0.1"), QByteArray("[::1]"), QByteArray("localhost"), machine,
              machine + ".local", QByteArray("Panel.Studio.Test")})
            EXPECT_EQ(
                call("/api/v1/state", nullptr, {{"Host", host + port}, {"Authorization", basic}})
                    .status,
                200)
                << host.constData() << " password " << password;
        EXPECT_EQ(call("/api/v1/state", nullptr,
                       {{"Host", "rebound.test" + port}, {"Authorization", basic}})
                      .status,
                  403)
            << "password " << password;
    }
    // A page of a rebound name cannot spend the operator's tries.
    for (int k = 0; k <= WebAuth::kMaxFailures; ++k)
        EXPECT_EQ(call("/api/v1/login", R"({"password":"guess"})",
                       {{"Host", "rebound.test" + port}, {"Origin", "http://rebound.test" + port}})
                      .status,
                  403);
    EXPECT_EQ(call("/api/v1/login", R"({"password":"s3cret"})").status, 200);
    RawClient events(server.listenPort());
    events.send("GET /api/v1/events HTTP/1.1\r\nHost: rebound.test" + port +
                "\r\nUpgrade: websocket\r\nConnection: Upgrade\r\nSec-WebSocket-Version: 13\r\n"
                "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\nAuthorization: " +
                basic + "\r\n\r\n");
    EXPECT_TRUE(events.answers(1).startsWith("HTTP/1.1 403"));
    // The Origin must be this server's own, exactly.
    EXPECT_EQ(call("/api/v1/route", R"({"output":1,"input":2})",
                   {{"Host", "127.0.0.1"},
                    {"Origin", "http://127.0.0.1.evil.test"},
                    {"Authorization", basic}})
                  .status,
              403);
    EXPECT_TRUE(frames().empty());
}

TEST(WebSettingsRefusal, AnyAddressButLoopbackNeedsAPasswordAndTheHashMustBeOne) {
    const QString hash = makePasswordHash(QStringLiteral("pw"), 1000);
    EXPECT_TRUE(checkPassword(hash, "pw"));
    EXPECT_FALSE(checkPassword(hash, "pW"));
    EXPECT_FALSE(webSettingsRefusal({true, "127.0.0.1", 8990, "", ""}));
    EXPECT_FALSE(webSettingsRefusal({true, "::1", 8990, "", ""}));
    EXPECT_TRUE(webSettingsRefusal({true, "0.0.0.0", 8990, "", ""}));
    EXPECT_FALSE(webSettingsRefusal({true, "0.0.0.0", 8990, hash.toStdString(), ""}));
    EXPECT_TRUE(webSettingsRefusal({true, "127.0.0.1", 8990, "pbkdf2-sha256$x$y$z", ""}));
}

TEST(WebServiceStart, ANonLoopbackAddressWithoutPasswordIsRefusedSayingWhyOnce) {
    test::ProgramFolder folder;
    folder.setConfig("Web Control", "Enabled", "1");
    folder.setConfig("Web Control", "Address", "0.0.0.0");
    QueuedPoster poster;
    MatrixSession session{folder.paths, poster, SessionOptions::queueOnly()};
    session.start();
    service::ServiceHost host(session);
    host.add(std::make_unique<WebService>(session));
    const WebService& web = static_cast<WebService&>(*host.service("Web"));
    QSignalSpy failed(&host, &service::ServiceHost::noteChanged);
    QSignalSpy logged(&host, &service::ServiceHost::logMessage);
    host.start();
    session.rebuild();  // applied again, as every rebuild does
    EXPECT_FALSE(web.server().isListening());
    ASSERT_EQ(failed.count(), 1);
    EXPECT_TRUE(failed.front().back().toString().contains(QStringLiteral("需要密码")));
    ASSERT_EQ(logged.count(), 1);
    EXPECT_TRUE(logged.front().front().toString().contains(QStringLiteral("--set-web-password")));
}

TEST(WebServiceStart, AnInvalidPasswordHashAtARebuildClosesTheListenerSayingWhyOnce) {
    quint16 port = 0;
    {
        QTcpServer probe;  // a free port for the settings
        ASSERT_TRUE(probe.listen(QHostAddress(QStringLiteral("127.0.0.1")), 0));
        port = probe.serverPort();
    }
    test::ProgramFolder folder;
    folder.setConfig("Web Control", "Enabled", "1");
    folder.setConfig("Web Control", "Port", std::to_string(port));
    folder.setConfig("Web Control", "PasswordHash",
                     makePasswordHash(QStringLiteral("pw"), 1000).toStdString());
    QueuedPoster poster;
    MatrixSession session{folder.paths, poster, SessionOptions::queueOnly()};
    session.start();
    service::ServiceHost host(session);
    host.add(std::make_unique<WebService>(session));
    const WebService& web = static_cast<WebService&>(*host.service("Web"));
    QSignalSpy failed(&host, &service::ServiceHost::noteChanged);
    QSignalSpy logged(&host, &service::ServiceHost::logMessage);
    host.start();
    ASSERT_TRUE(web.server().isListening());
    EXPECT_EQ(web.url(), QStringLiteral("http://127.0.0.1:%1/").arg(port));
    const auto status = [&] {
        RawClient client(port);
        client.send(get("/api/v1/state"));
        return client.answers(1).left(12);
    };
    EXPECT_EQ(status(), "HTTP/1.1 401");

    // A hash the program cannot check, as a failed write may leave it.
    folder.setConfig("Web Control", "PasswordHash", "pbkdf2-sha256$x$y$z");
    session.rebuild();
    session.rebuild();
    EXPECT_FALSE(web.server().isListening());
    QTcpSocket refused;
    refused.connectToHost(QHostAddress(QStringLiteral("127.0.0.1")), port);
    EXPECT_FALSE(refused.waitForConnected(5000)) << "nothing is served";
    ASSERT_EQ(failed.count(), 1);
    EXPECT_TRUE(failed.front().back().toString().contains(QStringLiteral("PasswordHash")));
    EXPECT_EQ(
        std::count_if(logged.begin(), logged.end(),
                      [](const QList<QVariant>& line) {
                          return line.front().toString().contains(QStringLiteral("PasswordHash"));
                      }),
        1);

    folder.setConfig("Web Control", "PasswordHash",
                     makePasswordHash(QStringLiteral("pw"), 1000).toStdString());
    session.rebuild();
    EXPECT_TRUE(web.server().isListening()) << "served again once fixed";
    EXPECT_EQ(status(), "HTTP/1.1 401");
}

}  // namespace
}  // namespace mc::web
