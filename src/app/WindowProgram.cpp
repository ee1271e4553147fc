// The window program: sets the application title and desktop entry, opens
// the program folder (openProgramFolder), creates the control session and
// the four windows in their order (the control window, the configuration
// dialog, the about box, the mode-name dialog), starts the network control
// and the web panel beside them, shows the control window and runs the event
// loop until it is closed. The configuration dialog hashes a new web password
// with the web server's hashing. Qt's own platform options still apply.

#include <QApplication>
#include <QCoreApplication>
#include <QGuiApplication>

#include "app/Programs.h"
#include "config/AppPaths.h"
#include "control/MatrixSession.h"
#include "remote/RemoteControl.h"
#include "remote/VideohubServer.h"
#include "ui/AboutBox.h"
#include "ui/Dialogs.h"
#include "ui/MatrixConfigUnit.h"
#include "ui/ModeNameUnit.h"
#include "ui/QXRMainControl.h"
#include "ui/QtUiPoster.h"
#include "ui/TerminationWatch.h"
#include "ui/Translation.h"
#include "web/PasswordHash.h"
#include "web/WebControl.h"
#include "web/WebServer.h"

namespace mc {

namespace {

// The network control's state in the window: its status in the status bar's
// network field, the log on standard error, a bind failure once as a note
// (cleared when the server listens or is switched off).
void showNetworkControl(remote::RemoteControl& remote, TMatrixForm& form) {
    QObject::connect(&remote, &remote::RemoteControl::logMessage, &form, &logLine);
    QObject::connect(&remote, &remote::RemoteControl::statusChanged, &form,
                     [&remote, &form](const QString& text) {
                         form.showNetworkStatus(text);
                         if (remote.server().isListening() || text.isEmpty())
                             form.setNetworkNote(QString());
                     });
    QObject::connect(
        &remote, &remote::RemoteControl::bindFailed, &form, [&form](const QString& reason) {
            form.setNetworkNote(
                QCoreApplication::translate("WindowProgram", "网络控制未能启动：%1").arg(reason));
        });
    remote.applySettings();
    form.showNetworkStatus(remote.statusText());
}

// The web panel's state in the window, as the network control's.
void showWebControl(web::WebControl& web, TMatrixForm& form) {
    QObject::connect(&web, &web::WebControl::logMessage, &form, &logLine);
    QObject::connect(&web, &web::WebControl::statusChanged, &form,
                     [&web, &form](const QString& text) {
                         form.showWebStatus(text);
                         if (web.server().isListening() || text.isEmpty())
                             form.setWebNote(QString());
                     });
    QObject::connect(&web, &web::WebControl::bindFailed, &form, [&form](const QString& reason) {
        form.setWebNote(
            QCoreApplication::translate("WindowProgram", "网页控制未能启动：%1").arg(reason));
    });
    web.applySettings();
    form.showWebStatus(web.statusText());
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

    TConfigForm ConfigForm(session, dialogs, &MatrixForm);
    ConfigForm.setPasswordHasher(
        [](const QString& password) { return web::makePasswordHash(password).toStdString(); });
    MatrixForm.setConfigForm(&ConfigForm);

    TAboutBox AboutBox;
    AboutBox.setProgramFolder(QString::fromStdString(paths.programDir()));
    MatrixForm.setAboutBox(&AboutBox);

    TModeNameForm ModeNameForm(dialogs, &MatrixForm);
    MatrixForm.setModeNameForm(&ModeNameForm);

    remote::RemoteControl remote(session);
    showNetworkControl(remote, MatrixForm);
    web::WebControl web(session);
    showWebControl(web, MatrixForm);

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
