// The network control on a real MatrixSession (its sender not started, so the
// frames it queues stay in its queue): requests become the session's switches
// and names, and the session's changes from any side reach the clients.

#include "ServerTestUtil.h"
#include "control/SessionTestUtil.h"
#include "remote/SessionRouter.h"
#include "remote/VideohubServer.h"

#include <gtest/gtest.h>

namespace mc::remote {
namespace {

using Lines = std::vector<std::string>;

class SessionRouterTest : public ::testing::Test, public test::ProgramFolder {
protected:
    void SetUp() override {
        useModel(8, 4, /*pattern=*/true);
        session.start();
        takeFrames();  // the start-up frames
        ASSERT_TRUE(server.listen(QHostAddress(QStringLiteral("127.0.0.1")), 0));
    }
    std::unique_ptr<TestClient> connect(const char* from) {
        auto client = std::make_unique<TestClient>(from, server.listenPort());
        client->prelude();
        return client;
    }
    std::vector<test::Bytes> takeFrames() { return test::takeFrames(*session.commandQueue()); }

    QueuedPoster poster;
    MatrixSession session{paths, poster, SessionOptions::queueOnly()};
    SessionRouter router{session};
    VideohubServer server{router};
    bool attached = (router.setServer(&server), true);
};

TEST_F(SessionRouterTest, RoutesAreTheSessionsSwitchesAndLocksHoldForEveryOwner) {
    auto a = connect("127.0.0.1");
    auto b = connect("127.0.0.2");
    a->send("VIDEO OUTPUT ROUTING:\n1 3\n3 -1\n\n");
    EXPECT_EQ(headers(a->take(2)), (Lines{"ACK", "VIDEO OUTPUT ROUTING"}));
    EXPECT_EQ(b->take(1).front().lines, Lines{"1 3"});  // 3 had no route: it reads -1 still
    EXPECT_EQ(takeFrames(),
              (std::vector<test::Bytes>{test::switchFrame(0x52, 3, 1), test::closeFrame(0x52, 3)}));

    // The window's click reaches every client; the window's lock refuses them.
    ASSERT_TRUE(session.clickBox(2, 6, true));
    for (TestClient* client : {a.get(), b.get()})
        EXPECT_EQ(client->take(1).front().lines, Lines{"2 6"});
    ASSERT_TRUE(session.lockOutput(MatrixSession::kWindowOwner, 2, mc::LockRequest::Lock));
    EXPECT_EQ(b->take(1).front().lines, Lines{"2 L"});
    takeFrames();
    b->send("VIDEO OUTPUT ROUTING:\n2 0\n\n");
    EXPECT_EQ(b->take(2).back().lines, Lines{"2 6"});  // ACK, then the current route
    EXPECT_TRUE(takeFrames().empty());

    // Take mode for the window, asked by a client: everyone is told; the
    // clients' own routes still switch at once.
    a->send("CONFIGURATION:\nTake Mode: true\n\nVIDEO OUTPUT ROUTING:\n0 4\n\n");
    EXPECT_EQ(b->take(2).front().lines, Lines{"Take Mode: true"});
    EXPECT_TRUE(session.takeMode());
    EXPECT_EQ(takeFrames(), std::vector<test::Bytes>{test::switchFrame(0x52, 4, 0)});
    a->take(4);
    a->send("CONFIGURATION:\nTake Mode: false\n\n");
    EXPECT_EQ(b->take(1).front().lines, Lines{"Take Mode: false"});
    a->take(2);

    // A client's lock refuses the window.
    a->send("VIDEO OUTPUT LOCKS:\n1 O\n\n");
    EXPECT_EQ(b->take(1).front().lines, Lines{"1 L"});
    EXPECT_FALSE(session.clickBox(1, 0, true));
    EXPECT_EQ(session.lockOwner(1), "127.0.0.1");

    // A rebuild: the whole state again, with the new counts and name; no locks.
    useModel(4, 2);
    router.setFriendlyName("Studio B");
    session.rebuild();
    const auto dump = b->take(7);
    ASSERT_EQ(dump.size(), 7u);
    EXPECT_EQ(dump[0].lines[2], "Friendly name: Studio B");
    EXPECT_EQ(dump[0].lines[4], "Video inputs: 4");
    EXPECT_EQ(dump[3].lines, (Lines{"0 U", "1 U"}));
    EXPECT_EQ(headers(dump).back(), "END PRELUDE");
}

TEST_F(SessionRouterTest, LabelsAreNameFieldsSavedAtClose) {
    auto a = connect("127.0.0.1");
    auto b = connect("127.0.0.2");
    a->send("INPUT LABELS:\n0 Camera 1\n\nOUTPUT LABELS:\n2 Monitor\n1 \n\n");
    EXPECT_EQ(headers(a->take(4)), (Lines{"ACK", "INPUT LABELS", "ACK", "OUTPUT LABELS"}));
    EXPECT_EQ(b->take(2).back().lines, Lines{"2 Monitor"});  // output 1 stays "2"
    EXPECT_EQ(router.inputLabel(0), "Camera 1");

    // A name set to what it shows already reaches nobody; a new one does.
    session.setOutputName(MatrixSession::kWindowOwner, 2, "Monitor");
    session.setInputName(MatrixSession::kWindowOwner, 1, "");
    session.setInputName(MatrixSession::kWindowOwner, 3, "VTR");
    b->send("PING:\n\n");
    const auto replies = b->take(2);
    ASSERT_EQ(replies.size(), 2u);
    EXPECT_EQ(replies[0].lines, Lines{"3 VTR"});
    EXPECT_EQ(replies[1].header, "ACK");

    session.close();
    EXPECT_EQ(nameList("MatrixInputStringList", "InputString0"), "Camera 1");
    EXPECT_EQ(nameList("MatrixOutputStringList", "OutputString2"), "Monitor");
}

}  // namespace
}  // namespace mc::remote
