// SW-P-08 over TCP on the loopback interface: a controller's messages split
// across writes are answered, a change made elsewhere reaches it as 04, and
// a rebuild closes its connection so that it reads everything again.

#include <gtest/gtest.h>

#include <QTcpSocket>

#include "FrameTestUtil.h"
#include "control/SessionTestUtil.h"
#include "protocol/Swp08Codec.h"
#include "remote/ServerTestUtil.h"
#include "swp08/Swp08Service.h"

namespace mc::swp08 {
namespace {

using test::hexBytes;
using test::hexText;

// What arrived, decoded: "ACK", "NAK" or a message's DATA in hex.
std::vector<std::string> decoded(Decoder& decoder, const QByteArray& bytes) {
    std::vector<Decoded> messages;
    decoder.feed({reinterpret_cast<const std::uint8_t*>(bytes.data()),
                  static_cast<std::size_t>(bytes.size())},
                 messages);
    std::vector<std::string> out;
    for (const Decoded& d : messages)
        out.push_back(d.kind == Decoded::Kind::PeerAck   ? "ACK"
                      : d.kind == Decoded::Kind::PeerNak ? "NAK"
                                                         : hexText(d.data));
    return out;
}

using Swp08ServiceTest = test::SessionTest;

TEST_F(Swp08ServiceTest, AControllerIsAnsweredToldOfChangesAndDroppedOnARebuild) {
    useModel(8, 4);
    start();
    Swp08Service service(*session);
    ASSERT_TRUE(service.listen(QHostAddress::LocalHost, 0));
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, service.listenPort());
    ASSERT_TRUE(socket.waitForConnected(5000));
    Decoder decoder;
    std::vector<std::string> got;
    const auto until = [&](std::size_t count) {
        return remote::waitUntil([&] {
            for (const std::string& m : decoded(decoder, socket.readAll()))
                got.push_back(m);
            return got.size() >= count;
        });
    };

    const std::vector<std::uint8_t> ask = encodeMessage(hexBytes("61"));
    socket.write(reinterpret_cast<const char*>(ask.data()), 3);  // in two pieces
    socket.flush();
    QCoreApplication::processEvents();
    socket.write(reinterpret_cast<const char*>(ask.data()) + 3,
                 static_cast<qint64>(ask.size() - 3));
    ASSERT_TRUE(until(2));
    EXPECT_EQ(got, (std::vector<std::string>{"ACK", "62 00 00 01 02 15 61 64 66 81 82 95 E4 E6"}));
    EXPECT_EQ(service.clientCount(), 1);

    ASSERT_TRUE(session->routeOutput("127.0.0.9", 2, 5));
    ASSERT_TRUE(until(3));
    EXPECT_EQ(got.back(), "04 00 00 02 05") << "a change made elsewhere";

    session->rebuild();
    EXPECT_TRUE(
        remote::waitUntil([&] { return socket.state() == QAbstractSocket::UnconnectedState; }));
}

}  // namespace
}  // namespace mc::swp08
