#include "control/PortOpenDetail.h"

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace mc {

namespace {

// True when the calling process belongs to group gid (effective or
// supplementary).
bool inGroup(gid_t gid) {
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

// The note for a refused permission, or empty when it does not apply.
std::string groupNote(const std::string& devicePath) {
    struct stat info {};
    if (devicePath.empty() || ::stat(devicePath.c_str(), &info) != 0) return {};
    if (inGroup(info.st_gid)) return {};
    const struct group* owner = ::getgrgid(info.st_gid);
    const std::string name = owner != nullptr ? owner->gr_name : std::to_string(info.st_gid);
    return "该设备属于用户组 " + name + "，当前用户不在此组中。";
}

}  // namespace

std::string portOpenDetail(int errorCode, const std::string& devicePath) {
    std::string detail;
    if (errorCode != 0) detail = std::string("原因：") + std::strerror(errorCode);
    if (!devicePath.empty()) {
        if (!detail.empty()) detail += '\n';
        detail += "设备：" + devicePath;
    }
    if (errorCode == EACCES || errorCode == EPERM) {
        const std::string note = groupNote(devicePath);
        if (!note.empty()) detail += '\n' + note;
    }
    return detail;
}

}  // namespace mc
