// The server on a real session under load and abuse: many clients, a flood
// of requests, a client that never reads, binary junk and endless lines. The
// session's change events tell which routes reached it, and in which order.

#include "ServerTestUtil.h"
#include "control/SessionTestUtil.h"
#include "remote/VideohubServer.h"

#include <gtest/gtest.h>

#include <QTimer>

#include <sys/socket.h>

#include <algorithm>
#include <optional>
#include <random>

namespace mc::remote {
namespace {

class LoadTest : public test::SessionTest {
protected:
    void SetUp() override {
        useModel(16, 16, /*pattern=*/true);
        start();
        frames();
        server = std::make_unique<VideohubServer>(*session);
        ASSERT_TRUE(server->listen(QHostAddress(QStringLiteral("127.0.0.1")), 0));
    }
    // How many routes the session has changed so far.
    std::size_t routes() const { return events.outputs.size(); }

    std::unique_ptr<VideohubServer> server;
};

TEST_F(LoadTest, SixtyFourClientsAtOnceAllSeeAChange) {
    std::vector<std::unique_ptr<TestClient>> clients;  // 16 from each of four addresses
    for (const char* from : {"127.0.0.1", "127.0.0.2", "127.0.0.3", "127.0.0.4"}) {
        for (int i = 0; i < VideohubServer::kMaxClientsPerAddress; ++i)
            clients.push_back(std::make_unique<TestClient>(from, server->listenPort()));
    }
    for (auto& client : clients)
        ASSERT_EQ(client->take(8).size(), 8u);
    EXPECT_EQ(server->clientCount(), 64);
    ASSERT_TRUE(session->routeOutput(MatrixSession::kWindowOwner, 5, 9));
    for (auto& client : clients) {
        const auto update = client->take(1);
        ASSERT_EQ(update.size(), 1u);
        EXPECT_EQ(update[0].lines, std::vector<std::string>{"5 9"});
    }
}

TEST_F(LoadTest, AFloodReachesTheSessionInOrderWithoutStarvingOthers) {
    TestClient flood("127.0.0.1", server->listenPort());
    TestClient quiet("127.0.0.2", server->listenPort());
    flood.prelude();
    quiet.prelude();
    constexpr int kRoutes = 20000;
    std::string burst;
    for (int k = 0; k < kRoutes; ++k) {
        burst += "VIDEO OUTPUT ROUTING:\n" + std::to_string(k % 16) + ' ' + std::to_string(k % 15) +
                 "\n\n";
    }
    // How far the flood had got when the quiet client's answer came.
    std::optional<std::size_t> routesAtAnswer;
    QObject::connect(&quiet.socket(), &QTcpSocket::readyRead, [&] {
        if (!routesAtAnswer && quiet.received("ACK")) routesAtAnswer = routes();
    });
    // Routes per event-loop turn: a zero timer ticks once a turn.
    std::size_t routesAtTick = 0;
    std::size_t mostPerTurn = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        mostPerTurn = std::max(mostPerTurn, routes() - routesAtTick);
        routesAtTick = routes();
    });
    tick.start(0);
    flood.send(burst);
    quiet.send("PING:\n\n");
    ASSERT_TRUE(waitUntil([&] { return routesAtAnswer.has_value(); }));
    EXPECT_LT(*routesAtAnswer, static_cast<std::size_t>(kRoutes) / 2);

    // Every request changes its output's input: one route change each.
    ASSERT_TRUE(waitUntil([&] { return routes() == kRoutes; }, 30000));
    EXPECT_LE(mostPerTurn, 200u);  // a few times kBlocksPerTurn, far from a whole read
    std::vector<std::pair<int, int>> order;
    for (const SessionChange& change : events.changes) {
        for (const RouteChange& route : change.routes)
            order.emplace_back(route.output, route.to.clientInput());
    }
    ASSERT_EQ(order.size(), static_cast<std::size_t>(kRoutes));
    for (int k = 0; k < kRoutes; ++k)
        ASSERT_EQ(order[k], std::make_pair(k % 16, k % 15)) << k;
}

TEST_F(LoadTest, RequestsOfAClientThatClosesAtOnceAreStillCarriedOut) {
    TestClient script("127.0.0.1", server->listenPort());
    std::string requests;
    for (int k = 0; k < 200; ++k)
        requests += "VIDEO OUTPUT ROUTING:\n1 " + std::to_string(k % 16) + "\n\n";
    script.send(requests);
    script.socket().disconnectFromHost();
    ASSERT_TRUE(waitUntil([&] { return routes() == 200; })) << routes();
    EXPECT_TRUE(waitUntil([&] { return server->clientCount() == 0; }));
}

