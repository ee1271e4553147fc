#pragma once

// The program's command line. With no option it is the window program (Qt's
// own single-dash options, such as "-platform offscreen", still reach Qt);
// "--headless" runs the session and the network control without any window;
// "--set-web-password" reads a password from standard input, stores its hash
// as "PasswordHash" of "Web Control" and ends; "--help" and "--version" print
// and end. Any other "--" option, and in
// headless mode any other argument at all, is an error: usage on standard
// error, exit status 2.

#include <string>

namespace mc {

enum class RunMode { Window, Headless, SetWebPassword, Help, Version, BadUsage };

struct CommandLine {
    RunMode mode = RunMode::Window;
    std::string bad;  // the argument that was not understood (BadUsage)
};

CommandLine parseCommandLine(int argc, const char* const* argv);

// The usage text, ending with a newline.
std::string usageText();
// "matrix-control <version>" and a newline.
std::string versionText();

}  // namespace mc
