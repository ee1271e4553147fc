#include "store/ModeStore.h"

#include <cstdint>
#include <stdexcept>
#include <string_view>
#include <utility>

#include "config/IniFile.h"
#include "store/ModeName.h"
#include "store/ModeXml.h"
#include "text/Text.h"

namespace mc {

namespace {

std::string describe(const std::string& path, std::int32_t line, std::int32_t column,
                     const std::string& reason) {
    if (line <= 0) {
        return formatText(translated("ModeStore", "矩阵模式文件 %1 有误：%2"), {path, reason});
    }
    return formatText(translated("ModeStore", "矩阵模式文件 %1 有误（第 %2 行，第 %3 列）：%4"),
                      {path, std::to_string(line), std::to_string(column), reason});
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

std::vector<ModeData> ModeStore::readModes() const {
    const ModeDocument document(m_path);
    document.createIfMissing();
    return mc::readModes(document);
}

ModeStore::ModeNodes ModeStore::readMode(const std::string& elementName) const {
    ModeNodes result;
    for (const ModeData& mode : readModes()) {
        if (mode.element != elementName) continue;
        result.found = true;
        for (const ModeNodeData& node : mode.nodes) {
            if (!node.input || !node.output) {
                ++result.unreadable;
                continue;
            }
            result.nodes.push_back(Node{*node.output, *node.input});
        }
        break;  // the first element of that name
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
    putMode(document.root(), elementName, nodes);
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
