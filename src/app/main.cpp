// matrix-control: reads the command line, chooses the program folder and the
// language, and runs the window program or the program without a window
// (CommandLine.h says which options do what, ProgramFolder.h how the folder
// is chosen, Language.h how the language is).

#include <cstdio>

#include "app/CommandLine.h"
#include "app/Programs.h"
#include "config/ProgramFolder.h"

int main(int argc, char** argv) {
    const mc::CommandLine line = mc::parseCommandLine(argc, argv);
    if (line.mode == mc::RunMode::Version) {
        std::fputs(mc::versionText().c_str(), stdout);
        return 0;
    }
    const mc::ProgramFolderChoice folder =
        mc::chooseProgramFolder(mc::FolderInputs::fromEnvironment(line.programFolder));
    const mc::Language language =
        mc::chooseLanguage(mc::LanguageInputs::fromEnvironment(line.language));
    switch (line.mode) {
        case mc::RunMode::Help:
            std::fputs(mc::usageText(folder).c_str(), stdout);
            return 0;
        case mc::RunMode::BadUsage:
            std::fprintf(stderr, "matrix-control: %s\n%s", line.bad.c_str(),
                         mc::usageText(folder).c_str());
            return 2;
        case mc::RunMode::SetWebPassword:
            return mc::runSetWebPassword(argc, argv, folder, language);
        case mc::RunMode::Headless:
            return mc::runHeadlessProgram(argc, argv, folder, language);
        case mc::RunMode::Window:
        case mc::RunMode::Version:
            break;
    }
    return mc::runWindowProgram(argc, argv, folder, language);
}
