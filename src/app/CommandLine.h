#pragma once

// The program's command line. With no option it is the window program (Qt's
// own single-dash options, such as "-platform offscreen", still reach Qt);
// "--headless" runs the session, the network control and the web panel
// without any window; "--set-web-password" reads a password from standard
// input, stores its hash as "PasswordHash" of "Web Control" and ends;
// "--program-folder DIR" (or "--program-folder=DIR") names the program
// folder in each, "--language zh|en" the language (text/Language.h); "--help" and "--version" print
// and end. Any other "--" option, a "--program-folder" without a folder, and in headless mode any
// other argument at all, is an error: usage on standard error, exit status 2.

#include <optional>
#include <string>

#include "config/ProgramFolder.h"
#include "text/Language.h"

namespace mc {

enum class RunMode { Window, Headless, SetWebPassword, Help, Version, BadUsage };

struct CommandLine {
    RunMode mode = RunMode::Window;
    std::string bad;                           // what was wrong, one line (BadUsage)
    std::optional<std::string> programFolder;  // --program-folder
    std::optional<Language> language;          // --language
};

CommandLine parseCommandLine(int argc, const char* const* argv);

// The usage text, ending with a newline; `folder` is the program folder the
// program would use now.
std::string usageText(const ProgramFolderChoice& folder);
// "matrix-control <version>" and a newline.
std::string versionText();

// How the folder was chosen, for --help and the first log line, e.g.
// "/home/ana/.config/matrix-control (the user's configuration folder)".
std::string folderText(const ProgramFolderChoice& folder);

}  // namespace mc
