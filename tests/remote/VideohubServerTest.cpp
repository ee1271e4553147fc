// The server over TCP on the loopback interface on a real MatrixSession (its
// sender not started, so the frames it queues stay in its queue): the
// prelude, requests as the session's switches, names, locks and take mode,
// and the session's changes from any side as each client sees them.

#include "ServerTestUtil.h"
#include "control/SessionTestUtil.h"
#include "control/SwitchingLayer.h"
#include "remote/VideohubServer.h"

#include <gtest/gtest.h>
#include <QSignalSpy>
#include <QTcpServer>

#include <algorithm>
#include <filesystem>

namespace mc::remote {
namespace {

using Lines = std::vector<std::string>;
using Frames = std::vector<test::Bytes>;
using namespace std::string_literals;

class ServerTest : public test::SessionTest {
protected:
    // An 8 x 4 matrix whose outputs 0 and 3 carry inputs 2 and 7.
    void begin(bool pattern = true) {
        useModel(8, 4, pattern);
        start();
        ASSERT_TRUE(session->routeOutput(MatrixSession::kWindowOwner, 0, 2));
        ASSERT_TRUE(session->routeOutput(MatrixSession::kWindowOwner, 3, 7));
        frames();
        server = std::make_unique<VideohubServer>(*session);
        ASSERT_TRUE(server->listen(QHostAddress(QStringLiteral("127.0.0.1")), 0))
            << server->errorString().toStdString();
    }
    std::unique_ptr<TestClient> connect(const char* from) {
        auto client = std::make_unique<TestClient>(from, server->listenPort());
        client->prelude();
        return client;
    }

