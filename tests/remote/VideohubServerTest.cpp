// The server over TCP on the loopback interface against a fake model: the
// prelude, requests and answers, updates and locks as each client sees them.

#include "FakeRouter.h"
#include "ServerTestUtil.h"

#include <gtest/gtest.h>
#include <QSignalSpy>
#include <QTcpServer>

namespace mc::remote {
namespace {

using Lines = std::vector<std::string>;
using namespace std::string_literals;

class ServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        model.setRoute(0, 2);
        model.setRoute(3, 7);
        model.attach(&server);
        ASSERT_TRUE(server.listen(QHostAddress(QStringLiteral("127.0.0.1")), 0))
            << server.errorString().toStdString();
    }
    std::unique_ptr<TestClient> connect(const char* from) {
        auto client = std::make_unique<TestClient>(from, server.listenPort());
        client->prelude();
        return client;
    }

    FakeRouter model{8, 4};
    VideohubServer server{model};
};

TEST_F(ServerTest, PreludeInOrderWithTheWholeState) {
    QSignalSpy counts(&server, &VideohubServer::clientCountChanged);
    TestClient client("127.0.0.1", server.listenPort());
    const auto prelude = client.take(8);
    EXPECT_EQ(headers(prelude), (Lines{"PROTOCOL PREAMBLE", "VIDEOHUB DEVICE", "INPUT LABELS",
                                       "OUTPUT LABELS", "VIDEO OUTPUT LOCKS",
                                       "VIDEO OUTPUT ROUTING", "CONFIGURATION", "END PRELUDE"}));
    ASSERT_EQ(prelude.size(), 8u);
    EXPECT_EQ(prelude[0].lines, Lines{"Version: 2.8"});
    EXPECT_EQ(prelude[1].lines[0], "Device present: true");
    EXPECT_EQ(prelude[1].lines[4], "Video inputs: 8");
    EXPECT_EQ(prelude[1].lines[6], "Video outputs: 4");
    EXPECT_EQ(prelude[2].lines.size(), 8u);
    EXPECT_EQ(prelude[2].lines[7], "7 In 8");
    EXPECT_EQ(prelude[4].lines, (Lines{"0 U", "1 U", "2 U", "3 U"}));
    EXPECT_EQ(prelude[5].lines, (Lines{"0 2", "1 -1", "2 -1", "3 7"}));
    EXPECT_EQ(prelude[6].lines, Lines{"Take Mode: false"});
    EXPECT_EQ(server.clientCount(), 1);
    ASSERT_GE(counts.size(), 1);
    EXPECT_EQ(counts.last().at(0).toInt(), 1);

    client.socket().disconnectFromHost();
    EXPECT_TRUE(waitUntil([&] { return server.clientCount() == 0; }));
}

TEST_F(ServerTest, AnswersEveryKindOfRequest) {
    auto client = connect("127.0.0.1");
    auto other = connect("127.0.0.2");
    client->send("PING:\r\n\r\nOUTPUT LABELS:\n\nNO SUCH BLOCK:\n1 2\n\n");
    client->send("CONFIGURATION:\nTake Mode: true\n\nCONFIGURATION:\nTake Mode: false\n\n");
    client->send("VIDEO OUTPUT ROUTING:\n9 9\n\n\x01\xFF\x00:\n\n"s);
    auto replies = client->take(10);
    EXPECT_EQ(headers(replies), (Lines{"ACK", "ACK", "OUTPUT LABELS", "NAK", "ACK", "CONFIGURATION",
                                       "ACK", "CONFIGURATION", "NAK", "NAK"}));
    ASSERT_EQ(replies.size(), 10u);
    EXPECT_EQ(replies[5].lines, Lines{"Take Mode: true"});
    EXPECT_EQ(other->take(2).front().lines, Lines{"Take Mode: true"});
    ASSERT_GE(replies.size(), 3u);
    EXPECT_EQ(replies[2].lines, (Lines{"0 Out 1", "1 Out 2", "2 Out 3", "3 Out 4"}));

    // A route: ACK to the requester first, then the change to everyone.
    client->send("VIDEO OUTPUT ROUTING:\n1 5\n2 -1\n0 9\n\n");
    replies = client->take(2);
    EXPECT_EQ(headers(replies), (Lines{"ACK", "VIDEO OUTPUT ROUTING"}));
    EXPECT_EQ(replies.back().lines, (Lines{"1 5", "2 -1"}));
    EXPECT_EQ(other->take(1).front().lines, (Lines{"1 5", "2 -1"}));
    ASSERT_EQ(model.routeCalls.size(), 2u);
    EXPECT_EQ(model.routeCalls[0].owner, "127.0.0.1");
    EXPECT_EQ(model.routeCalls[1].input, -1);

    client->send("INPUT LABELS:\n2 Camera \xE4\xB8\x89\n\n");
    EXPECT_EQ(headers(client->take(2)), (Lines{"ACK", "INPUT LABELS"}));
    EXPECT_EQ(other->take(1).front().lines, Lines{"2 Camera \xE4\xB8\x89"});
    EXPECT_EQ(model.inputLabel(2), "Camera \xE4\xB8\x89");
}

