// The connection handling on its own, with a protocol of bytes rather than
// lines: 4-byte frames, each answered with its bytes reversed. Frames split
// across sends are put together, a client that shuts down its sending side
// still gets every answer before the server closes, and a client that does
// not read what is sent to every client is dropped without holding up the
// one whose frames caused it.

#include "remote/ServerTestUtil.h"
#include "service/StreamServer.h"

#include <gtest/gtest.h>
#include <QSignalSpy>

#include <sys/socket.h>

#include <algorithm>

namespace mc::service {
namespace {

using remote::waitUntil;

class ReverseFrames final : public StreamProtocol {
public:
    std::size_t frames = 0;
    StreamServer* server = nullptr;
    std::string update;  // sent to every other client after each frame

private:
    class Reader final : public StreamReader {
    public:
        Reader(ReverseFrames& protocol, StreamClient& client)
            : m_protocol(protocol), m_client(client) {}
        int read(std::string_view& input, int maxItems) override {
            int items = 0;
            while (items < maxItems && !input.empty()) {
                const std::size_t take = std::min(input.size(), 4 - m_frame.size());
                m_frame.append(input.substr(0, take));
                input.remove_prefix(take);
                if (m_frame.size() < 4) break;
                std::reverse(m_frame.begin(), m_frame.end());
                m_client.send(m_frame);
                for (StreamClient* other : m_protocol.server->clients())
                    if (other != &m_client) other->send(m_protocol.update);
                m_frame.clear();
                ++m_protocol.frames;
                ++items;
            }
            return items;
        }

    private:
        ReverseFrames& m_protocol;
        StreamClient& m_client;
        std::string m_frame;
    };

    std::unique_ptr<StreamReader> connected(StreamClient& client) override {
        client.send("hi");
        return std::make_unique<Reader>(*this, client);
    }
};

class StreamServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        protocol.server = &server;
        ASSERT_TRUE(server.listen(QHostAddress(QStringLiteral("127.0.0.1")), 0));
    }
    ReverseFrames protocol;
    StreamServer server{protocol, QStringLiteral("Test service"), QStringLiteral("Test client")};
};

TEST_F(StreamServerTest, SplitFramesAreAnsweredAndAHalfCloseStillGetsEveryAnswer) {
    QSignalSpy log(&server, &StreamServer::logMessage);
    QTcpSocket client;
    client.connectToHost(QHostAddress(QStringLiteral("127.0.0.1")), server.listenPort());
    ASSERT_TRUE(client.waitForConnected(5000));
    client.write("ab");
    client.flush();
    ASSERT_TRUE(waitUntil([&] { return server.clientCount() == 1; }));
    client.write("cdEFGHij");  // the end of one frame, a whole one and a part
    client.flush();
    ASSERT_EQ(::shutdown(static_cast<int>(client.socketDescriptor()), SHUT_WR), 0);
    QByteArray received;
    ASSERT_TRUE(waitUntil([&] {
        received += client.readAll();
        return client.state() == QAbstractSocket::UnconnectedState;
    })) << "the server closes once it has answered";
    EXPECT_EQ(received, QByteArray("hidcbaHGFE"));
    EXPECT_EQ(protocol.frames, 2u);
    EXPECT_TRUE(waitUntil([&] { return server.clientCount() == 0; }));
    QStringList lines;
    for (const auto& line : log)
        lines << line.front().toString();
    EXPECT_TRUE(lines.last().startsWith(QStringLiteral("Test client 127.0.0.1:")))
        << lines.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(lines.last().endsWith(QStringLiteral(" disconnected")));
}

TEST_F(StreamServerTest, AClientThatDoesNotReadIsDroppedAndTheOthersAreServed) {
    protocol.update.assign(64 * 1024, 'x');
    QTcpSocket idle;  // never reads: the updates pile up
    idle.setReadBufferSize(1);
    idle.connectToHost(QHostAddress(QStringLiteral("127.0.0.1")), server.listenPort());
    ASSERT_TRUE(idle.waitForConnected(5000));
    QTcpSocket reader;
    reader.connectToHost(QHostAddress(QStringLiteral("127.0.0.1")), server.listenPort());
    ASSERT_TRUE(reader.waitForConnected(5000));
    ASSERT_TRUE(waitUntil([&] { return server.clientCount() == 2; }));
    QSignalSpy log(&server, &StreamServer::logMessage);
    QByteArray expected("hi");
    for (int i = 0; i < 400; ++i) {  // 25 MiB of updates for the idle client
        reader.write("1234");
        expected += "4321";
    }
    QByteArray received;
    EXPECT_TRUE(waitUntil([&] {
        received += reader.readAll();
        return received.size() >= expected.size();
    }));
    EXPECT_EQ(received, expected);
    EXPECT_EQ(server.clientCount(), 1);
    ASSERT_FALSE(log.isEmpty());
    EXPECT_TRUE(log.last().front().toString().contains(QStringLiteral("not reading")));
}

}  // namespace
}  // namespace mc::service
