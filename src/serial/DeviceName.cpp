#include "serial/DeviceName.h"

#include <cstddef>
#include <optional>
#include <string_view>

namespace mc {

namespace {

std::string_view trimmed(std::string_view text) {
    const auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

char asciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (asciiLower(a[i]) != asciiLower(b[i])) return false;
    }
    return true;
}

// The port number n of "COMn" (1..9999), or nothing for any other name.
std::optional<unsigned> comPortNumber(std::string_view name) {
    if (name.size() < 4 || name.size() > 7 || !equalsIgnoringCase(name.substr(0, 3), "com")) {
        return std::nullopt;
    }
    unsigned number = 0;
    for (char c : name.substr(3)) {
        if (c < '0' || c > '9') return std::nullopt;
        number = number * 10 + static_cast<unsigned>(c - '0');
    }
    if (number == 0) return std::nullopt;
    return number;
}

// A path as it stands, or a device in /dev.
std::string pathOrDevice(std::string_view name) {
    if (!name.empty() && name.front() == '/') return std::string(name);
    return "/dev/" + std::string(name);
}

}  // namespace

std::string commDevicePath(const std::string& commName,
                           const std::map<std::string, std::string>& portMap) {
    const std::string_view name = trimmed(commName);
    const std::optional<unsigned> number = comPortNumber(name);
    if (!number) return pathOrDevice(name);

    for (const auto& [key, value] : portMap) {
        if (!equalsIgnoringCase(trimmed(key), name)) continue;
        const std::string_view target = trimmed(value);
        if (!target.empty()) return pathOrDevice(target);
    }
    return "/dev/ttyS" + std::to_string(*number - 1);
}

}  // namespace mc
