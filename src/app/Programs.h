#pragma once

// The two programs main() chooses between, and the log they share. Each
// creates its application object from argc and argv (which must stay valid
// while it runs) and returns the exit status.

#include <QString>

#include "config/AppPaths.h"
#include "config/AtomicWrite.h"

namespace mc {

// The control window, with the network control beside it.
int runWindowProgram(int& argc, char** argv);

// The session and the network control on a QCoreApplication: no window, no
// GUI platform. Ends with exit status 0 on SIGTERM, SIGINT or SIGHUP after
// closing the session (which saves the names).
int runHeadlessProgram(int& argc, char** argv);

// --set-web-password: reads the web password from standard input, stores its
// hash and returns the exit status (0: stored or removed).
int runSetWebPassword(int& argc, char** argv);

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
