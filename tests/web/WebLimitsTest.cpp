// What one connection may cost the server: the unsent answers and frames it
// lets wait, the time its requests may take, and the connections over the
// limits, which are answered once and closed; the Upgrade header, which
// only the events socket heeds, and "Connection: close", which is.

#include <QElapsedTimer>
#include <QWebSocket>

#include "web/WebTestUtil.h"

namespace mc::web {
namespace {

// Short times, so that the clocks can be seen to run out.
ConnectionLimits quickLimits() {
    ConnectionLimits limits;
    limits.headerTime = limits.bodyTime = std::chrono::milliseconds(400);
    limits.idleTime = std::chrono::milliseconds(800);
    limits.overTime = std::chrono::milliseconds(400);
    return limits;
}

class WebLimitsTest : public WebServerTest {
public:
    WebLimitsTest() : WebServerTest(quickLimits()) {}
};

TEST_F(WebLimitsTest, APeerThatDoesNotReadHoldsAtMostTheUnsentLimitThenIsClosed) {
    RawClient client(server.listenPort(), 4096);
    ASSERT_TRUE(waitUntil([&] { return server.connectionCount() == 1; }));
    QByteArray pipelined;
    for (int k = 0; k < 1000; ++k)  // about 20 MB of answers
        pipelined += get("/panel.js");
    client.send(pipelined);
    qint64 most = 0;
    waitUntil(
        [&] {
            most = std::max(most, unsent(server));
            return server.connectionCount() == 0;
        },
        3000);
    EXPECT_LE(most, ConnectionLimits{}.maxUnsent + 64 * 1024);
    EXPECT_EQ(server.connectionCount(), 0) << "closed once over the limit for overTime";
}

TEST_F(WebLimitsTest, PingsWhosePongsAreNeverReadCloseThePage) {
    RawClient client(server.listenPort(), 4096);
    client.send(get("/api/v1/events",
                    "Upgrade: websocket\r\nConnection: Upgrade\r\n"
                    "Sec-WebSocket-Version: 13\r\n"
                    "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\n"));
    ASSERT_TRUE(waitUntil([&] { return server.pageCount() == 1; }));
    // Masked pings of 125 bytes: 8 MB of them, more than the kernel's
    // buffers take.
    QByteArray ping("\x89\xfd\0\0\0\0", 6);
    ping += QByteArray(125, 'p');
    for (int k = 0; k < 64; ++k)
        client.send(ping.repeated(1000));
    EXPECT_TRUE(waitUntil([&] { return server.pageCount() == 0; }));
}

TEST_F(WebLimitsTest, RequestsMustArriveInTimeAndIdleConnectionsAreClosed) {
    RawClient dribbling(server.listenPort());
    dribbling.send("GET /panel.js HTTP/1.1\r\nX-Pad: ");
    QElapsedTimer clock;
    clock.start();
    // A byte now and then does not keep it open.
    int sent = 0;
    EXPECT_TRUE(waitUntil([&] {
        if (++sent % 20 == 0) dribbling.send("a");
        return dribbling.closed() || dribbling.read().size() > 0;
    }));
    EXPECT_TRUE(dribbling.closed());
    EXPECT_TRUE(dribbling.received.isEmpty()) << clock.elapsed();

    RawClient slowBody(server.listenPort());
    slowBody.send("POST /api/v1/route HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Length: 40\r\n\r\n{");
    EXPECT_TRUE(slowBody.waitClosed());
    EXPECT_TRUE(slowBody.received.isEmpty());
    EXPECT_TRUE(frames().empty());

    RawClient idle(server.listenPort());
    idle.send(get("/favicon.ico"));
    EXPECT_TRUE(idle.answers(1).startsWith("HTTP/1.1 204"));
    EXPECT_TRUE(idle.waitClosed());
}

TEST_F(WebLimitsTest, AConnectionOverTheLimitIsAnsweredOnceAndClosedNeverUpgraded) {
    std::vector<std::unique_ptr<RawClient>> clients;
    for (int k = 0; k < ConnectionLimits{}.perAddress; ++k)
        clients.push_back(std::make_unique<RawClient>(server.listenPort()));
    ASSERT_TRUE(waitUntil([&] { return server.connectionCount() == 16; }));
    RawClient silent(server.listenPort());
    EXPECT_TRUE(silent.waitClosed()) << "closed without waiting for a request";
    EXPECT_TRUE(silent.received.startsWith("HTTP/1.1 429")) << silent.received.constData();
    EXPECT_EQ(silent.received.count("HTTP/1.1 "), 1);

    RawClient upgrade(server.listenPort());
    upgrade.send(get("/api/v1/events",
                     "Upgrade: websocket\r\nConnection: Upgrade\r\n"
                     "Sec-WebSocket-Version: 13\r\n"
                     "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\n"));
    EXPECT_TRUE(upgrade.waitClosed());
    EXPECT_FALSE(upgrade.received.contains("101")) << upgrade.received.constData();
    EXPECT_EQ(server.pageCount(), 0);

    RawClient other(server.listenPort(), 0, "127.0.0.2");
    other.send(get("/favicon.ico"));
    EXPECT_TRUE(other.answers(1).startsWith("HTTP/1.1 204")) << "another address is served";
    // The places of closed connections are free again once the server saw
    // them close.
    clients.clear();
    EXPECT_TRUE(waitUntil([&] { return server.connectionCount() == 1; }));
    EXPECT_EQ(call("/api/v1/state").status, 200);
}

TEST_F(WebServerTest, UpgradeIsHeededOnTheEventsPathOnlyAndOnlyWhenValid) {
    const QByteArray upgrade = "Upgrade: websocket\r\nConnection: Upgrade\r\n";
    const QByteArray version = "Sec-WebSocket-Version: 13\r\n";
    const QByteArray key = "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\n";
    for (const QByteArray& headers :
         {upgrade + version + key, QByteArray("Upgrade: websocket\r\n")}) {
        RawClient state(server.listenPort());
        state.send(get("/api/v1/state", headers));
        const QByteArray answers = state.answers(2, 1000);
        EXPECT_EQ(answers.count("HTTP/1.1 "), 1) << answers.constData();
        EXPECT_TRUE(answers.startsWith("HTTP/1.1 200"));
    }

    for (const QByteArray& headers :
         {QByteArray("Upgrade: websocket\r\n") + version + key, upgrade + key, upgrade + version,
          upgrade + key + "Sec-WebSocket-Version: 8\r\n"}) {
        RawClient events(server.listenPort());
        events.send(get("/api/v1/events", headers));
        EXPECT_TRUE(events.answers(1).startsWith("HTTP/1.1 400")) << headers.constData();
    }
    EXPECT_EQ(server.pageCount(), 0);
}

TEST_F(WebServerTest, AClientThatAsksToCloseIsClosedAfterItsAnswer) {
    RawClient client(server.listenPort());
    client.send(get("/favicon.ico", "Connection: keep-alive, Close\r\n"));
    EXPECT_TRUE(client.waitClosed(10000)) << "long before the 60 s idle limit";
    EXPECT_TRUE(client.received.startsWith("HTTP/1.1 204")) << client.received.constData();
    EXPECT_TRUE(client.received.contains("\r\nConnection: close\r\n"));
    EXPECT_TRUE(waitUntil([&] { return server.connectionCount() == 0; }));
}

}  // namespace
}  // namespace mc::web
