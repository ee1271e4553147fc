#pragma once

// Whether the current user may open a device for reading and writing, and
// the reason (with the fix) when not.

#include <string>

namespace mc {

// What decides the reason text; filled from the system by
// deviceAccessProblem(), or by hand in tests.
struct AccessFacts {
    bool allowed = false;      // access(R_OK | W_OK) succeeded
    int error = 0;             // errno of the refused access
    bool groupMayUse = false;  // the device's group has read and write permission
    bool userInGroup = false;  // the user belongs to the device's group
    std::string groupName;     // the device's group ("dialout")
    std::string userName;      // the current user
};

// The text for the facts: empty when allowed. When the device's group may
// use it and the user is not in that group: "该设备属于用户组 dialout，当前用户
// 不在此组中。" followed by the command that fixes it ("sudo usermod -aG dialout
// <user>") and the advice to log in again. Otherwise "当前用户无权读写该设备"
// with the system's reason.
std::string accessProblemText(const AccessFacts& facts);

// The facts for path as the system sees them now (a symbolic link is
// followed). A missing device is allowed = false with error ENOENT.
AccessFacts deviceAccessFacts(const std::string& path);

// accessProblemText(deviceAccessFacts(path)).
std::string deviceAccessProblem(const std::string& path);

// True when the calling process belongs to group gid (effective or
// supplementary).
bool userInGroup(unsigned gid);

}  // namespace mc
