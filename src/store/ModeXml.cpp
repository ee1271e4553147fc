#include "store/ModeXml.h"

#include <utility>

#include "config/AtomicWrite.h"
#include "config/IniFile.h"
#include "config/TextConvert.h"
#include "store/ModeStore.h"
#include "text/Text.h"

namespace mc {

const char* const kDefaultModeFile = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<MatrixMode />\n";

namespace {

// Parsing keeps the declaration, comments, processing instructions and the
// document type, so that writing back loses none of them.
constexpr unsigned kParseFlags = pugi::parse_full;
// The declaration node is written as it was read; none is added to a file
// that had none.
constexpr unsigned kFormatFlags = pugi::format_indent | pugi::format_no_declaration;

class StringWriter final : public pugi::xml_writer {
public:
    explicit StringWriter(std::string& out) : m_out(out) {}
    void write(const void* data, std::size_t size) override {
        m_out.append(static_cast<const char*>(data), size);
    }

private:
    std::string& m_out;
};

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

// The declaration rule of decodeXmlBytes, checked against what the parser
// made of the text: at most one declaration, as the document's first node,
// naming the encoding the bytes were decoded by. Anything else would be read
// under one rule and written back under another.
void checkDeclaration(const std::string& path, const pugi::xml_document& document,
                      const XmlFileEncoding& encoding) {
    int count = 0;
    for (pugi::xml_node node = document.first_child(); node; node = node.next_sibling()) {
        if (node.type() != pugi::node_declaration) continue;
        ++count;
        if (node != document.first_child() || count > 1)
            throw ModeFileError(path, translated("ModeXml", "XML 声明只能有一个，且须在文件开头"));
        const std::string named = lowerAsciiText(node.attribute("encoding").value());
        if (named != encoding.declared)
            throw ModeFileError(path, translated("ModeXml", "无法确定 XML 声明中的编码"));
    }
    if (count == 0 && !encoding.declared.empty())
        throw ModeFileError(path, translated("ModeXml", "无法确定 XML 声明中的编码"));
}

}  // namespace

ModeDocument::ModeDocument(std::string path) : m_path(std::move(path)) {
    std::string bytes;
    std::string reason;
    switch (readXmlFile(m_path, bytes, reason)) {
        case ReadStatus::Missing:
            m_missing = true;
            bytes = kDefaultModeFile;
            break;
        case ReadStatus::Failed:
            throw ModeFileError(m_path,
                                formatText(translated("ModeXml", "无法读取：%1"), {reason}));
        case ReadStatus::Loaded:
            break;
    }
    load(std::move(bytes));
}

ModeDocument::ModeDocument(std::string path, std::string bytes) : m_path(std::move(path)) {
    load(std::move(bytes));
}

void ModeDocument::load(std::string bytes) {
    m_text = std::move(bytes);
    decodeXmlBytes(m_path, m_text, m_encoding);
    // Parsing in place changes the text; a failure is located in this copy.
    const std::string text = m_text;
    const pugi::xml_parse_result parsed = m_document.load_buffer_inplace(
        m_text.data(), m_text.size(), kParseFlags, pugi::encoding_utf8);
    if (!parsed) {
        // A document without an element is found wanting at its end.
        const std::size_t offset = parsed.status == pugi::status_no_document_element
                                       ? text.size()
                                       : static_cast<std::size_t>(parsed.offset);
        const auto [line, column] = textPosition(text, offset);
        throw ModeFileError(m_path, line, column, parsed.description());
    }
    if (!m_document.document_element())
        throw ModeFileError(m_path, translated("ModeXml", "没有根元素"));
    checkDeclaration(m_path, m_document, m_encoding);
}

void ModeDocument::createIfMissing() const {
    if (!m_missing) return;
    try {
        writeFileAtomically(m_path, kDefaultModeFile);
    } catch (const FileWriteError&) {
        // The next operation that writes reports it.
    }
}

std::string ModeDocument::serialise() const {
    std::string text;
    StringWriter writer(text);
    m_document.save(writer, "  ", kFormatFlags, pugi::encoding_utf8);
    if (m_encoding.encodeTo.empty()) return m_encoding.bom + text;
    ConvertedText converted = convertText(text, "UTF-8", m_encoding.encodeTo.c_str());
    if (!converted.ok) {
        const auto [line, column] = textPosition(text, converted.failedAt);
        throw ModeFileError(m_path, line, column,
                            formatText(translated("ModeXml", "有字符无法以文件的编码 %1 保存"),
                                       {m_encoding.encodeTo}));
    }
    return m_encoding.bom + converted.text;
}

void ModeDocument::verifySerialised(const std::string& bytes) const {
    const std::string refused =
        translated("ModeXml", "保存的内容读回后与要保存的模式不符，文件未改动");
    try {
        const ModeDocument written(m_path, bytes);
        if (written.m_encoding == m_encoding &&
            std::string_view(written.root().name()) == root().name() &&
            readModes(written) == readModes(*this))
            return;
    } catch (const ModeFileError& error) {
        throw ModeFileError(
            m_path, formatText(translated("ModeXml", "%1（%2）"), {refused, error.reason()}));
    }
    throw ModeFileError(m_path, refused);
}

void ModeDocument::save() const {
    const std::string bytes = serialise();
    verifySerialised(bytes);
    writeFileAtomically(m_path, bytes);
}

pugi::xml_node firstChildElement(pugi::xml_node parent, std::string_view name) {
    for (pugi::xml_node child = parent.first_child(); child; child = child.next_sibling()) {
        if (child.type() == pugi::node_element && name == child.name()) return child;
    }
    return {};
}

std::vector<ModeData> readModes(const ModeDocument& document) {
    std::vector<ModeData> modes;
    for (pugi::xml_node mode : document.root().children()) {
        if (mode.type() != pugi::node_element) continue;
        ModeData& data = modes.emplace_back();
        data.element = mode.name();
        for (pugi::xml_node node : mode.children()) {
            if (node.type() != pugi::node_element) continue;
            data.nodes.push_back({portValue(node, "InputPort"), portValue(node, "OutputPort")});
        }
    }
    return modes;
}

void putMode(pugi::xml_node root, const std::string& elementName, const std::vector<Node>& nodes) {
    pugi::xml_node mode = firstChildElement(root, elementName);
    if (!mode) mode = root.append_child(elementName.c_str());
    mode.remove_children();
    int n = 0;
    for (const Node& cell : nodes) {
        pugi::xml_node node = mode.append_child(("SwitchNode" + std::to_string(++n)).c_str());
        appendNumber(node, "InputPort", cell.J);
        appendNumber(node, "OutputPort", cell.I);
    }
}

}  // namespace mc
