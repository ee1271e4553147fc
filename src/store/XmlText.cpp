#include "store/XmlText.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <optional>

#include "config/IniEncoding.h"
#include "config/TextConvert.h"
#include "store/ModeStore.h"
#include "text/Text.h"

namespace mc {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeBom = "\xFF\xFE";
constexpr std::string_view kUtf16BeBom = "\xFE\xFF";

char lowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool isXmlSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// The XML declaration as the parser takes it: "<?xml" (any case) followed by
// a blank or "?", at the start of text after XML whitespace only. The
// encoding it names, lower-cased; "" when it names none; nullopt when there
// is no declaration there.
std::optional<std::string> declaredEncoding(std::string_view text) {
    std::size_t start = 0;
    while (start < text.size() && isXmlSpace(text[start]))
        ++start;
    text.remove_prefix(start);
    if (text.size() < 6 || text[0] != '<' || text[1] != '?') return std::nullopt;
    std::string target(text.substr(2, 3));
    std::transform(target.begin(), target.end(), target.begin(), lowerAscii);
    if (target != "xml" || !(isXmlSpace(text[5]) || text[5] == '?')) return std::nullopt;
    // The attributes: name, optional blanks, '=', optional blanks, a quoted
    // value, each after at least one blank.
    const std::string_view declaration = text.substr(0, text.find("?>"));
    std::size_t at = 5;
    const auto skipBlanks = [&] {
        while (at < declaration.size() && isXmlSpace(declaration[at]))
            ++at;
    };
    for (;;) {
        skipBlanks();
        const std::size_t nameStart = at;
        while (at < declaration.size() && !isXmlSpace(declaration[at]) && declaration[at] != '=')
            ++at;
        if (at == nameStart) return std::string();
        const std::string_view attribute = declaration.substr(nameStart, at - nameStart);
        skipBlanks();
        if (at >= declaration.size() || declaration[at] != '=') return std::string();
        ++at;
        skipBlanks();
        if (at >= declaration.size() || (declaration[at] != '"' && declaration[at] != '\''))
            return std::string();
        const char quote = declaration[at++];
        const auto end = declaration.find(quote, at);
        if (end == std::string_view::npos) return std::string();
        if (attribute == "encoding") {
            std::string name(declaration.substr(at, end - at));
            std::transform(name.begin(), name.end(), name.begin(), lowerAscii);
            return name;
        }
        at = end + 1;
    }
}

bool isUtf8Name(std::string_view name) {
    return name == "utf-8" || name == "utf8";
}

bool isGbName(std::string_view name) {
    return name == "gbk" || name == "gb2312" || name == "gb18030";
}

bool isUtf16Name(std::string_view name) {
    return name == "utf-16" || name == "utf-16le" || name == "utf-16be";
}

// The length of the longest valid UTF-8 prefix of bytes. Runs of ASCII, the
// bulk of a mode file, are skipped without decoding.
std::size_t validUtf8Prefix(std::string_view bytes) {
    std::size_t at = 0;
    while (at < bytes.size()) {
        std::uint64_t word = 0;
        if (at + sizeof word <= bytes.size()) {
            std::memcpy(&word, bytes.data() + at, sizeof word);
            if ((word & 0x8080808080808080ULL) == 0) {
                at += sizeof word;
                continue;
            }
        }
        if (static_cast<unsigned char>(bytes[at]) < 0x80) {
            ++at;
            continue;
        }
        std::size_t length = 2;
        while (length <= 4 && !isValidUtf8(bytes.substr(at, length)))
            ++length;
        if (length > 4) break;
        at += length;
    }
    return at;
}

// Replaces bytes (in encoding `from`) by their UTF-8 text.
void convertToUtf8(const std::string& path, std::string& bytes, std::size_t skip,
                   const char* from) {
    ConvertedText converted = convertText(std::string_view(bytes).substr(skip), from, "UTF-8");
    if (!converted.ok) {
        const auto [line, column] = textPosition(converted.text, converted.text.size());
        throw ModeFileError(path, line, column,
                            formatText(translated("XmlText", "含有不属于 %1 编码的字节"), {from}));
    }
    bytes = std::move(converted.text);
}

}  // namespace

