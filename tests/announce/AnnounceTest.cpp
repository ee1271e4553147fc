// The announcement's rule and records, the announcer without a system bus,
// and the run against a real Avahi daemon inside a private network namespace
// (avahi-netns.sh with announce_live).

#include <gtest/gtest.h>

#include <QProcess>
#include <QSignalSpy>

#include "announce/Announcer.h"

using namespace mc::announce;

TEST(AnnounceRule, OnlyAListeningServiceOnAReachableAddress) {
    const QHostAddress lan(QStringLiteral("192.168.1.20"));
    EXPECT_TRUE(shouldAnnounce(true, true, lan));
    EXPECT_TRUE(shouldAnnounce(true, true, QHostAddress(QHostAddress::AnyIPv4)));
    EXPECT_TRUE(shouldAnnounce(true, true, QHostAddress(QHostAddress::AnyIPv6)));
    EXPECT_FALSE(shouldAnnounce(false, true, lan));  // "Announce=0"
    EXPECT_FALSE(shouldAnnounce(true, false, lan));  // the port was not bound
    EXPECT_FALSE(shouldAnnounce(true, true, QHostAddress(QStringLiteral("127.0.0.1"))));
    EXPECT_FALSE(shouldAnnounce(true, true, QHostAddress(QStringLiteral("127.4.5.6"))));
    EXPECT_FALSE(shouldAnnounce(true, true, QHostAddress(QStringLiteral("::1"))));
    EXPECT_FALSE(shouldAnnounce(true, true, QHostAddress()));
}

TEST(AnnounceRecords, RouterAndWebPanel) {
    const QHostAddress any(QHostAddress::Any);
    const ServiceRecord router =
        routerRecord(QStringLiteral("HD 16%"), QStringLiteral("演播室 A"),
                     QStringLiteral("0123456789AB"), QStringLiteral("2.8"), 9990, any);
    EXPECT_EQ(router.type, QStringLiteral("_blackmagic._tcp"));
    EXPECT_EQ(router.port, 9990);
    EXPECT_EQ(instanceName(router.name, QStringLiteral("studio")),
              QStringLiteral("HD 16% (studio)"));
    const QList<QByteArray> txt = {"class=Videohub", QStringLiteral("name=演播室 A").toUtf8(),
                                   "unique id=0123456789AB", "protocol version=2.8"};
    EXPECT_EQ(router.txt, txt);
    EXPECT_EQ(routerRecord({}, QString(300, QLatin1Char('x')), {}, {}, 1, any).txt[1].size(), 255);

    const ServiceRecord web = webRecord(QStringLiteral("DefaultMatrix"), 8990, any);
    EXPECT_EQ(web.type, QStringLiteral("_http._tcp"));
    EXPECT_EQ(web.port, 8990);
    EXPECT_EQ(web.txt, QList<QByteArray>{"path=/"});
    EXPECT_EQ(instanceName(web.name, QStringLiteral("pi")),
              QStringLiteral("DefaultMatrix 网页控制 (pi)"));
}

TEST(AnnounceRecords, LongNamesKeepTheHostName) {
    const QString name = instanceName(QString(40, QChar(0x7F51)) + QStringLiteral(" (%h)"),
                                      QStringLiteral("a-long-host-name"));
    EXPECT_LE(name.toUtf8().size(), kMaxInstanceNameBytes);
    EXPECT_TRUE(name.endsWith(QStringLiteral("网 (a-long-host-name)"))) << name.toStdString();
}

namespace {

const ServiceRecord kReachable =
    routerRecord(QStringLiteral("M"), QStringLiteral("M"), QStringLiteral("0123456789AB"),
                 QStringLiteral("2.8"), 9990, QHostAddress(QHostAddress::AnyIPv4));

}  // namespace

TEST(AnnouncerWithoutAvahi, NoSystemBusIsSaidOnceWhenThereIsSomethingToAnnounce) {
    const auto bus = QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/bus"),
                                                   QStringLiteral("none"));
    Announcer announcer(bus);
    QSignalSpy log(&announcer, &Announcer::logMessage);
    ServiceRecord loopback = kReachable;
    loopback.address = QHostAddress(QHostAddress::LocalHost);
    announcer.announce(QStringLiteral("a"), loopback);
    EXPECT_EQ(log.count(), 0);
    announcer.announce(QStringLiteral("a"), kReachable);
    announcer.announce(QStringLiteral("b"), kReachable);
    ASSERT_EQ(log.count(), 1);
    EXPECT_TRUE(log[0][0].toString().contains(QStringLiteral("Avahi")));
    EXPECT_TRUE(announcer.nameInUse(QStringLiteral("a")).isEmpty());
}

// Starts a private system bus and Avahi daemon in a private network
// namespace and runs announce_live there; skipped where no namespace can be
// made (exit status 77, the reason in the output).
TEST(AnnouncerWithAvahi, InAPrivateNetworkNamespace) {
    QProcess run;
    run.setProcessChannelMode(QProcess::MergedChannels);
    run.start(QStringLiteral("bash"),
              {QStringLiteral(MC_AVAHI_NETNS), QStringLiteral(MC_ANNOUNCE_LIVE)});
    ASSERT_TRUE(run.waitForFinished(180000));
    const std::string output = run.readAll().toStdString();
    if (run.exitCode() == 77) GTEST_SKIP() << output;
    EXPECT_EQ(run.exitCode(), 0) << output;
    std::printf("%s", output.c_str());
}
