#include "store/ModeXml.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <optional>
#include <utility>

#include "config/AtomicWrite.h"
#include "config/IniEncoding.h"
#include "store/ModeStore.h"
#include "store/TextConvert.h"

namespace mc {

const char* const kDefaultModeFile = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<MatrixMode />\n";

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeBom = "\xFF\xFE";
constexpr std::string_view kUtf16BeBom = "\xFE\xFF";

// Parsing keeps the declaration, comments, processing instructions and the
// document type, so that writing back loses none of them.
constexpr unsigned kParseFlags = pugi::parse_full;
// The declaration node is written as it was read; none is added to a file
// that had none.
constexpr unsigned kFormatFlags = pugi::format_indent | pugi::format_no_declaration;

enum class ReadStatus { Loaded, Missing, Failed };

ReadStatus readFile(const std::string& path, std::string& bytes, std::string& reason) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        if (errno == ENOENT) return ReadStatus::Missing;
        reason = std::strerror(errno);
        return ReadStatus::Failed;
    }
    struct stat info {};
    ReadStatus status = ReadStatus::Loaded;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        reason = "不是普通文件";
        status = ReadStatus::Failed;
    } else {
        char buffer[65536];
        for (;;) {
            const ssize_t got = ::read(fd, buffer, sizeof buffer);
            if (got < 0 && errno == EINTR) continue;
            if (got < 0) {
                reason = std::strerror(errno);
                status = ReadStatus::Failed;
            }
            if (got <= 0) break;
            bytes.append(buffer, static_cast<std::size_t>(got));
        }
    }
    ::close(fd);
    return status;
}

char lowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// The encoding named by the XML declaration at the start of text, lower-cased;
// nullopt when there is no declaration or it names none.
std::optional<std::string> declaredEncoding(std::string_view text) {
    if (!text.starts_with("<?xml")) return std::nullopt;
    const std::string_view declaration = text.substr(0, text.find("?>"));
    const auto key = declaration.find("encoding");
    if (key == std::string_view::npos) return std::nullopt;
    std::size_t at = key + 8;
    const auto skipBlanks = [&] {
        while (at < declaration.size() && std::strchr(" \t\r\n", declaration[at]) != nullptr)
            ++at;
    };
    skipBlanks();
    if (at >= declaration.size() || declaration[at] != '=') return std::nullopt;
    ++at;
    skipBlanks();
    if (at >= declaration.size() || (declaration[at] != '"' && declaration[at] != '\''))
        return std::nullopt;
    const char quote = declaration[at++];
    const auto end = declaration.find(quote, at);
    if (end == std::string_view::npos) return std::nullopt;
    std::string name(declaration.substr(at, end - at));
    std::transform(name.begin(), name.end(), name.begin(), lowerAscii);
    return name;
}

// Line and column (1-based, the column in characters) of offset in UTF-8 text.
std::pair<std::int32_t, std::int32_t> position(std::string_view text, std::size_t offset) {
    offset = std::min(offset, text.size());
    std::int32_t line = 1;
    std::int32_t column = 1;
    for (std::size_t i = 0; i < offset; ++i) {
        const auto byte = static_cast<std::uint8_t>(text[i]);
        if (byte == '\n') {
            ++line;
            column = 1;
        } else if ((byte & 0xC0) != 0x80) {
            ++column;
        }
    }
    return {line, column};
}

// The length of the longest valid UTF-8 prefix of bytes.
std::size_t validUtf8Prefix(std::string_view bytes) {
    if (isValidUtf8(bytes)) return bytes.size();
    std::size_t at = 0;
    while (at < bytes.size()) {
        std::size_t length = 1;
        while (length <= 4 && !isValidUtf8(bytes.substr(at, length)))
            ++length;
        if (length > 4) break;
        at += length;
    }
    return at;
}

// Works out the file's encoding and turns its bytes into UTF-8 text.
std::string decode(const std::string& path, std::string_view bytes, XmlFileEncoding& encoding) {
    const auto fromEncoding = [&](std::string_view body, const char* name) {
        ConvertedText converted = convertStrictly(body, name, "UTF-8");
        if (!converted.ok) {
            const auto [line, column] = position(converted.text, converted.text.size());
            throw ModeFileError(path, line, column,
                                std::string("含有不属于 ") + name + " 编码的字节");
        }
        return std::move(converted.text);
    };

    if (bytes.starts_with(kUtf16LeBom) || bytes.starts_with(kUtf16BeBom)) {
        const bool little = bytes.starts_with(kUtf16LeBom);
        encoding.decodeFrom = encoding.encodeTo = little ? "UTF-16LE" : "UTF-16BE";
        encoding.bom = std::string(little ? kUtf16LeBom : kUtf16BeBom);
        return fromEncoding(bytes.substr(2), encoding.decodeFrom.c_str());
    }
    if (bytes.starts_with(kUtf8Bom)) {
        // The byte-order mark decides, whatever the declaration says.
        encoding.bom = std::string(kUtf8Bom);
        bytes.remove_prefix(kUtf8Bom.size());
    }
    const std::optional<std::string> declared = declaredEncoding(bytes);
    if (!encoding.bom.empty() || !declared || *declared == "utf-8" || *declared == "utf8") {
        const std::size_t good = validUtf8Prefix(bytes);
        if (good < bytes.size()) {
            const auto [line, column] = position(bytes, good);
            throw ModeFileError(path, line, column, "含有不属于 UTF-8 编码的字节");
        }
        return std::string(bytes);
    }
    if (*declared == "gbk" || *declared == "gb2312" || *declared == "gb18030") {
        // GB18030 reads every GBK and GB2312 file; Windows writes "GB2312"
        // files with the GBK code page, so GBK is what they are written back in.
        encoding.decodeFrom = "GB18030";
        encoding.encodeTo = *declared == "gb18030" ? "GB18030" : "GBK";
        return fromEncoding(bytes, "GB18030");
    }
    throw ModeFileError(path, "不支持的编码 " + *declared);
}

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
    std::string bytes;
    std::string reason;
    switch (readFile(m_path, bytes, reason)) {
        case ReadStatus::Missing:
            m_missing = true;
            bytes = kDefaultModeFile;
            break;
        case ReadStatus::Failed:
            throw ModeFileError(m_path, "无法读取：" + reason);
        case ReadStatus::Loaded:
            break;
    }
    const std::string text = decode(m_path, bytes, m_encoding);
    const pugi::xml_parse_result parsed =
        m_document.load_buffer(text.data(), text.size(), kParseFlags, pugi::encoding_utf8);
    if (!parsed) {
        const auto [line, column] = position(text, static_cast<std::size_t>(parsed.offset));
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
    ConvertedText converted = convertStrictly(text, "UTF-8", m_encoding.encodeTo.c_str());
    if (!converted.ok) {
        const auto [line, column] = position(text, converted.failedAt);
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
