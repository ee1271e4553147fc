#pragma once

// Which folder is the program folder (the one that holds "Matrix Config" and
// "Matrix Status"), and filling a new one with the shipped defaults. The
// program asks once, at start, before the session opens any file:
//   1. the folder given with --program-folder;
//   2. the executable's folder when "Matrix Config" exists beside it (a
//      portable installation, or one copied from Windows);
//   3. $XDG_CONFIG_HOME/matrix-control, or ~/.config/matrix-control when
//      XDG_CONFIG_HOME is unset, empty or not an absolute path.
// The shipped defaults (a model table and an empty mode file) live in
// ../share/matrix-control beside the executable's folder: the build tree and
// an installation under /usr or /usr/local alike.

#include <optional>
#include <string>
#include <vector>

namespace mc {

enum class FolderSource { CommandLine, BesideExecutable, UserConfig };

// What the choice is made from; fromEnvironment() fills it for this process.
struct FolderInputs {
    std::optional<std::string> given;  // --program-folder, as typed
    std::string executableDir;         // the running executable's folder
    std::string xdgConfigHome;         // $XDG_CONFIG_HOME ("" when unset)
    std::string home;                  // $HOME, else the user's entry in the password file

    static FolderInputs fromEnvironment(std::optional<std::string> given);
};

struct ProgramFolderChoice {
    std::string folder;  // absolute, without a trailing separator
    FolderSource source = FolderSource::UserConfig;
};

// Applies the order above. Looks at the file system only to see whether
// "Matrix Config" exists beside the executable; creates nothing. A relative
// --program-folder is taken from the current directory.
ProgramFolderChoice chooseProgramFolder(const FolderInputs& inputs);

// The folder of the shipped defaults for an executable in `executableDir`.
std::string defaultsDir(const std::string& executableDir);

// When `programFolder` has no "Matrix Config" yet, creates it (with any
// missing parents) and copies every regular file of `defaults` into it.
// Returns the names of the files copied, sorted; empty when the folder was
// already there or there was nothing to copy. Does nothing to an existing
// folder. Failures are not reported here: the session reports the writes
// that fail later.
std::vector<std::string> seedProgramFolder(const std::string& programFolder,
                                           const std::string& defaults);

}  // namespace mc