TEST_F(ServerTest, ChangesFromTheWindowAreGatheredAndSentToAll) {
    auto a = connect("127.0.0.1");
    auto b = connect("127.0.0.2");
    model.setRoute(1, 4);
    model.setRoute(2, 6);
    model.setRoute(3, std::nullopt);  // closed
    for (TestClient* client : {a.get(), b.get()}) {
        const auto update = client->take(1);
        ASSERT_EQ(update.size(), 1u);
        EXPECT_EQ(update[0].lines, (Lines{"1 4", "2 6", "3 -1"}));
    }
    model.resize(4, 2);
    server.rebuilt();
    const auto dump = a->take(7);
    EXPECT_EQ(headers(dump).front(), "VIDEOHUB DEVICE");
    EXPECT_EQ(headers(dump).back(), "END PRELUDE");
    EXPECT_EQ(dump[1].lines.size(), 4u);
    EXPECT_EQ(dump[4].lines, (Lines{"0 -1", "1 -1"}));

    model.present = false;
    server.deviceChanged(false);
    EXPECT_EQ(b->take(8).back().lines, Lines{"Device present: false"});
    model.present = true;
    server.deviceChanged(true);  // back: the whole state again
    EXPECT_EQ(headers(b->take(7)).back(), "END PRELUDE");
}

TEST_F(ServerTest, LocksAsEachOwnerSeesThem) {
    auto a = connect("127.0.0.1");
    auto a2 = connect("127.0.0.1");  // the same owner
    auto b = connect("127.0.0.2");
    a->send("VIDEO OUTPUT LOCKS:\n0 O\n\n");
    EXPECT_EQ(headers(a->take(2)), (Lines{"ACK", "VIDEO OUTPUT LOCKS"}));
    EXPECT_EQ(a2->take(1).front().lines, Lines{"0 O"});
    EXPECT_EQ(b->take(1).front().lines, Lines{"0 L"});

    // Refused: ACK, nothing changes, the requester gets the current value.
    b->send("VIDEO OUTPUT ROUTING:\n0 5\n1 1\n\n");
    auto replies = b->take(3);
    EXPECT_EQ(headers(replies), (Lines{"ACK", "VIDEO OUTPUT ROUTING", "VIDEO OUTPUT ROUTING"}));
    ASSERT_EQ(replies.size(), 3u);
    EXPECT_EQ(replies[1].lines, Lines{"1 1"});
    EXPECT_EQ(replies[2].lines, Lines{"0 2"});
    EXPECT_EQ(model.routedInput(0), 2);
    b->send("VIDEO OUTPUT LOCKS:\n0 U\n0 O\n\n");
    replies = b->take(2);
    ASSERT_EQ(replies.size(), 2u);
    EXPECT_EQ(replies[1].lines, Lines{"0 L"});
    EXPECT_EQ(model.lockOwner(0), "127.0.0.1");
    a->take(1);  // the route 1 1 of b
    a->send("PING:\n\n");
    EXPECT_EQ(headers(a->take(1)), Lines{"ACK"});  // no correction reached a

    a2->send("VIDEO OUTPUT ROUTING:\n0 6\n\n");
    EXPECT_EQ(a2->take(3).back().lines, Lines{"0 6"});
    EXPECT_EQ(a->take(1).front().lines, Lines{"0 6"});
    EXPECT_EQ(b->take(1).front().lines, Lines{"0 6"});

    b->send("VIDEO OUTPUT LOCKS:\n0 F\n\n");
    EXPECT_EQ(headers(b->take(2)), (Lines{"ACK", "VIDEO OUTPUT LOCKS"}));
    EXPECT_EQ(a->take(1).back().lines, Lines{"0 U"});
    EXPECT_EQ(model.lockOwner(0), "");
}

TEST(ServerListen, APortInUseIsReportedWithItsAddress) {
    FakeRouter model(2, 2);
    QTcpServer holder;
    ASSERT_TRUE(holder.listen(QHostAddress(QStringLiteral("127.0.0.1")), 0));
    VideohubServer server(model);
    QSignalSpy log(&server, &VideohubServer::logMessage);
    EXPECT_FALSE(server.listen(QHostAddress(QStringLiteral("127.0.0.1")), holder.serverPort()));
    EXPECT_TRUE(
        server.errorString().contains(QStringLiteral("127.0.0.1:%1").arg(holder.serverPort())));
    EXPECT_FALSE(server.isListening());
    ASSERT_EQ(log.size(), 1);
    EXPECT_TRUE(server.listen(QHostAddress(QStringLiteral("127.0.0.1")), 0));
    EXPECT_NE(server.listenPort(), 0);
}

}  // namespace
}  // namespace mc::remote
