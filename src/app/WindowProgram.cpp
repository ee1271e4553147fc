// The window program: sets the application title and desktop entry, opens
// the program folder (openProgramFolder), creates the control session and
// the four windows in their order (the control window, the configuration
// dialog, the about box, the mode-name dialog), starts the network services
// beside them (their pages in the configuration dialog, their states in the
// status bar), shows the control window and runs the event loop until it is
// closed. Qt's own platform options still apply.

#include <QApplication>
#include <QCoreApplication>
#include <QGuiApplication>

#include "app/Programs.h"
#include "config/AppPaths.h"
#include "control/MatrixSession.h"
#include "service/ServiceHost.h"
#include "ui/AboutBox.h"
#include "ui/Dialogs.h"
#include "ui/MatrixConfigUnit.h"
#include "ui/ModeNameUnit.h"
#include "ui/QXRMainControl.h"
#include "ui/QtUiPoster.h"
#include "ui/TerminationWatch.h"
#include "ui/Translation.h"

namespace mc {

namespace {

// The services' states in the window: each one's status in its status bar
// field, its failure to start once as a note, the log on standard error.
void showServices(service::ServiceHost& host, TMatrixForm& form) {
    // The fields stand in the services' order, hidden while empty.
    for (const service::NetworkService* service : host.services())
        form.showServiceStatus(QString::fromStdString(service->id()), QString());
    QObject::connect(&host, &service::ServiceHost::logMessage, &form, &logLine);
    QObject::connect(&host, &service::ServiceHost::statusChanged, &form,
                     &TMatrixForm::showServiceStatus);
    QObject::connect(&host, &service::ServiceHost::noteChanged, &form,
                     &TMatrixForm::setServiceNote);
    host.start();
}

}  // namespace

int runWindowProgram(int& argc, char** argv, const ProgramFolderChoice& folder, Language language) {
    QApplication app(argc, argv);
    if (!installLanguage(app, language))
        logLine(QStringLiteral("the English texts could not be loaded"));
    QApplication::setApplicationName(QStringLiteral("澄砾矩阵控制"));
    // The desktop entry's name: the desktop finds the icon and groups the window by it.
    QGuiApplication::setDesktopFileName(QStringLiteral("matrix-control"));

    // Termination signals and the end of the desktop session close the window
    // as its close box does (FormClose runs once, whichever comes first),
    // closing any open box first; installed before the first box can appear.
    TerminationWatch watch;
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &watch,
                     [&watch] { watch.terminate(); });
    QObject::connect(&watch, &TerminationWatch::windowClosed, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);

    const AppPaths paths = openProgramFolder(folder, QStringLiteral("started"));
    removeInterruptedSaves(paths);

    QtDialogs dialogs;
    QtUiPoster poster;
    MatrixSession session(paths, poster);
    TMatrixForm MatrixForm(session, dialogs);  // starts the session

    service::ServiceHost services(session);
    addServices(services, session);

    TConfigForm ConfigForm(session, dialogs, &MatrixForm);
    ConfigForm.setServicePages(services.settingsPages());
    MatrixForm.setConfigForm(&ConfigForm);

    TAboutBox AboutBox;
    AboutBox.setProgramFolder(QString::fromStdString(paths.programDir()));
    MatrixForm.setAboutBox(&AboutBox);

    TModeNameForm ModeNameForm(dialogs, &MatrixForm);
    MatrixForm.setModeNameForm(&ModeNameForm);

    showServices(services, MatrixForm);

    QObject::connect(&app, &QCoreApplication::aboutToQuit, &MatrixForm,
                     [&MatrixForm] { MatrixForm.FormClose(); });

    MatrixForm.show();
    watch.watch(MatrixForm);
    const int result = QApplication::exec();
    MatrixForm.setConfigForm(nullptr);
    MatrixForm.setAboutBox(nullptr);
    MatrixForm.setModeNameForm(nullptr);
    return result;
}

}  // namespace mc
