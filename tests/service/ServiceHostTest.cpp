// The service host on a real session with the program's services: it reads
// each service's section at every build, listens as it says, reports a bind
// failure once per setting, words the status, and logs a service that is off.

#include "control/SessionTestUtil.h"
#include "remote/RouterService.h"
#include "remote/ServerTestUtil.h"
#include "service/ServiceHost.h"
#include "web/WebService.h"

#include <gtest/gtest.h>
#include <QSignalSpy>
#include <QTcpServer>

namespace mc::service {
namespace {

using remote::TestClient;
using remote::waitUntil;

TEST(ServiceHost, ListensByTheSettingsAndReportsABindFailureOnce) {
    test::ProgramFolder folder;
    QTcpServer holder;  // a port in use
    ASSERT_TRUE(holder.listen(QHostAddress(QStringLiteral("127.0.0.1")), 0));
    QueuedPoster poster;
    MatrixSession session(folder.paths, poster, SessionOptions::queueOnly());
    session.start();
    ServiceHost host(session);
    host.add(std::make_unique<remote::RouterService>(session));
    QSignalSpy notes(&host, &ServiceHost::noteChanged);
    host.start();
    const auto& router = static_cast<remote::RouterService&>(*host.service("Network"));
    EXPECT_FALSE(router.isListening());
    EXPECT_EQ(host.statusText("Network"), QString());

    folder.setConfig("Network Control", "Enabled", "1");
    folder.setConfig("Network Control", "Port", std::to_string(holder.serverPort()));
    folder.setConfig("Network Control", "FriendlyName", "Studio B");
    session.rebuild();
    session.rebuild();  // tried again, not reported again
    ASSERT_EQ(notes.size(), 1);
    EXPECT_EQ(notes[0][0].toString(), QStringLiteral("Network"));
    EXPECT_TRUE(notes[0][1].toString().startsWith(QStringLiteral("网络控制未能启动：")));
    EXPECT_TRUE(
        notes[0][1].toString().contains(QStringLiteral("127.0.0.1:%1").arg(holder.serverPort())));
    EXPECT_TRUE(host.statusText("Network").startsWith(QStringLiteral("网络控制：未能监听")));
    const ServiceStatus failing = host.status("Network");
    EXPECT_TRUE(failing.enabled && !failing.listening && !failing.failure.isEmpty());

    holder.close();
    session.rebuild();  // the same setting, now free
    ASSERT_TRUE(router.isListening());
    ASSERT_EQ(notes.size(), 2) << "the note goes once it listens";
    EXPECT_EQ(notes[1][1].toString(), QString());
    const quint16 port = router.listenPort();
    TestClient client("127.0.0.1", port);
    const auto prelude = client.prelude();
    ASSERT_GE(prelude.size(), 2u);
    EXPECT_EQ(prelude[1].lines[2], "Friendly name: Studio B") << "the section's name";
    EXPECT_TRUE(waitUntil([&] {
        return host.statusText("Network") ==
               QStringLiteral("网络控制：127.0.0.1:%1，1 个客户端").arg(port);
    }));
    EXPECT_EQ(host.status("Network").clients, 1);
    session.rebuild();  // unchanged: the client stays and gets the whole state
    EXPECT_EQ(remote::headers(client.take(7)).back(), "END PRELUDE");
    EXPECT_EQ(router.clientCount(), 1);
    EXPECT_EQ(notes.size(), 2);
}

// Another program (--set-web-password, an editor) changes MatrixConfig.con:
// the running host applies it without a rebuild.
TEST(ServiceHost, FollowsTheSettingsFileWhenAnotherProgramChangesIt) {
    test::ProgramFolder folder;
    QueuedPoster poster;
    MatrixSession session(folder.paths, poster, SessionOptions::queueOnly());
    session.start();
    ServiceHost host(session);
    host.add(std::make_unique<remote::RouterService>(session));
    host.start();
    const NetworkService& router = *host.service("Network");
    folder.setConfig("Network Control", "Port", "0");
    folder.setConfig("Network Control", "Enabled", "1");
    EXPECT_TRUE(waitUntil([&] { return router.isListening(); }));
    folder.setConfig("Network Control", "Enabled", "0");
    EXPECT_TRUE(waitUntil([&] { return !router.isListening(); }));
}

TEST(ServiceHost, ListsThePagesInOrderAndLogsTheServicesThatAreOff) {
    test::ProgramFolder folder;
    folder.setConfig("Web Control", "Enabled", "1");
    folder.setConfig("Web Control", "Address", "1.2.3");
    QueuedPoster poster;
    MatrixSession session(folder.paths, poster, SessionOptions::queueOnly());
    session.start();
    ServiceHost host(session);
    host.add(std::make_unique<remote::RouterService>(session));
    host.add(std::make_unique<web::WebService>(session));
    QSignalSpy log(&host, &ServiceHost::logMessage);
    host.start(/*logOff=*/true);

    std::vector<std::string> sections;
    for (const ServiceSettingsPage& page : host.settingsPages())
        sections.push_back(page.section);
    EXPECT_EQ(sections, (std::vector<std::string>{"Network Control", "Web Control"}));
    QStringList lines;
    for (const auto& line : log)
        lines << line.front().toString();
    EXPECT_TRUE(lines.contains(QStringLiteral(
        "network control is off (\"Enabled\" in section \"Network Control\" of MatrixConfig.con)")))
        << lines.join(QLatin1Char('\n')).toStdString();
    EXPECT_FALSE(lines.join(QLatin1Char('\n')).contains(QStringLiteral("web control is off")));
    EXPECT_EQ(host.statusText("Web"), QStringLiteral("网页控制：未能监听 1.2.3:8990"));
}

}  // namespace
}  // namespace mc::service
