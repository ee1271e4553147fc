// The announcer against a real Avahi daemon (host name "mc-test") on the
// private system bus of avahi-netns.sh, in a private network namespace. The
// daemon is not running at first; MC_AVAHI_START starts it. What the network
// sees is read with avahi-browse; another host on it is MC_AVAHI_PEER.

#include <gtest/gtest.h>

#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>

#include "announce/Announcer.h"

using namespace mc::announce;

namespace {

// The lines of an `avahi-browse -rp` run so far, split into fields, names
// decoded ("\032" is a byte in decimal).
struct Browser {
    QProcess process;
    QList<QStringList> lines;

    // Waits up to 10 s for a line of `kind` ('=' resolved, '-' removed) for
    // `name`; returns its fields.
    QStringList wait(QChar kind, const QString& name) {
        static const QRegularExpression escape(QStringLiteral(R"(\\(\d{3}))"));
        QStringList found;
        (void)QTest::qWaitFor(
            [&] {
                while (process.canReadLine()) {
                    lines.append(QString::fromUtf8(process.readLine().trimmed()).split(u';'));
                    QString& shown = lines.last()[qMin(3, lines.last().size() - 1)];
                    for (auto m = escape.match(shown); m.hasMatch(); m = escape.match(shown)) {
                        shown.replace(m.capturedStart(), 4, QChar(m.captured(1).toInt()));
                    }
                }
                for (const QStringList& fields : lines) {
                    if (fields.size() > 3 && fields[0] == kind && fields[3] == name) found = fields;
                }
                return !found.isEmpty();
            },
            10000);
        return found;
    }
};

bool avahiDaemon(const QString& command) {
    return QProcess::execute(QStringLiteral("sh"), {QStringLiteral("-c"), command}) == 0;
}

}  // namespace

TEST(AvahiLive, AnnouncesRenamesWithdrawsAndFollowsTheDaemon) {
    Browser browser;
    // Two programs: two connections to the bus, two ports and unique IDs.
    Announcer first;
    Announcer second(
        QDBusConnection::connectToBus(QDBusConnection::SystemBus, QStringLiteral("second")));
    for (Announcer* announcer : {&first, &second}) {  // shown with a failure
        QObject::connect(announcer, &Announcer::logMessage,
                         [](const QString& line) { std::printf("%s\n", qPrintable(line)); });
    }
    QSignalSpy firstLog(&first, &Announcer::logMessage);
    QSignalSpy firstUp(&first, &Announcer::established);
    QSignalSpy secondUp(&second, &Announcer::established);
    const ServiceRecord record = routerRecord(
        QStringLiteral("Test Model"), QStringLiteral("Studio A"), QStringLiteral("0123456789AB"),
        QStringLiteral("2.8"), 9990, QHostAddress(QHostAddress::AnyIPv4));
    ServiceRecord other = record;
    other.port = 9991;
    other.txt[2] = "unique id=0123456789AC";

    first.announce(QStringLiteral("router"), record);  // no daemon yet: said once
    first.announce(QStringLiteral("web"), webRecord(QStringLiteral("Test Model"), 8990, {}));
    ASSERT_TRUE(firstLog.wait(10000));
    second.announce(QStringLiteral("router"), other);
    first.announce(QStringLiteral("web"), webRecord(QStringLiteral("Test Model"), 8990,
                                                    QHostAddress(QHostAddress::AnyIPv6)));
    EXPECT_EQ(firstLog.count(), 1);
    EXPECT_TRUE(firstLog[0][0].toString().contains(QStringLiteral("Avahi")));

    ASSERT_TRUE(avahiDaemon(qEnvironmentVariable("MC_AVAHI_START")));
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return firstUp.size() == 2 && secondUp.size() == 1; }, 10000));
    browser.process.start(QStringLiteral("avahi-browse"),
                          {QStringLiteral("-rp"), QStringLiteral("_blackmagic._tcp")});
    const QString name = QStringLiteral("Test Model (mc-test)");
    const QString renamed = QStringLiteral("Test Model (mc-test) #2");
    const QStringList names = {first.nameInUse(QStringLiteral("router")),
                               second.nameInUse(QStringLiteral("router"))};
    EXPECT_TRUE(names == QStringList({name, renamed}) || names == QStringList({renamed, name}));
    EXPECT_EQ(first.nameInUse(QStringLiteral("web")),
              QStringLiteral("Test Model 网页控制 (mc-test)"));
    const QStringList fields = browser.wait(QLatin1Char('='), names[0]);
    ASSERT_EQ(fields.size(), 10);
    EXPECT_EQ(fields[8], QStringLiteral("9990"));
    EXPECT_EQ(fields[9], QStringLiteral("\"protocol version=2.8\" \"unique id=0123456789AB\" "
                                        "\"name=Studio A\" \"class=Videohub\""));
    EXPECT_EQ(browser.wait(QLatin1Char('='), names[1]).value(8), QStringLiteral("9991"));

    second.withdraw(QStringLiteral("router"));
    EXPECT_FALSE(browser.wait(QLatin1Char('-'), names[1]).isEmpty());

    // The daemon stops: said again, as announcing worked; back: announced again.
    firstLog.clear();
    firstUp.clear();
    ASSERT_TRUE(avahiDaemon(QStringLiteral("avahi-daemon -k")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !firstLog.isEmpty(); }, 10000));
    EXPECT_TRUE(firstLog[0][0].toString().contains(QStringLiteral("Avahi")));
    ASSERT_TRUE(avahiDaemon(qEnvironmentVariable("MC_AVAHI_START")));
    EXPECT_TRUE(QTest::qWaitFor([&] { return firstUp.size() == 2; }, 10000));
    EXPECT_EQ(first.nameInUse(QStringLiteral("router")), name);
}

TEST(AvahiLive, ANameAnotherHostHoldsIsGivenUpForTheAlternative) {
    ASSERT_TRUE(avahiDaemon(QStringLiteral("avahi-daemon -c || ") +
                            qEnvironmentVariable("MC_AVAHI_START")));
    // The other host holds the name before this one asks for it.
    QProcess peer;
    peer.setProcessChannelMode(QProcess::MergedChannels);
    peer.start(QStringLiteral("bash"),
               {qEnvironmentVariable("MC_AVAHI_PEER"), QStringLiteral("Test Model (mc-test)"),
                QStringLiteral("_blackmagic._tcp"), QStringLiteral("9990")});
    QByteArray said;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return (said += peer.readAll()).contains("Established under name"); }, 20000))
        << said.constData();

    Announcer announcer;
    QSignalSpy log(&announcer, &Announcer::logMessage);
    QSignalSpy up(&announcer, &Announcer::established);
    announcer.announce(QStringLiteral("router"),
                       routerRecord(QStringLiteral("Test Model"), QStringLiteral("Studio A"),
                                    QStringLiteral("0123456789AD"), QStringLiteral("2.8"), 9992,
                                    QHostAddress(QHostAddress::AnyIPv4)));
    EXPECT_TRUE(QTest::qWaitFor([&] { return up.size() == 1; }, 20000));
    EXPECT_EQ(announcer.nameInUse(QStringLiteral("router")),
              QStringLiteral("Test Model (mc-test) #2"));
    bool renamed = false;
    for (const QList<QVariant>& line : log)
        renamed |= line[0].toString().contains(QStringLiteral("已被占用"));
    EXPECT_TRUE(renamed);
    peer.terminate();
    EXPECT_TRUE(peer.waitForFinished(10000));
}
