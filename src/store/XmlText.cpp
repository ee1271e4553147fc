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

namespace mc {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeBom = "\xFF\xFE";
constexpr std::string_view kUtf16BeBom = "\xFE\xFF";

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
        throw ModeFileError(path, line, column, std::string("含有不属于 ") + from + " 编码的字节");
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
        reason = "不是普通文件";
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
    if (view.starts_with(kUtf16LeBom) || view.starts_with(kUtf16BeBom)) {
        const bool little = view.starts_with(kUtf16LeBom);
        encoding.decodeFrom = encoding.encodeTo = little ? "UTF-16LE" : "UTF-16BE";
        encoding.bom = std::string(little ? kUtf16LeBom : kUtf16BeBom);
        convertToUtf8(path, bytes, 2, encoding.decodeFrom.c_str());
        return;
    }
    if (view.starts_with(kUtf8Bom)) {
        // The byte-order mark decides, whatever the declaration says.
        encoding.bom = std::string(kUtf8Bom);
        bytes.erase(0, kUtf8Bom.size());
    }
    const std::optional<std::string> declared = declaredEncoding(bytes);
    if (!encoding.bom.empty() || !declared || *declared == "utf-8" || *declared == "utf8") {
        const std::size_t good = validUtf8Prefix(bytes);
        if (good < bytes.size()) {
            const auto [line, column] = textPosition(bytes, good);
            throw ModeFileError(path, line, column, "含有不属于 UTF-8 编码的字节");
        }
        return;
    }
    if (*declared == "gbk" || *declared == "gb2312" || *declared == "gb18030") {
        // GB18030 reads every GBK and GB2312 file; Windows writes "GB2312"
        // files with the GBK code page, so GBK is what they are written back in.
        encoding.decodeFrom = "GB18030";
        encoding.encodeTo = *declared == "gb18030" ? "GB18030" : "GBK";
        convertToUtf8(path, bytes, 0, "GB18030");
        return;
    }
    throw ModeFileError(path, "不支持的编码 " + *declared);
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
