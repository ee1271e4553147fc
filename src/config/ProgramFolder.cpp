#include "config/ProgramFolder.h"

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <utility>

#include "config/AppPaths.h"

namespace mc {

namespace fs = std::filesystem;

namespace {

std::string environmentValue(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

// `path` made absolute and lexically normal, without a trailing separator.
std::string cleanFolder(const fs::path& path) {
    std::error_code error;
    fs::path absolute = fs::absolute(path, error);
    if (error) absolute = path;
    std::string text = absolute.lexically_normal().string();
    while (text.size() > 1 && text.back() == '/')
        text.pop_back();
    return text;
}

}  // namespace

FolderInputs FolderInputs::fromEnvironment(std::optional<std::string> given) {
    FolderInputs inputs;
    inputs.given = std::move(given);
    inputs.executableDir = AppPaths::fromExecutable().programDir();
    inputs.xdgConfigHome = environmentValue("XDG_CONFIG_HOME");
    inputs.home = environmentValue("HOME");
    if (inputs.home.empty()) {
        if (const passwd* entry = ::getpwuid(::getuid()); entry != nullptr && entry->pw_dir)
            inputs.home = entry->pw_dir;
    }
    return inputs;
}

ProgramFolderChoice chooseProgramFolder(const FolderInputs& inputs) {
    if (inputs.given) return {cleanFolder(*inputs.given), FolderSource::CommandLine};

    std::error_code error;
    if (fs::exists(AppPaths(inputs.executableDir).configDir(), error))
        return {cleanFolder(inputs.executableDir), FolderSource::BesideExecutable};

    const fs::path xdg(inputs.xdgConfigHome);
    const fs::path base = xdg.is_absolute() ? xdg : fs::path(inputs.home) / ".config";
    return {cleanFolder(base / "matrix-control"), FolderSource::UserConfig};
}

std::string defaultsDir(const std::string& executableDir) {
    return cleanFolder(fs::path(executableDir) / ".." / "share" / "matrix-control");
}

std::vector<std::string> seedProgramFolder(const std::string& programFolder,
                                           const std::string& defaults) {
    const AppPaths paths(programFolder);
    std::error_code error;
    if (fs::exists(paths.configDir(), error) || error) return {};
    paths.ensureConfigDir();

    std::vector<std::string> copied;
    for (fs::directory_iterator entry(defaults, error), end; !error && entry != end;
         entry.increment(error)) {
        std::error_code ignored;
        if (!entry->is_regular_file(ignored)) continue;
        const std::string name = entry->path().filename().string();
        if (fs::copy_file(entry->path(), paths.configFile(name), ignored)) copied.push_back(name);
    }
    std::sort(copied.begin(), copied.end());
    return copied;
}

}  // namespace mc