// `nc -q 1` and scripts shut down their sending side after the request; a
// client may even do so before sending anything.
TEST_F(LoadTest, AHalfClosedClientGetsItsAnswersThenTheServerCloses) {
    for (const std::string request : {"VIDEO OUTPUT ROUTING:\n1 2\n\nPING:\n\n", ""}) {
        TestClient script("127.0.0.1", server->listenPort());
        ASSERT_TRUE(script.socket().waitForConnected(10000));
        script.send(request);
        script.socket().flush();
        ASSERT_EQ(::shutdown(static_cast<int>(script.socket().socketDescriptor()), SHUT_WR), 0);
        ASSERT_TRUE(waitUntil([&] {
            return script.socket().state() == QAbstractSocket::UnconnectedState;
        })) << request;
        const auto replies = script.take();
        EXPECT_EQ(headers(replies).size(), request.empty() ? 8u : 11u) << request;
        if (!request.empty()) {
            EXPECT_EQ(headers(replies).back(), "ACK");
            EXPECT_EQ(replies[9].lines, std::vector<std::string>{"1 2"});
        }
        EXPECT_TRUE(waitUntil([&] { return server->clientCount() == 0; }));
    }
}

// One address cannot take every place: its 17th connection is closed at
// once, its others and other addresses carry on.
TEST_F(LoadTest, SixteenConnectionsPerAddress) {
    std::vector<std::unique_ptr<TestClient>> crowd;
    for (int i = 0; i <= VideohubServer::kMaxClientsPerAddress; ++i)
        crowd.push_back(std::make_unique<TestClient>("127.0.0.1", server->listenPort()));
    TestClient& refused = *crowd.back();
    ASSERT_TRUE(
        waitUntil([&] { return refused.socket().state() == QAbstractSocket::UnconnectedState; }));
    EXPECT_EQ(refused.pending(), 0u);
    TestClient other("127.0.0.2", server->listenPort());
    EXPECT_EQ(other.prelude().size(), 8u);
    EXPECT_EQ(server->clientCount(), VideohubServer::kMaxClientsPerAddress + 1);
    crowd.pop_back();
    for (auto& client : crowd)
        client->prelude();
    ASSERT_TRUE(session->routeOutput(MatrixSession::kWindowOwner, 5, 9));
    for (auto& client : crowd)
        EXPECT_EQ(client->take(1).size(), 1u);
}

TEST_F(LoadTest, AClientThatNeverReadsIsDisconnectedAndOthersCarryOn) {
    useModel(256, 256);
    session->rebuild();
    TestClient reader("127.0.0.1", server->listenPort());
    TestClient stuck("127.0.0.2", server->listenPort());
    stuck.socket().setReadBufferSize(1024);
    QObject::disconnect(&stuck.socket(), &QTcpSocket::readyRead, nullptr, nullptr);
    reader.prelude();
    ASSERT_TRUE(waitUntil([&] { return server->clientCount() == 2; }));

    // Its own requests stop being handled once its answers pile up...
    std::string dumps;
    for (int i = 0; i < 2000; ++i)
        dumps += "INPUT LABELS:\n\n";
    stuck.send(dumps);
    // ...and changes for everyone push it over the bound.
    int rebuilds = 0;
    ASSERT_TRUE(waitUntil(
        [&] {
            session->rebuild();
            ++rebuilds;
            QCoreApplication::processEvents();
            return server->clientCount() == 1;
        },
        60000));
    reader.send("PING:\n\n");
    EXPECT_TRUE(waitUntil(
        [&] {
            auto replies = reader.take();
            return !replies.empty() && replies.back().header == "ACK";
        },
        30000))
        << rebuilds << " rebuilds";
}

TEST_F(LoadTest, BinaryJunkAndEndlessLinesGetNakAndTheClientStaysUsable) {
    TestClient client("127.0.0.1", server->listenPort());
    client.prelude();
    std::mt19937 random(10);
    std::string junk(2 << 20, '\0');
    for (char& c : junk)
        c = static_cast<char>(random());
    client.send(junk);
    client.send(std::string(100000, 'A') + "\n\n" + "\n\nPING:\n\n");
    ASSERT_TRUE(waitUntil(
        [&] { return client.pending() > 0 && client.take().back().header == "ACK"; }, 30000));
    EXPECT_EQ(server->clientCount(), 1);
    EXPECT_EQ(routes(), 0u);
    EXPECT_TRUE(frames().empty());
}

}  // namespace
}  // namespace mc::remote
