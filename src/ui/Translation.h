#pragma once

// Installs the language chosen at start (text/Language.h): for English, Qt's
// translator with the program's English texts (built from
// translations/matrix-control_en.ts into the program's resources), and the
// core's translator hook on top of it, so that the windows, the session's
// notes and messages, the network adapters and the log all speak it. Chinese
// needs nothing: the texts are written in Chinese.
//
// Call once, right after the application object is made and before the
// session starts (the hook must be set before any other thread runs).

#include <QCoreApplication>

#include "text/Language.h"

namespace mc {

// False when the English texts could not be loaded (the program then speaks
// Chinese).
bool installLanguage(QCoreApplication& app, Language language);

// Takes the English texts out again (for tests that try both languages).
void removeLanguage(QCoreApplication& app);

// True while the English texts are installed: the windows' fixed geometry was
// made for the Chinese captions, and a control too narrow for its English
// caption is widened then (never in Chinese).
bool speaksEnglish();

}  // namespace mc
