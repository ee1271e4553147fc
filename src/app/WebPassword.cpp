// matrix-control --set-web-password: the web panel's password for machines
// without a display. Read from standard input; on a terminal it is asked
// twice with the echo off. Its hash goes to "PasswordHash" of "Web Control";
// the password itself is stored nowhere. An empty password removes it.

#include <termios.h>
#include <unistd.h>

#include <QCoreApplication>

#include <cstdio>
#include <iostream>
#include <string>

#include "app/Programs.h"
#include "config/AppPaths.h"
#include "config/IniFile.h"
#include "ui/Translation.h"
#include "web/PasswordHash.h"
#include "web/WebService.h"

namespace mc {

namespace {

// One line of standard input without its line end; nullopt at its end. On a
// terminal `prompt` goes to standard error and the echo is off.
std::optional<std::string> readSecret(const QString& prompt) {
    const bool terminal = ::isatty(STDIN_FILENO) == 1;
    termios saved{};
    if (terminal) {
        std::fputs(prompt.toUtf8().constData(), stderr);
        std::fflush(stderr);
        ::tcgetattr(STDIN_FILENO, &saved);
        termios quiet = saved;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    }
    std::string line;
    const bool got = static_cast<bool>(std::getline(std::cin, line));
    if (terminal) {
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
        std::fputs("\n", stderr);
    }
    if (!got && line.empty()) return std::nullopt;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

}  // namespace

int runSetWebPassword(int& argc, char** argv, const ProgramFolderChoice& folder,
                      Language language) {
    QCoreApplication app(argc, argv);
    if (!installLanguage(app, language))
        logLine(QStringLiteral("the English texts could not be loaded"));
    const std::optional<std::string> password =
        readSecret(QCoreApplication::translate("WebPassword", "网页控制密码："));
    if (!password) {
        logLine(QStringLiteral("no password on standard input; nothing changed"));
        return 1;
    }
    if (::isatty(STDIN_FILENO) == 1) {
        const std::optional<std::string> again =
            readSecret(QCoreApplication::translate("WebPassword", "再输入一次："));
        if (again != password) {
            logLine(QStringLiteral("the two passwords differ; nothing changed"));
            return 1;
        }
    }
    const AppPaths paths = openProgramFolder(folder, QStringLiteral("setting the web password"));
    const std::string hash =
        password->empty() ? std::string()
                          : web::makePasswordHash(QString::fromStdString(*password)).toStdString();
    try {
        paths.ensureConfigDir();
        iniWriteString(paths.mainConfigFile(), web::kWebSection, web::kWebPasswordHash, hash);
    } catch (const IniWriteError& error) {
        logLine(QString::fromStdString(error.what()));
        return 1;
    }
    logLine(hash.empty() ? QStringLiteral("web password removed")
                         : QStringLiteral("web password stored in %1")
                               .arg(QString::fromStdString(paths.mainConfigFile())));
    return 0;
}

}  // namespace mc
