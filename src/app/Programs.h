#pragma once

// The programs main() chooses between, and the log they share. Each creates
// its application object from argc and argv (which must stay valid while it
// runs), speaks `language` (installLanguage) and returns the exit status.

#include <QString>

#include "config/AppPaths.h"
#include "config/AtomicWrite.h"
#include "config/ProgramFolder.h"
#include "text/Language.h"

namespace mc {

class MatrixSession;
namespace service {
class ServiceHost;
}

// The control window, with the network services beside it, on the files of
// `folder`.
int runWindowProgram(int& argc, char** argv, const ProgramFolderChoice& folder, Language language);

// The session and the network services on a QCoreApplication: no window, no
// GUI platform. Ends with exit status 0 on SIGTERM, SIGINT or SIGHUP after
// closing the session (which saves the names).
int runHeadlessProgram(int& argc, char** argv, const ProgramFolderChoice& folder,
                       Language language);

// Logs the program's first line ("<start>, program folder <folder>"), fills a
// new program folder with the shipped defaults (and logs which files it
// copied) and returns the folder's paths.
AppPaths openProgramFolder(const ProgramFolderChoice& folder, const QString& start);

// --set-web-password: reads the web password from standard input, stores its
// hash in the program folder `folder` and returns the exit status (0: stored
// or removed).
int runSetWebPassword(int& argc, char** argv, const ProgramFolderChoice& folder, Language language);

// Registers the program's network services with `host` (Services.cpp).
void addServices(service::ServiceHost& host, MatrixSession& session);

// Removes the temporary files of saves that a kill interrupted in an earlier
// run, in the configuration and status folders (never one a running instance
// is writing).
inline void removeInterruptedSaves(const AppPaths& paths) {
    removeStaleTempFiles(paths.configDir());
    removeStaleTempFiles(paths.statusDir());
}

// "matrix-control: <line>" on standard error.
void logLine(const QString& line);

}  // namespace mc
