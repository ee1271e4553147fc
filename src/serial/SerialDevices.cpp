#include "serial/SerialDevices.h"

#include "serial/DeviceAccess.h"
#include "text/Text.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <fstream>
#include <set>

namespace mc {

namespace {

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end - start));
        if (end == std::string::npos) return parts;
        start = end + 1;
    }
}

std::vector<std::string> folderEntries(const std::string& folder) {
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) return names;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") names.push_back(name);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end(), deviceNameLess);
    return names;
}

bool startsWith(const std::string& text, const char* prefix) {
    return text.rfind(prefix, 0) == 0;
}

std::string baseName(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string linkTarget(const std::string& link) {
    char buffer[PATH_MAX];
    const ssize_t length = ::readlink(link.c_str(), buffer, sizeof buffer - 1);
    return length > 0 ? std::string(buffer, static_cast<std::size_t>(length)) : std::string();
}

bool exists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

// A built-in port with a UART behind it (see listSerialDevices()).
bool realUart(const DeviceRoots& roots, const std::string& name) {
    const std::string folder = roots.sysTty + "/" + name;
    if (!exists(folder + "/device")) return false;
    std::ifstream typeFile(folder + "/type");
    long type = 0;
    return static_cast<bool>(typeFile >> type) && type != 0;
}

SerialDevice plainDevice(const DeviceRoots& roots, const std::string& name,
                         const std::string& kind) {
    SerialDevice device;
    device.path = roots.dev + "/" + name;
    device.kernelName = name;
    device.description = name + " " + kind;
    device.accessProblem = deviceAccessProblem(device.path);
    return device;
}

}  // namespace

bool deviceNameLess(const std::string& a, const std::string& b) {
    std::size_t i = 0, j = 0;
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    while (i < a.size() && j < b.size()) {
        if (isDigit(a[i]) && isDigit(b[j])) {
            std::size_t endA = i, endB = j;
            while (endA < a.size() && isDigit(a[endA]))
                ++endA;
            while (endB < b.size() && isDigit(b[endB]))
                ++endB;
            std::string numberA = a.substr(i, endA - i), numberB = b.substr(j, endB - j);
            numberA.erase(0, std::min(numberA.find_first_not_of('0'), numberA.size()));
            numberB.erase(0, std::min(numberB.find_first_not_of('0'), numberB.size()));
            if (numberA.size() != numberB.size()) return numberA.size() < numberB.size();
            if (numberA != numberB) return numberA < numberB;
            i = endA;
            j = endB;
            continue;
        }
        if (a[i] != b[j]) return a[i] < b[j];
        ++i;
        ++j;
    }
    return a.size() - i < b.size() - j;
}

UsbIdName parseUsbIdName(const std::string& name) {
    std::string rest = name;
    const std::size_t bus = rest.find('-');
    if (bus != std::string::npos) rest = rest.substr(bus + 1);
    const std::size_t interface = rest.rfind("-if");
    if (interface != std::string::npos) rest = rest.substr(0, interface);

    std::vector<std::string> parts = split(rest, '_');
    UsbIdName parsed;
    parsed.maker = parts.front();
    parts.erase(parts.begin());
    if (parts.size() >= 2 && parts.back().find_first_of("0123456789") != std::string::npos) {
        parsed.serial = parts.back();
        parts.pop_back();
    }
    for (const std::string& word : parts) {
        if (word.empty()) continue;
        if (!parsed.model.empty()) parsed.model += ' ';
        parsed.model += word;
    }
    return parsed;
}

std::vector<SerialDevice> listSerialDevices(const DeviceRoots& roots) {
    std::vector<SerialDevice> devices;
    std::set<std::string> linked;

    for (const std::string& name : folderEntries(roots.byId)) {
        const std::string path = roots.byId + "/" + name;
        const std::string target = linkTarget(path);
        if (target.empty()) continue;  // not a link
        SerialDevice device;
        device.path = path;
        device.kernelName = baseName(target);
        const UsbIdName parsed = parseUsbIdName(name);
        device.maker = parsed.maker;
        device.model = parsed.model;
        device.serial = parsed.serial;
        device.description = parsed.maker;
        if (!parsed.model.empty()) device.description += " " + parsed.model;
        if (!parsed.serial.empty()) device.description += " (" + parsed.serial + ")";
        device.description += " - " + device.kernelName;
        device.accessProblem = deviceAccessProblem(path);
        linked.insert(device.kernelName);
        devices.push_back(std::move(device));
    }

    const std::vector<std::string> names = folderEntries(roots.dev);
    for (const std::string& name : names) {
        if ((startsWith(name, "ttyUSB") || startsWith(name, "ttyACM")) && !linked.count(name)) {
            devices.push_back(plainDevice(roots, name, translated("SerialDevices", "USB 串口")));
        }
    }
    for (const std::string& name : names) {
        if (startsWith(name, "ttyS") && name.size() > 4 && realUart(roots, name)) {
            devices.push_back(plainDevice(roots, name, translated("SerialDevices", "内置串口")));
        }
    }
    return devices;
}

}  // namespace mc
