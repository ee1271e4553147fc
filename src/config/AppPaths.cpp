#include "config/AppPaths.h"

#include <unistd.h>

#include <filesystem>
#include <string>
#include <system_error>
#include <utility>

namespace mc {

namespace fs = std::filesystem;

AppPaths AppPaths::fromExecutable() {
    std::error_code error;
    fs::path exe = fs::read_symlink("/proc/self/exe", error);
    if (error) exe = fs::current_path(error) / "matrix-control";
    std::string dir = exe.parent_path().string();
    while (dir.size() > 1 && dir.back() == '/')
        dir.pop_back();
    return AppPaths(dir);
}

AppPaths::AppPaths(std::string programDir) : m_programDir(std::move(programDir)) {}

std::string AppPaths::configDir() const {
    return m_programDir.ends_with('/') ? m_programDir + "Matrix Config"
                                       : m_programDir + "/Matrix Config";
}

std::string AppPaths::configFile(const std::string& name) const {
    return configDir() + "/" + name;
}

std::string AppPaths::statusDir() const {
    return m_programDir.ends_with('/') ? m_programDir + "Matrix Status"
                                       : m_programDir + "/Matrix Status";
}

void AppPaths::ensureConfigDir() const {
    std::error_code ignored;
    fs::create_directories(configDir(), ignored);
}

void AppPaths::ensureStatusDir() const {
    std::error_code ignored;
    fs::create_directories(statusDir(), ignored);
}

void AppPaths::restoreCurrentDirectory() const {
    // A program folder that has gone away leaves the current directory as it is.
    [[maybe_unused]] int ignored = ::chdir(m_programDir.c_str());
}

}  // namespace mc
