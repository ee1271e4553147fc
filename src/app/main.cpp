// matrix-control: reads the command line and runs the window program or the
// program without a window (CommandLine.h says which options do what).

#include <cstdio>

#include "app/CommandLine.h"
#include "app/Programs.h"

int main(int argc, char** argv) {
    const mc::CommandLine line = mc::parseCommandLine(argc, argv);
    switch (line.mode) {
        case mc::RunMode::Help:
            std::fputs(mc::usageText().c_str(), stdout);
            return 0;
        case mc::RunMode::Version:
            std::fputs(mc::versionText().c_str(), stdout);
            return 0;
        case mc::RunMode::BadUsage:
            std::fprintf(stderr, "matrix-control: unknown option '%s'\n%s", line.bad.c_str(),
                         mc::usageText().c_str());
            return 2;
        case mc::RunMode::SetWebPassword:
            return mc::runSetWebPassword(argc, argv);
        case mc::RunMode::Headless:
            return mc::runHeadlessProgram(argc, argv);
        case mc::RunMode::Window:
            break;
    }
    return mc::runWindowProgram(argc, argv);
}
