// The program without a window: the session answers its own questions (on
// standard error), the network control and the web panel serve it, and a
// one-line log on standard error tells the start, the serial port's state,
// the listening addresses and each client and page.

#include <QCoreApplication>

#include <cstdio>

#include "app/Programs.h"
#include "config/AppPaths.h"
#include "control/MatrixSession.h"
#include "control/SessionObserver.h"
#include "service/ServiceHost.h"
#include "ui/QtUiPoster.h"
#include "ui/SignalWatch.h"
#include "ui/Translation.h"

namespace mc {

namespace {

const char* stateText(PortState state) {
    switch (state) {
        case PortState::Open:
            return "open";
        case PortState::Lost:
            return "lost (hang-up)";
        case PortState::NotOpen:
            break;
    }
    return "not open";
}

// Logs the serial port's state whenever the device comes or goes, and at
// every build.
class PortLog final : public ISessionObserver {
public:
    explicit PortLog(const MatrixSession& session) : m_session(session) {}

    void sessionChanged(const SessionChange& change) override {
        if (change.rebuilt) return log(m_session.portStatus());
        if (change.presence && change.port) log(*change.port);
    }

private:
    // A line the same as the last one (a build that found the port as the
    // open before it left it) is not repeated.
    void log(const PortStatus& status) {
        const QString line = QStringLiteral("serial port %1 (%2) %3 bit/s: %4")
                                 .arg(QString::fromStdString(m_session.settings().PortNum),
                                      QString::fromStdString(status.devicePath))
                                 .arg(status.baudRate)
                                 .arg(QLatin1String(stateText(status.state)));
        if (line == m_lastLine) return;
        m_lastLine = line;
        logLine(line);
    }

    const MatrixSession& m_session;
    QString m_lastLine;
};

}  // namespace

int runHeadlessProgram(int& argc, char** argv, const ProgramFolderChoice& folder,
                       Language language) {
    QCoreApplication app(argc, argv);
    if (!installLanguage(app, language))
        logLine(QStringLiteral("the English texts could not be loaded"));
    QCoreApplication::setApplicationName(QStringLiteral("澄砾矩阵控制"));

    // Installed before anything can take long: a signal during start-up ends
    // the program as soon as its event loop runs.
    SignalWatch watch;
    const AppPaths paths = openProgramFolder(folder, QStringLiteral("started without a window"));
    removeInterruptedSaves(paths);

    QtUiPoster poster;
    MatrixSession session(paths, poster);
    PortLog portLog(session);
    session.attach(portLog);
    session.start();
    logLine(QStringLiteral("model %1: %2 inputs, %3 outputs")
                .arg(QString::fromStdString(session.settings().MatrixNowUse))
                .arg(session.state().MatrixInputNum())
                .arg(session.state().MatrixOutputNum()));

    service::ServiceHost services(session);
    addServices(services, session);
    QObject::connect(&services, &service::ServiceHost::logMessage, &app, &logLine);
    services.start(/*logOff=*/true);

    // Later signals within SignalWatch::kForceAfter do not interrupt the save.
    bool ending = false;
    QObject::connect(&watch, &SignalWatch::signalled, &app, [&session, &ending](int signal) {
        if (ending) return;
        ending = true;
        logLine(QStringLiteral("signal %1: saving the names and ending").arg(signal));
        session.close();
        QCoreApplication::exit(0);
    });

    const int result = QCoreApplication::exec();
    session.detach(portLog);
    return result;
}

void logLine(const QString& line) {
    const QByteArray text = line.toUtf8();
    std::fprintf(stderr, "matrix-control: %s\n", text.constData());
    std::fflush(stderr);
}

}  // namespace mc
