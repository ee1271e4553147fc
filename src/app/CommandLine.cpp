#include "app/CommandLine.h"

#include <optional>
#include <string>
#include <string_view>
#include <utility>

#ifndef MC_VERSION
#define MC_VERSION "unknown"
#endif

namespace mc {

namespace {

constexpr std::string_view kFolderOption = "--program-folder";
constexpr std::string_view kLanguageOption = "--language";

}  // namespace

CommandLine parseCommandLine(int argc, const char* const* argv) {
    const auto bad = [](std::string why) {
        return CommandLine{RunMode::BadUsage, std::move(why), {}, {}};
    };
    const auto unknown = [&bad](std::string_view arg) {
        return bad("unknown option '" + std::string(arg) + "'");
    };
    CommandLine line;
    bool headless = false;
    bool help = false;
    bool setPassword = false;
    std::string other;  // the first argument left for Qt
    for (int k = 1; k < argc; ++k) {
        const std::string_view arg = argv[k];
        // The value of an option that takes one: "--name value" or "--name=value".
        const auto valueOf = [&](std::string_view name) -> std::optional<std::string_view> {
            if (arg == name) return k + 1 < argc ? argv[++k] : "";
            if (arg.starts_with(name) && arg.size() > name.size() && arg[name.size()] == '=')
                return arg.substr(name.size() + 1);
            return std::nullopt;
        };
        if (const auto folder = valueOf(kFolderOption)) {
            if (folder->empty()) return bad("--program-folder needs a folder");
            line.programFolder = std::string(*folder);
        } else if (const auto language = valueOf(kLanguageOption)) {
            line.language = parseLanguage(*language);
            if (!line.language) return bad("--language takes zh or en");
        } else if (arg == "--help" || arg == "-h") {
            help = true;
        } else if (arg == "--version") {
            return {RunMode::Version, {}, {}, {}};
        } else if (arg == "--headless") {
            headless = true;
        } else if (arg == "--set-web-password") {
            setPassword = true;
        } else if (arg.starts_with("--")) {
            return unknown(arg);
        } else if (other.empty()) {
            other = arg;
        }
    }
    if (help) {
        line.mode = RunMode::Help;
    } else if (setPassword) {
        line.mode = RunMode::SetWebPassword;
    } else if (headless && !other.empty()) {
        return unknown(other);
    } else {
        line.mode = headless ? RunMode::Headless : RunMode::Window;
    }
    return line;
}

std::string folderText(const ProgramFolderChoice& folder) {
    switch (folder.source) {
        case FolderSource::CommandLine:
            return folder.folder + " (--program-folder)";
        case FolderSource::BesideExecutable:
            return folder.folder + " (\"Matrix Config\" beside the executable)";
        case FolderSource::UserConfig:
            break;
    }
    return folder.folder + " (the user's configuration folder)";
}

std::string usageText(const ProgramFolderChoice& folder) {
    return "Usage: matrix-control [--headless] [--program-folder DIR] [--language zh|en]\n"
           "                      [Qt options]\n"
           "       matrix-control --set-web-password [--program-folder DIR]\n"
           "       matrix-control --help | --version\n"
           "\n"
           "Controls a crosspoint matrix switcher over its serial line. The program\n"
           "keeps its files in \"Matrix Config\" and \"Matrix Status\" in its program\n"
           "folder: the one given with --program-folder; else the executable's folder\n"
           "when \"Matrix Config\" is there; else $XDG_CONFIG_HOME/matrix-control\n"
           "(~/.config/matrix-control), filled with the shipped defaults on first start.\n"
           "\n"
           "  (no option)            the control window\n"
           "  --headless             no window and no display: the session, the network\n"
           "                         control and the web panel (sections \"Network\n"
           "                         Control\" and \"Web Control\" of MatrixConfig.con);\n"
           "                         a one-line log on standard error; SIGTERM, SIGINT\n"
           "                         or SIGHUP saves the names and exits\n"
           "  --set-web-password     reads the web panel's password from standard input\n"
           "                         (twice, without echo, on a terminal), stores its\n"
           "                         hash in section \"Web Control\" and exits; an empty\n"
           "                         password removes it\n"
           "  --program-folder DIR   keep the files in DIR (created when missing)\n"
           "  --language zh|en       speak Chinese or English; without it, English when\n"
           "                         the locale (LC_ALL, LC_MESSAGES, LANG) is en*,\n"
           "                         Chinese otherwise\n"
           "  --help                 this text\n"
           "  --version              the program's version\n"
           "\n"
           "Program folder now: " +
           folderText(folder) + "\n";
}

std::string versionText() {
    return std::string("matrix-control ") + MC_VERSION + "\n";
}

}  // namespace mc
