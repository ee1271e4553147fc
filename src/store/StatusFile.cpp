#include "store/StatusFile.h"

#include <algorithm>
#include <charconv>
#include <cstddef>
#include <optional>
#include <set>
#include <string_view>

#include "config/IniFile.h"
#include "control/CrosspointState.h"
#include "store/PortNameList.h"

namespace mc {

namespace {

const char* const kMessageSection = "Matrix Message";
const char* const kNodeCountKey = "SwitchNodeNum";
constexpr std::string_view kNodePrefix = "SwitchNode";

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

void saveStatusFile(const std::string& path, const CrosspointState& state) {
    IniFile file(path);
    file.eraseSection(kMessageSection);
    file.writeInteger(kMessageSection, "Matrix Address", state.ActiveAddress);
    file.writeInteger(kMessageSection, "MatrixInputNum", state.MatrixInputNum());
    file.writeInteger(kMessageSection, "MatrixOutputNum", state.MatrixOutputNum());

    const std::vector<Node> nodes = state.selectedNodes();
    std::int32_t n = 0;
    for (const Node& node : nodes) {
        const std::string section = nodeSection(++n);
        file.writeInteger(section, "I", node.I);
        file.writeInteger(section, "J", node.J);
    }
    file.writeInteger(kMessageSection, kNodeCountKey, n);
    eraseNodesAbove(file, n);

    erasePortNames(file);
    writePortNames(file, state);
    file.commit();
}

StatusLoadResult loadStatusFile(const std::string& path, CrosspointState& state) {
    StatusLoadResult result;
    const IniFile file(path);
    const std::int32_t inputs = file.readInteger(kMessageSection, "MatrixInputNum", 0);
    const std::int32_t outputs = file.readInteger(kMessageSection, "MatrixOutputNum", 0);
    if (inputs != state.MatrixInputNum() && outputs != state.MatrixOutputNum()) return result;
    result.matched = true;

    const std::int32_t count = file.readInteger(kMessageSection, kNodeCountKey, 0);
    std::vector<Node> nodes;
    int invalid = 0;
    const std::vector<std::int32_t> present = presentNodes(file, count);
    if (count > 0) invalid += count - static_cast<int>(present.size());
    for (const std::int32_t number : present) {
        const std::string section = nodeSection(number);
        const Node node{file.readInteger(section, "I", -1), file.readInteger(section, "J", -1)};
        // Negative: missing or unparsable; applyNodes skips and counts the
        // rest of the nodes outside the state.
        if (node.I < 0 || node.J < 0) {
            ++invalid;
            continue;
        }
        nodes.push_back(node);
    }

    state.returnToFirstPage();
    state.clearSelection();
    result.nodes = state.applyNodes(nodes);
    result.nodes.skipped += invalid;

    result.inputNames = readInputNames(file, state);
    for (std::size_t k = 0; k < result.inputNames.size(); ++k)
        state.setInputName(static_cast<std::int32_t>(k), result.inputNames[k]);
    result.outputNames = readOutputNames(file, state);
    for (std::size_t k = 0; k < result.outputNames.size(); ++k)
        state.setOutputName(static_cast<std::int32_t>(k), result.outputNames[k]);
    return result;
}

}  // namespace mc
