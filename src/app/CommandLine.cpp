#include "app/CommandLine.h"

#include <string_view>

#ifndef MC_VERSION
#define MC_VERSION "unknown"
#endif

namespace mc {

CommandLine parseCommandLine(int argc, const char* const* argv) {
    CommandLine line;
    bool headless = false;
    std::string other;  // the first argument left for Qt
    for (int k = 1; k < argc; ++k) {
        const std::string_view arg = argv[k];
        if (arg == "--help" || arg == "-h") return {RunMode::Help, {}};
        if (arg == "--version") return {RunMode::Version, {}};
        if (arg == "--set-web-password") return {RunMode::SetWebPassword, {}};
        if (arg == "--headless") {
            headless = true;
        } else if (arg.starts_with("--")) {
            return {RunMode::BadUsage, std::string(arg)};
        } else if (other.empty()) {
            other = arg;
        }
    }
    if (headless && !other.empty()) return {RunMode::BadUsage, other};
    line.mode = headless ? RunMode::Headless : RunMode::Window;
    return line;
}

std::string usageText() {
    return "Usage: matrix-control [--headless | --set-web-password | --help | --version]\n"
           "                      [Qt options]\n"
           "\n"
           "Controls a crosspoint matrix switcher over its serial line. The program\n"
           "keeps its files in \"Matrix Config\" beside the executable.\n"
           "\n"
           "  (no option)   the control window\n"
           "  --headless    no window and no display: the session, the network\n"
           "                control and the web panel (sections \"Network Control\" and\n"
           "                \"Web Control\" of MatrixConfig.con);\n"
           "                a one-line log on standard error; SIGTERM, SIGINT or\n"
           "                SIGHUP saves the names and exits\n"
           "  --set-web-password\n"
           "                reads the web panel's password from standard input\n"
           "                (twice, without echo, on a terminal), stores its hash in\n"
           "                section \"Web Control\" of MatrixConfig.con and exits;\n"
           "                an empty password removes it\n"
           "  --help        this text\n"
           "  --version     the program's version\n";
}

std::string versionText() {
    return std::string("matrix-control ") + MC_VERSION + "\n";
}

}  // namespace mc
