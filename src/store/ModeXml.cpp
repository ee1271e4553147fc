#include "store/ModeXml.h"

#include <utility>

#include "config/AtomicWrite.h"
#include "config/TextConvert.h"
#include "store/ModeStore.h"

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

}  // namespace

ModeDocument::ModeDocument(std::string path) : m_path(std::move(path)) {
    std::string reason;
    switch (readXmlFile(m_path, m_text, reason)) {
        case ReadStatus::Missing:
            m_missing = true;
            m_text = kDefaultModeFile;
            break;
        case ReadStatus::Failed:
            throw ModeFileError(m_path, "无法读取：" + reason);
        case ReadStatus::Loaded:
            break;
    }
    decodeXmlBytes(m_path, m_text, m_encoding);
    const pugi::xml_parse_result parsed = m_document.load_buffer_inplace(
        m_text.data(), m_text.size(), kParseFlags, pugi::encoding_utf8);
    if (!parsed) {
        // Parsing in place has changed the text; the position is counted in a
        // fresh copy of it.
        std::string text;
        if (m_missing) {
            text = kDefaultModeFile;
        } else {
            readXmlFile(m_path, text, reason);
        }
        XmlFileEncoding ignored;
        decodeXmlBytes(m_path, text, ignored);
        // A document without an element is found wanting at its end.
        const std::size_t offset = parsed.status == pugi::status_no_document_element
                                       ? text.size()
                                       : static_cast<std::size_t>(parsed.offset);
        const auto [line, column] = textPosition(text, offset);
        throw ModeFileError(m_path, line, column, parsed.description());
    }
    if (!m_document.document_element()) throw ModeFileError(m_path, "没有根元素");
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
                            "有字符无法以文件的编码 " + m_encoding.encodeTo + " 保存");
    }
    return m_encoding.bom + converted.text;
}

void ModeDocument::save() const {
    writeFileAtomically(m_path, serialise());
}

pugi::xml_node firstChildElement(pugi::xml_node parent, std::string_view name) {
    for (pugi::xml_node child = parent.first_child(); child; child = child.next_sibling()) {
        if (child.type() == pugi::node_element && name == child.name()) return child;
    }
    return {};
}

}  // namespace mc
