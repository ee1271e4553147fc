#include "serial/DeviceAccess.h"
#include "text/Text.h"

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace mc {

bool userInGroup(unsigned gid) {
    if (::getegid() == gid) return true;
    const int count = ::getgroups(0, nullptr);
    if (count <= 0) return false;
    std::vector<gid_t> groups(static_cast<std::size_t>(count));
    const int got = ::getgroups(count, groups.data());
    for (int k = 0; k < got; ++k) {
        if (groups[static_cast<std::size_t>(k)] == gid) return true;
    }
    return false;
}

std::string accessProblemText(const AccessFacts& facts) {
    if (facts.allowed) return {};
    if (facts.groupMayUse && !facts.userInGroup && !facts.groupName.empty()) {
        return formatText(translated("DeviceAccess",
                                     "该设备属于用户组 %1，当前用户不在此组中。请运行 sudo "
                                     "usermod -aG %1 %2，然后重新登录。"),
                          {facts.groupName, facts.userName});
    }
    return formatText(translated("DeviceAccess", "当前用户无权读写该设备：%1"),
                      {std::strerror(facts.error)});
}

AccessFacts deviceAccessFacts(const std::string& path) {
    AccessFacts facts;
    if (::access(path.c_str(), R_OK | W_OK) == 0) {
        facts.allowed = true;
        return facts;
    }
    facts.error = errno;
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return facts;
    facts.groupMayUse = (info.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP);
    facts.userInGroup = userInGroup(info.st_gid);
    std::vector<char> buffer(16384);
    struct group groupEntry {};
    struct group* owner = nullptr;
    ::getgrgid_r(info.st_gid, &groupEntry, buffer.data(), buffer.size(), &owner);
    facts.groupName = owner != nullptr ? owner->gr_name : std::to_string(info.st_gid);
    struct passwd userEntry {};
    struct passwd* user = nullptr;
    ::getpwuid_r(::geteuid(), &userEntry, buffer.data(), buffer.size(), &user);
    facts.userName = user != nullptr ? user->pw_name : std::to_string(::geteuid());
    return facts;
}

std::string deviceAccessProblem(const std::string& path) {
    return accessProblemText(deviceAccessFacts(path));
}

}  // namespace mc
