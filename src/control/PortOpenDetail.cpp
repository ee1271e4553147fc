#include "control/PortOpenDetail.h"

#include "serial/DeviceAccess.h"
#include "serial/PortHolders.h"

#include <cerrno>
#include <cstring>

namespace mc {

std::string portOpenDetail(int errorCode, const std::string& devicePath) {
    std::string detail;
    // A busy device names the program that holds it, when it can be found.
    if (isPortBusy(errorCode)) {
        detail = "原因：" + portBusyReason(devicePath);
    } else if (errorCode != 0) {
        detail = std::string("原因：") + std::strerror(errorCode);
    }
    if (!devicePath.empty()) {
        if (!detail.empty()) detail += '\n';
        detail += "设备：" + devicePath;
    }
    if (errorCode == EACCES || errorCode == EPERM) {
        const AccessFacts facts = deviceAccessFacts(devicePath);
        // The group note, with the command that fixes it.
        if (!facts.groupName.empty() && !facts.userInGroup) {
            detail += '\n' + accessProblemText(facts);
        }
    }
    return detail;
}

}  // namespace mc