    std::unique_ptr<VideohubServer> server;
};

TEST_F(ServerTest, PreludeInOrderWithTheWholeState) {
    begin();
    QSignalSpy counts(server.get(), &VideohubServer::clientCountChanged);
    TestClient client("127.0.0.1", server->listenPort());
    const auto prelude = client.take(8);
    EXPECT_EQ(headers(prelude), (Lines{"PROTOCOL PREAMBLE", "VIDEOHUB DEVICE", "INPUT LABELS",
                                       "OUTPUT LABELS", "VIDEO OUTPUT LOCKS",
                                       "VIDEO OUTPUT ROUTING", "CONFIGURATION", "END PRELUDE"}));
    ASSERT_EQ(prelude.size(), 8u);
    EXPECT_EQ(prelude[0].lines, Lines{"Version: 2.8"});
    const std::string id = server->uniqueId();
    EXPECT_EQ(id.size(), 12u);
    EXPECT_EQ(id.find_first_not_of("0123456789ABCDEF"), std::string::npos) << id;
    EXPECT_EQ(VideohubServer(*session).uniqueId(), id) << "the folder's, not the server's";
    EXPECT_EQ(prelude[1].lines,
              (Lines{"Device present: true", "Model name: matrix-control TestMatrix",
                     "Friendly name: TestMatrix", "Unique ID: " + id, "Video inputs: 8",
                     "Video processing units: 0", "Video outputs: 4", "Video monitoring outputs: 0",
                     "Serial ports: 0"}));
    EXPECT_EQ(prelude[2].lines.size(), 8u);
    EXPECT_EQ(prelude[2].lines[7], "7 8");
    EXPECT_EQ(prelude[4].lines, (Lines{"0 U", "1 U", "2 U", "3 U"}));
    EXPECT_EQ(prelude[5].lines, (Lines{"0 2", "1 -1", "2 -1", "3 7"}));
    EXPECT_EQ(prelude[6].lines, Lines{"Take Mode: false"});
    EXPECT_EQ(server->clientCount(), 1);
    ASSERT_GE(counts.size(), 1);
    EXPECT_EQ(counts.last().at(0).toInt(), 1);

    client.socket().disconnectFromHost();
    EXPECT_TRUE(waitUntil([&] { return server->clientCount() == 0; }));
}

TEST_F(ServerTest, AnswersEveryKindOfRequestWithTheSessionsSteps) {
    begin();
    auto client = connect("127.0.0.1");
    auto other = connect("127.0.0.2");
    client->send("PING:\r\n\r\nOUTPUT LABELS:\n\nNO SUCH BLOCK:\n1 2\n\n");
    // Take mode is the window's; a client's own routes still switch at once.
    // A close of an output that carried no input changes nothing clients see.
    client->send(
        "CONFIGURATION:\nTake Mode: true\n\nVIDEO OUTPUT ROUTING:\n1 5\n2 -1\n3 -1\n0 9\n\n"
        "CONFIGURATION:\nTake Mode: false\n\n");
    client->send("VIDEO OUTPUT ROUTING:\n9 9\n\n\x01\xFF\x00:\n\n"s);
    auto replies = client->take(12);
    EXPECT_EQ(headers(replies),
              (Lines{"ACK", "ACK", "OUTPUT LABELS", "NAK", "ACK", "CONFIGURATION", "ACK",
                     "VIDEO OUTPUT ROUTING", "ACK", "CONFIGURATION", "NAK", "NAK"}));
    ASSERT_EQ(replies.size(), 12u);
    EXPECT_EQ(replies[2].lines, (Lines{"0 1", "1 2", "2 3", "3 4"}));
    EXPECT_EQ(replies[5].lines, Lines{"Take Mode: true"});
    EXPECT_EQ(replies[7].lines, (Lines{"1 5", "3 -1"}));
    replies = other->take(3);
    ASSERT_EQ(replies.size(), 3u);
    EXPECT_EQ(replies[0].lines, Lines{"Take Mode: true"});
    EXPECT_EQ(replies[1].lines, (Lines{"1 5", "3 -1"}));
    EXPECT_EQ(replies[2].lines, Lines{"Take Mode: false"});
    EXPECT_FALSE(session->takeMode());
    EXPECT_EQ(frames(), (Frames{test::switchFrame(0x52, 5, 1), test::closeFrame(0x52, 2),
                                test::closeFrame(0x52, 3)}));
    const auto routed = std::find_if(events.changes.rbegin(), events.changes.rend(),
                                     [](const SessionChange& c) { return !c.routes.empty(); });
    ASSERT_NE(routed, events.changes.rend());
    EXPECT_EQ(routed->origin, "127.0.0.1") << "steps in the client's name";

    client->send("INPUT LABELS:\n2 Camera \xE4\xB8\x89\n\n");
    EXPECT_EQ(headers(client->take(2)), (Lines{"ACK", "INPUT LABELS"}));
    EXPECT_EQ(other->take(1).front().lines, Lines{"2 Camera \xE4\xB8\x89"});
    EXPECT_EQ(state().inputText(2), "Camera \xE4\xB8\x89");
}

TEST_F(ServerTest, ChangesFromTheWindowAreGatheredAndARebuildSendsTheWholeState) {
    begin();
    auto a = connect("127.0.0.1");
    auto b = connect("127.0.0.2");
    ASSERT_TRUE(session->clickBox(1, 4, true));
    ASSERT_TRUE(session->routeOutput(MatrixSession::kWindowOwner, 2, 6));
    ASSERT_TRUE(session->routeOutput(MatrixSession::kWindowOwner, 3, -1));
    for (TestClient* client : {a.get(), b.get()}) {
        const auto update = client->take(1);
        ASSERT_EQ(update.size(), 1u);
        EXPECT_EQ(update[0].lines, (Lines{"1 4", "2 6", "3 -1"}));
    }

    // New counts and name; the locks go with the old build.
    a->send("VIDEO OUTPUT LOCKS:\n0 O\n\n");
    EXPECT_EQ(b->take(1).front().lines, Lines{"0 L"});
    a->take(2);
    useModel(4, 2);
    server->setFriendlyName("Studio B");
    session->rebuild();
    const auto dump = b->take(7);
    ASSERT_EQ(dump.size(), 7u);
    EXPECT_EQ(headers(dump).front(), "VIDEOHUB DEVICE");
    EXPECT_EQ(dump[0].lines[2], "Friendly name: Studio B");
    EXPECT_EQ(dump[0].lines[4], "Video inputs: 4");
    EXPECT_EQ(dump[1].lines.size(), 4u);
    EXPECT_EQ(dump[3].lines, (Lines{"0 U", "1 U"}));
    EXPECT_EQ(dump[4].lines, (Lines{"0 -1", "1 -1"}));
    EXPECT_EQ(headers(dump).back(), "END PRELUDE");
}

// COM1 is a symbolic link to the pseudo-terminal, as /dev/serial/by-id names
// an adapter; pointing it to another terminal plugs the device back in.
TEST_F(ServerTest, ADeviceThatGoesIsAbsentAndOneThatComesBackSendsTheWholeState) {
    namespace fs = std::filesystem;
    const fs::path link = fs::path(dir.path()) / "usb-Test_Adapter-port0";
    fs::create_symlink(pty.slavePath(), link);
    setConfig("Serial Port Map", "COM1", link.string());
    begin();
    auto b = connect("127.0.0.2");
    const auto reaches = [&](PortState state) {
        return waitUntil([&] {
            poster.runPending();
            return session->portStatus().state == state;
        });
    };
    pty.closeMaster();
    ASSERT_TRUE(reaches(PortState::Lost));
    auto update = b->take(1);
    ASSERT_EQ(update.size(), 1u);
    EXPECT_EQ(update[0].lines, Lines{"Device present: false"});

    test::Pty plugged;
    fs::create_symlink(plugged.slavePath(), fs::path(dir.path()) / "new-link");
    fs::rename(fs::path(dir.path()) / "new-link", link);
    ASSERT_TRUE(reaches(PortState::Open));
    update = b->take(7);
    ASSERT_EQ(update.size(), 7u);
    EXPECT_EQ(update[0].lines[0], "Device present: true");
    EXPECT_EQ(update[4].lines, (Lines{"0 2", "1 -1", "2 -1", "3 7"}));
    EXPECT_EQ(headers(update).back(), "END PRELUDE");
    session->close();  // before the terminal it uses goes
}

TEST_F(ServerTest, LocksAsEachOwnerSeesThemAndForTheWindow) {
    begin();
    auto a = connect("127.0.0.1");
    auto a2 = connect("127.0.0.1");  // the same owner
    auto b = connect("127.0.0.2");
    a->send("VIDEO OUTPUT LOCKS:\n0 O\n\n");
    EXPECT_EQ(headers(a->take(2)), (Lines{"ACK", "VIDEO OUTPUT LOCKS"}));
    EXPECT_EQ(a2->take(1).front().lines, Lines{"0 O"});
    EXPECT_EQ(b->take(1).front().lines, Lines{"0 L"});
    EXPECT_FALSE(session->clickBox(0, 1, true)) << "a client's lock refuses the window";

    // Refused: ACK, nothing changes, the requester gets the current value.
    b->send("VIDEO OUTPUT ROUTING:\n0 5\n1 1\n\n");
    auto replies = b->take(3);
    EXPECT_EQ(headers(replies), (Lines{"ACK", "VIDEO OUTPUT ROUTING", "VIDEO OUTPUT ROUTING"}));
    ASSERT_EQ(replies.size(), 3u);
    EXPECT_EQ(replies[1].lines, Lines{"1 1"});
    EXPECT_EQ(replies[2].lines, Lines{"0 2"});
    EXPECT_EQ(frames(), Frames{test::switchFrame(0x52, 1, 1)});
    b->send("VIDEO OUTPUT LOCKS:\n0 U\n0 O\n\n");
    replies = b->take(2);
    ASSERT_EQ(replies.size(), 2u);
    EXPECT_EQ(replies[1].lines, Lines{"0 L"});
    EXPECT_EQ(session->lockOwner(0), "127.0.0.1");
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
    EXPECT_EQ(session->lockOwner(0), "");

    // The window's lock refuses the clients.
    ASSERT_TRUE(session->lockOutput(MatrixSession::kWindowOwner, 3, LockRequest::Lock));
    EXPECT_EQ(b->take(1).front().lines, Lines{"3 L"});
    frames();
    b->send("VIDEO OUTPUT ROUTING:\n3 0\n\n");
    EXPECT_EQ(b->take(2).back().lines, Lines{"3 7"});
    EXPECT_TRUE(frames().empty());
}

TEST_F(ServerTest, LabelsAreNameFieldsSavedAtClose) {
    begin();
    auto a = connect("127.0.0.1");
    auto b = connect("127.0.0.2");
    a->send("INPUT LABELS:\n0 Camera 1\n\nOUTPUT LABELS:\n2 Monitor\n1 \n\n");
    EXPECT_EQ(headers(a->take(4)), (Lines{"ACK", "INPUT LABELS", "ACK", "OUTPUT LABELS"}));
    EXPECT_EQ(b->take(2).back().lines, Lines{"2 Monitor"});  // output 1 stays "2"
    EXPECT_EQ(state().inputText(0), "Camera 1");

    // A name set to what it shows already reaches nobody; a new one does.
    session->setOutputName(MatrixSession::kWindowOwner, 2, "Monitor");
    session->setInputName(MatrixSession::kWindowOwner, 1, "");
    session->setInputName(MatrixSession::kWindowOwner, 3, "VTR");
    b->send("PING:\n\n");
    const auto replies = b->take(2);
    ASSERT_EQ(replies.size(), 2u);
    EXPECT_EQ(replies[0].lines, Lines{"3 VTR"});
    EXPECT_EQ(replies[1].header, "ACK");

    session->close();
    EXPECT_EQ(nameList("MatrixInputStringList", "InputString0"), "Camera 1");
    EXPECT_EQ(nameList("MatrixOutputStringList", "OutputString2"), "Monitor");
}

// With layers, a client's route switches video around the operator's layer;
// the audio table is not the protocol's.
TEST_F(ServerTest, RoutesAreVideoWhateverTheOperatorsLayer) {
    begin(/*pattern=*/false);
    ASSERT_TRUE(session->chooseLayer(kLayerAudio));
    auto a = connect("127.0.0.1");
    ASSERT_TRUE(session->clickBox(1, 2, true));  // audio
    frames();
    a->send("VIDEO OUTPUT ROUTING:\n1 3\n\n");
    const auto replies = a->take(2);
    ASSERT_EQ(replies.size(), 2u);
    EXPECT_EQ(replies[1].lines, Lines{"1 3"}) << "no update of the audio click before";
    EXPECT_EQ(frames(), (Frames{test::layerFrame(0x52, kLayerVideo), test::switchFrame(0x52, 3, 1),
                                test::layerFrame(0x52, kLayerAudio)}));
}

TEST_F(ServerTest, APortInUseIsReportedWithItsAddress) {
    begin();
    QTcpServer holder;
    ASSERT_TRUE(holder.listen(QHostAddress(QStringLiteral("127.0.0.1")), 0));
    VideohubServer other(*session);
    QSignalSpy log(&other, &VideohubServer::logMessage);
    EXPECT_FALSE(other.listen(QHostAddress(QStringLiteral("127.0.0.1")), holder.serverPort()));
    EXPECT_TRUE(
        other.errorString().contains(QStringLiteral("127.0.0.1:%1").arg(holder.serverPort())));
    EXPECT_FALSE(other.isListening());
    ASSERT_EQ(log.size(), 1);
    EXPECT_TRUE(other.listen(QHostAddress(QStringLiteral("127.0.0.1")), 0));
    EXPECT_NE(other.listenPort(), 0);
}

}  // namespace
}  // namespace mc::remote
