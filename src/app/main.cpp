// matrix-control: sets the application title, creates the control session and
// the four windows in their order (the control window, the configuration
// dialog, the about box, the mode-name dialog), shows the control window and
// runs the event loop until it is closed. Qt's own platform options still
// apply.

#include <QApplication>
#include <QGuiApplication>

#include "config/AppPaths.h"
#include "config/AtomicWrite.h"
#include "control/MatrixSession.h"
#include "ui/AboutBox.h"
#include "ui/Dialogs.h"
#include "ui/MatrixConfigUnit.h"
#include "ui/ModeNameUnit.h"
#include "ui/QXRMainControl.h"
#include "ui/QtUiPoster.h"
#include "ui/TerminationWatch.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("澄砾矩阵控制"));

    // Termination signals and the end of the desktop session close the window
    // as its close box does (FormClose runs once, whichever comes first),
    // closing any open box first; installed before the first box can appear.
    mc::TerminationWatch watch;
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &watch,
                     [&watch] { watch.terminate(); });
    QObject::connect(&watch, &mc::TerminationWatch::windowClosed, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);

    const mc::AppPaths paths = mc::AppPaths::fromExecutable();
    // Temporary files of a save that a kill interrupted in an earlier run.
    mc::removeStaleTempFiles(paths.configDir());
    mc::removeStaleTempFiles(paths.statusDir());

    mc::QtDialogs dialogs;
    mc::QtUiPoster poster;
    mc::MatrixSession session(paths, poster);
    mc::TMatrixForm MatrixForm(session, dialogs);

    mc::TConfigForm ConfigForm(session, dialogs, &MatrixForm);
    MatrixForm.setConfigForm(&ConfigForm);

    mc::TAboutBox AboutBox;
    MatrixForm.setAboutBox(&AboutBox);

    mc::TModeNameForm ModeNameForm(dialogs, &MatrixForm);
    MatrixForm.setModeNameForm(&ModeNameForm);

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
