// The built program, run as a process: its command line; the window program
// (offscreen) running on when its network port is taken; and --headless on a
// program folder of its own (a copy of the executable beside a "Matrix
// Config" whose COM1 is a pseudo-terminal) with no display and no Qt
// platform set: a client routes and names over TCP, the frame reaches the
// line, SIGTERM (and a SIGINT right after it) ends the program with status 0
// and the name is saved; an installed layout makes its folder in XDG_CONFIG_HOME;
// --set-web-password stores a password's hash.

#include <signal.h>

#include <gtest/gtest.h>
#include <QDeadlineTimer>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>

#include <filesystem>

#include "control/SessionTestUtil.h"
#include "web/PasswordHash.h"

namespace mc {
namespace {

const QString kProgram = QStringLiteral(MC_PROGRAM);

// Runs `program` with `args`; false when it does not end within 10 s.
bool run(QProcess& process, const QString& program, const QStringList& args) {
    process.start(program, args);
    return process.waitForFinished(10000);
}

TEST(CommandLine, HelpVersionAndUnknownOptions) {
    QProcess process;
    ASSERT_TRUE(run(process, kProgram, {QStringLiteral("--help")}));
    EXPECT_EQ(process.exitCode(), 0);
    EXPECT_TRUE(process.readAllStandardOutput().contains("--headless"));
    ASSERT_TRUE(run(process, kProgram, {QStringLiteral("--version")}));
    EXPECT_EQ(process.exitCode(), 0);
    EXPECT_TRUE(process.readAllStandardOutput().startsWith("matrix-control "));
    ASSERT_TRUE(
        run(process, kProgram,
            {QStringLiteral("--program-folder"), QStringLiteral("/srv/a"), QStringLiteral("-h")}));
    EXPECT_TRUE(process.readAllStandardOutput().contains(
        "Program folder now: /srv/a (--program-folder)\n"));
    ASSERT_TRUE(run(process, kProgram, {QStringLiteral("--language=en"), QStringLiteral("-h")}));
    EXPECT_EQ(process.exitCode(), 0);
    for (const char* bad : {"--nonsense", "stray", "--language=fr"}) {
        ASSERT_TRUE(
            run(process, kProgram, {QStringLiteral("--headless"), QString::fromLatin1(bad)}));
        EXPECT_EQ(process.exitCode(), 2) << bad;
        EXPECT_TRUE(process.readAllStandardError().contains("Usage:")) << bad;
    }
}

// Reads from `read` into `buffer` until it holds `text`; false after 10 s.
template <class Read>
bool readUntil(Read read, QByteArray& buffer, const QByteArray& text) {
    QDeadlineTimer deadline(10000);
    while (!buffer.contains(text)) {
        if (deadline.hasExpired()) return false;
        buffer += read();
    }
    return true;
}

// A copy of the program in the folder: it finds its files beside its own
// executable. Returns the copy's path.
QString copyProgram(const test::ProgramFolder& folder) {
    const std::string program = folder.dir.path() + "/matrix-control";
    std::filesystem::copy_file(MC_PROGRAM, program);
    std::filesystem::permissions(program, std::filesystem::perms::owner_all);
    return QString::fromStdString(program);
}

TEST(WindowProgram, ReportsAPortItCannotBindOnceAndRunsOn) {
    test::ProgramFolder folder;
    const QString program = copyProgram(folder);
    QTcpServer holder;  // holds the port the program is told to use
    ASSERT_TRUE(holder.listen(QHostAddress(QStringLiteral("127.0.0.1")), 0));
    folder.setConfig("Network Control", "Enabled", "1");
    folder.setConfig("Network Control", "Port", std::to_string(holder.serverPort()));

    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(environment);
    process.start(program, {});
    ASSERT_TRUE(process.waitForStarted(10000));
    QByteArray log;
    const auto readLog = [&] {
        process.waitForReadyRead(100);
        return process.readAllStandardError();
    };
    const QByteArray failure =
        "cannot listen on 127.0.0.1:" + QByteArray::number(holder.serverPort());
    ASSERT_TRUE(readUntil(readLog, log, failure)) << log.toStdString();
    // The window runs on without the server: its start-up frames reach the line.
    EXPECT_EQ(folder.pty.receive(12, std::chrono::seconds(10)).size(), 12u);

    ::kill(static_cast<pid_t>(process.processId()), SIGTERM);
    ASSERT_TRUE(process.waitForFinished(10000));
    log += process.readAllStandardError();
    EXPECT_EQ(process.exitCode(), 0);
    EXPECT_EQ(log.count(failure), 1) << log.toStdString();
}

// A free ephemeral port of 127.0.0.1.
quint16 freePort() {
    QTcpServer probe;
    return probe.listen(QHostAddress(QStringLiteral("127.0.0.1")), 0) ? probe.serverPort() : 0;
}

// The copy of the program in `folder`, headless with the network control on
// `port`, with no display and no Qt platform set. Returns once it listens
// (false when it does not within 10 s); `log` holds its standard error.
bool startHeadless(QProcess& process, const QString& program, quint16 port, QByteArray& log) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    process.setProcessEnvironment(environment);
    process.start(program, {QStringLiteral("--headless")});
    if (!process.waitForStarted(10000)) return false;
    const auto readLog = [&] {
        process.waitForReadyRead(100);
        return process.readAllStandardError();
    };
    return readUntil(readLog, log, "listening on 127.0.0.1:" + QByteArray::number(port));
}

TEST(Headless, ServesTheSessionWithoutADisplayAndSavesOnSigterm) {
    test::ProgramFolder folder;
    const QString program = copyProgram(folder);
    const quint16 port = freePort();
    folder.setConfig("Network Control", "Enabled", "1");
    folder.setConfig("Network Control", "Port", std::to_string(port));

    QProcess process;
    QByteArray log;
    ASSERT_TRUE(startHeadless(process, program, port, log)) << log.toStdString();
    const auto readLog = [&] {
        process.waitForReadyRead(100);
        return process.readAllStandardError();
    };

    QTcpSocket client;
    client.connectToHost(QHostAddress(QStringLiteral("127.0.0.1")), port);
    ASSERT_TRUE(client.waitForConnected(10000));
    const auto readClient = [&] {
        client.waitForReadyRead(100);
        return client.readAll();
    };
    QByteArray received;
    ASSERT_TRUE(readUntil(readClient, received, "END PRELUDE:\n\n"));
    EXPECT_TRUE(received.contains("Device present: true\n"));
    client.write("OUTPUT LABELS:\n1 Monitor\n\nVIDEO OUTPUT ROUTING:\n1 2\n\n");
    EXPECT_TRUE(readUntil(readClient, received, "VIDEO OUTPUT ROUTING:\n1 2\n\n"));
    EXPECT_TRUE(received.contains("OUTPUT LABELS:\n1 Monitor\n\n"));

    // Two start-up frames of 6 bytes, then the switch.
    const std::vector<std::uint8_t> line = folder.pty.receive(19, std::chrono::seconds(10));
    ASSERT_EQ(line.size(), 19u);
    EXPECT_EQ(std::vector<std::uint8_t>(line.end() - 7, line.end()), test::switchFrame(0x52, 2, 1));

    client.disconnectFromHost();
    EXPECT_TRUE(readUntil(readLog, log, "disconnected"));
    // A second signal right after the first must not cut the close's save short.
    ::kill(static_cast<pid_t>(process.processId()), SIGTERM);
    ::kill(static_cast<pid_t>(process.processId()), SIGINT);
    ASSERT_TRUE(process.waitForFinished(10000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0);
    EXPECT_EQ(folder.nameList("MatrixOutputStringList", "OutputString1"), "Monitor");
}

// Clients that read, ping and close, or connect and go, just before the
// signal: the program still ends with status 0 every time.
TEST(Headless, EndsCleanlyWhateverClientsDoAroundTheSignal) {
    test::ProgramFolder folder;
    const QString program = copyProgram(folder);
    const quint16 port = freePort();
    folder.setConfig("Network Control", "Enabled", "1");
    folder.setConfig("Network Control", "Port", std::to_string(port));
    for (int run = 0; run < 8; ++run) {
        QProcess process;
        QByteArray log;
        ASSERT_TRUE(startHeadless(process, program, port, log)) << log.toStdString();
        QTcpSocket reader;
        reader.connectToHost(QHostAddress(QStringLiteral("127.0.0.1")), port);
        ASSERT_TRUE(reader.waitForConnected(10000));
        const auto readReader = [&] {
            reader.waitForReadyRead(100);
            return reader.readAll();
        };
        QByteArray received;
        ASSERT_TRUE(readUntil(readReader, received, "END PRELUDE:\n\n"));
        reader.write("PING:\n\n");
        ASSERT_TRUE(readUntil(readReader, received, "ACK\n\n"));
        reader.close();
        std::vector<std::unique_ptr<QTcpSocket>> passing(8);
        for (auto& client : passing) {
            client = std::make_unique<QTcpSocket>();
            client->connectToHost(QHostAddress(QStringLiteral("127.0.0.1")), port);
            if (client->waitForConnected(10000)) client->write("PING:\n\n");
            client->waitForBytesWritten(1000);
            client->abort();
        }
        ::kill(static_cast<pid_t>(process.processId()), run % 2 == 0 ? SIGTERM : SIGHUP);
        ASSERT_TRUE(process.waitForFinished(10000)) << run;
        log += process.readAllStandardError();
        ASSERT_EQ(process.exitStatus(), QProcess::NormalExit) << run << log.toStdString();
        ASSERT_EQ(process.exitCode(), 0) << run << log.toStdString();
    }
}

TEST(Headless, StartsANewFolderInXdgConfigHomeFromTheShippedDefaults) {
    namespace fs = std::filesystem;
    test::TempDir dir;  // bin/matrix-control, share/matrix-control/, config/
    test::Pty pty;
    fs::create_directories(dir.file("bin"));
    fs::copy(fs::path(MC_PROGRAM).parent_path() / "../share", dir.file("share"),
             fs::copy_options::recursive);
    fs::copy_file(MC_PROGRAM, dir.file("bin/matrix-control"));
    // One more default, so that no test opens a real serial port.
    test::writeBytes(dir.file("share/matrix-control/MatrixConfig.con"),
                     "[Serial Port Map]\nCOM1=" + pty.slavePath() + "\n");
    QProcess process;
    auto environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"),
                       QString::fromStdString(dir.file("config")));
    process.setProcessEnvironment(environment);
    process.start(QString::fromStdString(dir.file("bin/matrix-control")),
                  {QStringLiteral("--headless")});
    QByteArray log;
    ASSERT_TRUE(readUntil(
        [&] {
            process.waitForReadyRead(100);
            return process.readAllStandardError();
        },
        log, "bit/s: open"))
        << log.toStdString();
    const std::string folder = dir.file("config/matrix-control");
    EXPECT_TRUE(log.startsWith(
        QByteArray::fromStdString("matrix-control: started without a window, program folder " +
                                  folder + " (the user's configuration folder)\n")));
    EXPECT_TRUE(log.contains("copied MatrixConfig.con, MatrixMode.xml, MatrixModelConfig.con"));
    ::kill(static_cast<pid_t>(process.processId()), SIGTERM);
    EXPECT_TRUE(process.waitForFinished(10000));
}

// --set-web-password: a line on standard input becomes a hash that checks
// against it and nothing else; an empty line removes it; no input changes
// nothing.
TEST(SetWebPassword, StoresOnlyAVerifyingHashAndAnEmptyLineRemovesIt) {
    test::ProgramFolder folder;
    const QString program = copyProgram(folder);
    const auto feed = [&](const QByteArray& input) {
        QProcess process;
        process.start(program, {QStringLiteral("--set-web-password")});
        process.write(input);
        process.closeWriteChannel();
        return process.waitForFinished(10000) ? process.exitCode() : -1;
    };
    ASSERT_EQ(feed("秘密 word\n"), 0);
    const QString hash = QString::fromStdString(folder.config("Web Control", "PasswordHash"));
    EXPECT_TRUE(hash.startsWith(QStringLiteral("pbkdf2-sha256$120000$"))) << hash.toStdString();
    EXPECT_TRUE(web::checkPassword(hash, "秘密 word"));
    EXPECT_FALSE(web::checkPassword(hash, "秘密 word\n"));
    EXPECT_EQ(feed(""), 1);
    EXPECT_EQ(folder.config("Web Control", "PasswordHash"), hash.toStdString());
    ASSERT_EQ(feed("\n"), 0);
    EXPECT_EQ(folder.config("Web Control", "PasswordHash"), "");
}

}  // namespace
}  // namespace mc