ReadStatus readXmlFile(const std::string& path, std::string& bytes, std::string& reason) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        if (errno == ENOENT) return ReadStatus::Missing;
        reason = std::strerror(errno);
        return ReadStatus::Failed;
    }
    struct stat info {};
    ReadStatus status = ReadStatus::Loaded;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        reason = translated("XmlText", "不是普通文件");
        status = ReadStatus::Failed;
    } else {
        // Sized once from the file's size; grown if the file grows meanwhile.
        bytes.resize(static_cast<std::size_t>(info.st_size) + 1);
        std::size_t used = 0;
        for (;;) {
            if (used == bytes.size()) bytes.resize(bytes.size() * 2);
            const ssize_t got = ::read(fd, bytes.data() + used, bytes.size() - used);
            if (got < 0 && errno == EINTR) continue;
            if (got < 0) {
                reason = std::strerror(errno);
                status = ReadStatus::Failed;
            }
            if (got <= 0) break;
            used += static_cast<std::size_t>(got);
        }
        bytes.resize(used);
    }
    ::close(fd);
    return status;
}

void decodeXmlBytes(const std::string& path, std::string& bytes, XmlFileEncoding& encoding) {
    const std::string_view view = bytes;
    const bool utf16 = view.starts_with(kUtf16LeBom) || view.starts_with(kUtf16BeBom);
    if (utf16) {
        const bool little = view.starts_with(kUtf16LeBom);
        encoding.decodeFrom = encoding.encodeTo = little ? "UTF-16LE" : "UTF-16BE";
        encoding.bom = std::string(little ? kUtf16LeBom : kUtf16BeBom);
        convertToUtf8(path, bytes, 2, encoding.decodeFrom.c_str());
    } else if (view.starts_with(kUtf8Bom)) {
        encoding.bom = std::string(kUtf8Bom);
        bytes.erase(0, kUtf8Bom.size());
    }
    const std::optional<std::string> declared = declaredEncoding(bytes);
    encoding.declared = declared.value_or("");
    const std::string name = encoding.declared;
    // The same names are accepted with and without a byte-order mark, so that
    // a file is never read under one rule and refused under another.
    if (!name.empty() && !isUtf8Name(name) && !isGbName(name) && !isUtf16Name(name))
        throw ModeFileError(path, formatText(translated("XmlText", "不支持的编码 %1"), {name}));
    // A byte-order mark decides the bytes' encoding, whatever the declaration
    // names (Notepad saves a UTF-8 file as UTF-16 and keeps its declaration).
    if (utf16) return;
    if (encoding.bom.empty() && isUtf16Name(name))
        throw ModeFileError(
            path,
            formatText(translated("XmlText", "声明为 %1 的文件须以字节顺序标记开头"), {name}));
    if (encoding.bom.empty() && isGbName(name)) {
        // GB18030 reads every GBK and GB2312 file; Windows writes "GB2312"
        // files with the GBK code page, so GBK is what they are written back in.
        encoding.decodeFrom = "GB18030";
        encoding.encodeTo = name == "gb18030" ? "GB18030" : "GBK";
        convertToUtf8(path, bytes, 0, "GB18030");
        return;
    }
    const std::size_t good = validUtf8Prefix(bytes);
    if (good < bytes.size()) {
        const auto [line, column] = textPosition(bytes, good);
        throw ModeFileError(path, line, column,
                            translated("XmlText", "含有不属于 UTF-8 编码的字节"));
    }
}

std::string lowerAsciiText(std::string_view text) {
    std::string lowered(text);
    std::transform(lowered.begin(), lowered.end(), lowered.begin(), lowerAscii);
    return lowered;
}

std::pair<std::int32_t, std::int32_t> textPosition(std::string_view text, std::size_t offset) {
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

}  // namespace mc
