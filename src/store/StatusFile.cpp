#include "store/StatusFile.h"

#include <algorithm>
#include <charconv>
#include <cstddef>
#include <optional>
#include <set>
#include <string_view>

#include "config/IniFile.h"
#include "config/PortNameList.h"
#include "config/SettingsKeys.h"

namespace mc {

namespace {

using namespace keys;

constexpr std::string_view kNodePrefix = kSwitchNodePrefix;

std::string nodeSection(std::int64_t n) {
    return std::string(kNodePrefix) + std::to_string(n);
}

// The number n of a section name that a reader of "SwitchNode" + n finds
// (section names compare without regard to ASCII case): the prefix, then
// decimal digits without a leading zero. Nothing for any other name.
std::optional<std::int64_t> nodeNumber(std::string_view section) {
    if (section.size() <= kNodePrefix.size() || section.size() > kNodePrefix.size() + 10)
        return std::nullopt;
    for (std::size_t i = 0; i < kNodePrefix.size(); ++i) {
        const auto fold = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
        if (fold(section[i]) != fold(kNodePrefix[i])) return std::nullopt;
    }
    const std::string_view digits = section.substr(kNodePrefix.size());
    if (digits.front() == '0') return std::nullopt;
    std::int64_t n = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), n);
    if (error != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
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

StatusFileRead readStatusFile(const std::string& path, std::int32_t inputs, std::int32_t outputs) {
    StatusFileRead result;
    const IniFile file(path);
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

}  // namespace mc
