#include "serial/PortHolders.h"
#include "text/Text.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fstream>

namespace mc {

namespace {

struct Target {
    bool known = false;
    struct stat info {};
    std::string path;
    std::string resolved;
};

std::string readLink(const std::string& link) {
    char buffer[PATH_MAX];
    const ssize_t length = ::readlink(link.c_str(), buffer, sizeof buffer - 1);
    if (length <= 0) return {};
    return std::string(buffer, static_cast<std::size_t>(length));
}

bool sameFile(const Target& target, const std::string& fdLink) {
    struct stat info {};
    if (target.known && ::stat(fdLink.c_str(), &info) == 0) {
        if (info.st_dev == target.info.st_dev && info.st_ino == target.info.st_ino) return true;
        if (S_ISCHR(info.st_mode) && S_ISCHR(target.info.st_mode) &&
            info.st_rdev == target.info.st_rdev) {
            return true;
        }
    }
    const std::string named = readLink(fdLink);
    return !named.empty() && (named == target.path || named == target.resolved);
}

bool allDigits(const char* name) {
    if (*name == '\0') return false;
    for (; *name != '\0'; ++name) {
        if (*name < '0' || *name > '9') return false;
    }
    return true;
}

bool holds(const std::string& fdFolder, const Target& target) {
    DIR* folder = ::opendir(fdFolder.c_str());
    if (folder == nullptr) return false;  // gone, or another user's process
    bool found = false;
    while (const dirent* entry = ::readdir(folder)) {
        if (!allDigits(entry->d_name)) continue;
        if (sameFile(target, fdFolder + "/" + entry->d_name)) {
            found = true;
            break;
        }
    }
    ::closedir(folder);
    return found;
}

std::string commandOf(const std::string& processFolder) {
    std::ifstream file(processFolder + "/comm");
    std::string command;
    std::getline(file, command);
    return command;
}

}  // namespace

std::vector<PortHolder> findPortHolders(const std::string& path, const std::string& procRoot) {
    std::vector<PortHolder> holders;
    if (path.empty()) return holders;
    Target target;
    target.path = path;
    target.known = ::stat(path.c_str(), &target.info) == 0;
    if (char* resolved = ::realpath(path.c_str(), nullptr)) {
        target.resolved = resolved;
        std::free(resolved);
    }

    DIR* proc = ::opendir(procRoot.c_str());
    if (proc == nullptr) return holders;
    while (const dirent* entry = ::readdir(proc)) {
        if (!allDigits(entry->d_name)) continue;
        const std::string processFolder = procRoot + "/" + entry->d_name;
        if (holds(processFolder + "/fd", target)) {
            holders.push_back({std::atoi(entry->d_name), commandOf(processFolder)});
        }
    }
    ::closedir(proc);
    std::sort(holders.begin(), holders.end(),
              [](const PortHolder& a, const PortHolder& b) { return a.pid < b.pid; });
    return holders;
}

bool isPortBusy(int errorCode) {
    return errorCode == EBUSY || errorCode == EWOULDBLOCK;
}

std::string describeHolders(const std::vector<PortHolder>& holders) {
    std::string text;
    for (const PortHolder& holder : holders) {
        if (!text.empty()) text += ", ";
        text += (holder.command.empty() ? std::string("?") : holder.command) + " (pid " +
                std::to_string(holder.pid) + ")";
    }
    return text;
}

std::string portBusyReason(const std::string& path, const std::string& procRoot) {
    std::string reason = translated("PortHolders", "设备正被另一个程序使用");
    const std::vector<PortHolder> holders = findPortHolders(path, procRoot);
    for (std::size_t i = 0; i < holders.size(); ++i) {
        reason += i == 0 ? translated("PortHolders", "：") : translated("PortHolders", "、");
        const std::string& command = holders[i].command;
        reason += formatText(
            translated("PortHolders", "%1（进程 %2）"),
            {command.empty() ? std::string("?") : command, std::to_string(holders[i].pid)});
    }
    return reason;
}

}  // namespace mc
