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

StatusFileContents readStatusFile(const IniFile& file, std::int32_t inputCount,
                                  std::int32_t outputCount) {
    StatusFileContents contents;
    contents.unreadable = file.loadError();
    if (!contents.unreadable.empty()) return contents;
    contents.inputNum = file.readInteger(kMessageSection, "MatrixInputNum", 0);
    contents.outputNum = file.readInteger(kMessageSection, "MatrixOutputNum", 0);

    const std::int32_t count = file.readInteger(kMessageSection, kNodeCountKey, 0);
    const std::vector<std::int32_t> present = presentNodes(file, count);
    if (count > 0) contents.invalid += count - static_cast<int>(present.size());
    for (const std::int32_t number : present) {
        const std::string section = nodeSection(number);
        const Node node{file.readInteger(section, "I", -1), file.readInteger(section, "J", -1)};
        // Negative: missing or unparsable.
        if (node.I < 0 || node.J < 0) {
            ++contents.invalid;
            continue;
        }
        contents.nodes.push_back(node);
    }
    contents.inputNames = readInputNames(file, inputCount);
    contents.outputNames = readOutputNames(file, outputCount);
    return contents;
}

StatusFileContents readStatusFile(const std::string& path, std::int32_t inputCount,
                                  std::int32_t outputCount) {
    return readStatusFile(IniFile(path), inputCount, outputCount);
}

std::string unreadableStatusMessage(const std::string& path, const std::string& reason) {
    return "无法读取状态文件 " + path + "：" + reason;
}

StatusLoadResult loadStatusFile(const std::string& path, CrosspointState& state) {
    return loadStatusFile(IniFile(path), state);
}

StatusLoadResult loadStatusFile(const IniFile& file, CrosspointState& state) {
    StatusLoadResult result;
    StatusFileContents contents =
        readStatusFile(file, state.MatrixInputNum(), state.MatrixOutputNum());
    if (!contents.unreadable.empty()) {
        result.error = unreadableStatusMessage(file.path(), contents.unreadable);
        return result;
    }
    if (contents.inputNum != state.MatrixInputNum() &&
        contents.outputNum != state.MatrixOutputNum())
        return result;
    result.matched = true;

    state.returnToFirstPage();
    state.clearSelection();
    // applyNodes skips and counts the nodes outside the state.
    result.nodes = state.applyNodes(contents.nodes);
    result.nodes.skipped += contents.invalid;

    result.inputNames = std::move(contents.inputNames);
    for (std::size_t k = 0; k < result.inputNames.size(); ++k)
        state.setInputName(static_cast<std::int32_t>(k), result.inputNames[k]);
    result.outputNames = std::move(contents.outputNames);
    for (std::size_t k = 0; k < result.outputNames.size(); ++k)
        state.setOutputName(static_cast<std::int32_t>(k), result.outputNames[k]);
    return result;
}

}  // namespace mc
