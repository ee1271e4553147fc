#include "store/ModeStore.h"

#include <cstdint>
#include <stdexcept>
#include <string_view>
#include <utility>

#include "config/IniFile.h"
#include "store/ModeName.h"
#include "store/ModeXml.h"

namespace mc {

namespace {

std::string describe(const std::string& path, std::int32_t line, std::int32_t column,
                     const std::string& reason) {
    std::string text = "矩阵模式文件 " + path + " 有误";
    if (line > 0) {
        text += "（第 " + std::to_string(line) + " 行，第 " + std::to_string(column) + " 列）";
    }
    return text + "：" + reason;
}

// text without its first `count` characters (UTF-8 code points).
std::string dropCharacters(std::string_view text, int count) {
    std::size_t at = 0;
    while (count > 0 && at < text.size()) {
        ++at;
        while (at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80)
            ++at;
        --count;
    }
    return std::string(text.substr(at));
}

// The integer of a port element's text, surrounding XML whitespace ignored,
// in the configuration files' integer syntax; nothing when missing or bad.
std::optional<std::int32_t> portValue(pugi::xml_node node, std::string_view name) {
    const pugi::xml_node port = firstChildElement(node, name);
    if (!port) return std::nullopt;
    std::string_view text = port.text().get();
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) return std::nullopt;
    text = text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
    return parseIniInteger(text);
}

void appendNumber(pugi::xml_node parent, const char* name, std::int32_t value) {
    parent.append_child(name).text().set(std::to_string(value).c_str());
}

}  // namespace

ModeFileError::ModeFileError(std::string path, std::int32_t line, std::int32_t column,
                             std::string reason)
    : std::runtime_error(describe(path, line, column, reason)),
      m_path(std::move(path)),
      m_line(line),
      m_column(column),
      m_reason(std::move(reason)) {}

ModeFileError::ModeFileError(std::string path, std::string reason)
    : ModeFileError(std::move(path), 0, 0, std::move(reason)) {}

ModeStore::ModeStore(std::string path) : m_path(std::move(path)) {}

std::vector<std::string> ModeStore::listModes() const {
    const ModeDocument document(m_path);
    document.createIfMissing();
    std::vector<std::string> names;
    for (pugi::xml_node child : document.root().children()) {
        if (child.type() == pugi::node_element) names.push_back(dropCharacters(child.name(), 4));
    }
    return names;
}

ModeStore::ModeNodes ModeStore::readMode(const std::string& elementName) const {
    const ModeDocument document(m_path);
    document.createIfMissing();
    ModeNodes result;
    for (pugi::xml_node node : firstChildElement(document.root(), elementName).children()) {
        if (node.type() != pugi::node_element) continue;
        const auto input = portValue(node, "InputPort");
        const auto output = portValue(node, "OutputPort");
        if (!input || !output) {
            ++result.unreadable;
            continue;
        }
        result.nodes.push_back(Node{*output, *input});
    }
    return result;
}

void ModeStore::saveMode(const std::string& elementName, const std::vector<Node>& nodes) const {
    const std::string_view prefix = "Mode";
    if (!elementName.starts_with(prefix))
        throw std::invalid_argument("mode element name without \"Mode\": " + elementName);
    if (auto problem = modeNameProblem(std::string_view(elementName).substr(prefix.size())))
        throw std::invalid_argument(*problem);

    ModeDocument document(m_path);
    pugi::xml_node root = document.root();
    pugi::xml_node mode = firstChildElement(root, elementName);
    if (!mode) mode = root.append_child(elementName.c_str());
    mode.remove_children();
    int n = 0;
    for (const Node& cell : nodes) {
        pugi::xml_node node = mode.append_child(("SwitchNode" + std::to_string(++n)).c_str());
        appendNumber(node, "InputPort", cell.J);
        appendNumber(node, "OutputPort", cell.I);
    }
    document.save();
}

bool ModeStore::deleteMode(const std::string& elementName) const {
    ModeDocument document(m_path);
    pugi::xml_node mode = firstChildElement(document.root(), elementName);
    if (!mode) {
        document.createIfMissing();
        return false;
    }
    document.root().remove_child(mode);
    document.save();
    return true;
}

void ModeStore::removeAllModes() const {
    ModeDocument document(m_path);
    document.root().remove_children();
    document.save();
}

}  // namespace mc
