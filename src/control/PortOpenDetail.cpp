#include "control/PortOpenDetail.h"

#include "serial/DeviceAccess.h"
#include "serial/PortHolders.h"
#include "text/Text.h"

#include <cerrno>
#include <cstring>

namespace mc {

std::string portOpenDetail(int errorCode, const std::string& devicePath) {
    std::string detail;
    // A busy device names the program that holds it, when it can be found.
    if (isPortBusy(errorCode)) {
        detail = formatText(translated("PortOpenDetail", "原因：%1"), {portBusyReason(devicePath)});
    } else if (errorCode != 0) {
        detail = formatText(translated("PortOpenDetail", "原因：%1"), {std::strerror(errorCode)});
    }
    if (!devicePath.empty()) {
        if (!detail.empty()) detail += '\n';
        detail += formatText(translated("PortOpenDetail", "设备：%1"), {devicePath});
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
