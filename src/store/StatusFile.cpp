#include "store/StatusFile.h"

#include <algorithm>
#include <charconv>
#include <cstddef>
#include <optional>
#include <set>
#include <string_view>
#include <utility>

#include "config/IniFile.h"
#include "config/IniParse.h"
#include "config/PortNameList.h"
#include "config/SettingsKeys.h"
#include "text/Text.h"

namespace mc {

namespace {

using namespace keys;

constexpr std::string_view kNodePrefix = kSwitchNodePrefix;

std::string nodeSection(std::int64_t n) {
    return std::string(kNodePrefix) + std::to_string(n);
}

// The number n for which section is the name "SwitchNode" + n, as a lookup of
// that name finds it (ASCII case ignored, as the INI layer compares): the
// prefix, then n in decimal without sign, blanks or leading zero, n >= 1.
// Nothing for any other name ("SwitchNode-1", "SwitchNode01", "SwitchNode+1").
std::optional<std::int64_t> nodeNumber(std::string_view section) {
    if (section.size() <= kNodePrefix.size() || section.size() > kNodePrefix.size() + 10)
        return std::nullopt;
    if (foldAsciiCase(section.substr(0, kNodePrefix.size())) != foldAsciiCase(kNodePrefix))
        return std::nullopt;
    const std::string_view digits = section.substr(kNodePrefix.size());
    if (digits.front() == '0') return std::nullopt;
    std::int64_t n = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') return std::nullopt;
        n = n * 10 + (c - '0');
    }
    return n;
}

// Removes every node section numbered above count, duplicates included.
void eraseNodesAbove(IniFile& file, std::int64_t count) {
    for (const std::string& section : file.sections()) {
        const auto n = nodeNumber(section);
        if (n && *n > count) file.eraseSection(section);
    }
}

// The numbers n in 1..count that have a section "SwitchNode" + n, ascending.
// Reading only these keeps a hand-edited huge "SwitchNodeNum" from reading
// billions of missing sections; the missing ones count as skipped.
std::vector<std::int32_t> presentNodes(const IniFile& file, std::int32_t count) {
    std::set<std::int32_t> numbers;
    for (const std::string& section : file.sections()) {
        const auto n = nodeNumber(section);
        if (n && *n <= count) numbers.insert(static_cast<std::int32_t>(*n));
    }
    return {numbers.begin(), numbers.end()};
}

}  // namespace

void saveStatusFile(const std::string& path, const StatusContent& content) {
    IniFile file(path);
    file.eraseSection(kStatusSection);
    file.writeInteger(kStatusSection, kStatusAddress, content.address);
    file.writeInteger(kStatusSection, kMatrixInputNum, content.inputs);
    file.writeInteger(kStatusSection, kMatrixOutputNum, content.outputs);

    std::int32_t n = 0;
    for (const Node& node : content.nodes) {
        const std::string section = nodeSection(++n);
        file.writeInteger(section, kNodeOutput, node.I);
        file.writeInteger(section, kNodeInput, node.J);
    }
    file.writeInteger(kStatusSection, kSwitchNodeNum, n);
    eraseNodesAbove(file, n);

    erasePortNames(file);
    writePortNames(file, content.names);
    file.commit();
}

StatusFileRead readStatusFile(const IniFile& file, std::int32_t inputs, std::int32_t outputs) {
    StatusFileRead result;
    const std::string unreadable = file.loadError();
    if (!unreadable.empty()) {
        result.error = unreadableStatusMessage(file.path(), unreadable);
        return result;
    }
    const std::int32_t fileInputs = file.readInteger(kStatusSection, kMatrixInputNum, 0);
    const std::int32_t fileOutputs = file.readInteger(kStatusSection, kMatrixOutputNum, 0);
    if (fileInputs != inputs && fileOutputs != outputs) return result;
    result.matched = true;

    const std::int32_t count = file.readInteger(kStatusSection, kSwitchNodeNum, 0);
    const std::vector<std::int32_t> present = presentNodes(file, count);
    if (count > 0) result.unreadable += count - static_cast<int>(present.size());
    for (const std::int32_t number : present) {
        const std::string section = nodeSection(number);
        const Node node{file.readInteger(section, kNodeOutput, -1),
                        file.readInteger(section, kNodeInput, -1)};
        // Negative: missing or unparsable.
        if (node.I < 0 || node.J < 0) {
            ++result.unreadable;
            continue;
        }
        result.nodes.push_back(node);
    }
    result.inputNames = readInputNames(file, inputs);
    result.outputNames = readOutputNames(file, outputs);
    return result;
}

StatusFileRead readStatusFile(const std::string& path, std::int32_t inputs, std::int32_t outputs) {
    return readStatusFile(IniFile(path), inputs, outputs);
}

std::string unreadableStatusMessage(const std::string& path, const std::string& reason) {
    return formatText(translated("StatusFile", "无法读取状态文件 %1：%2"), {path, reason});
}

}  // namespace mc
