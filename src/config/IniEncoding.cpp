#include "config/IniEncoding.h"

#include <cstdint>

namespace mc {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeBom = "\xFF\xFE";
constexpr std::string_view kUtf16BeBom = "\xFE\xFF";
constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

}  // namespace

std::size_t validSequenceLength(std::string_view bytes) {
    if (bytes.empty()) return 0;
    const auto byteAt = [&](std::size_t i) { return static_cast<std::uint8_t>(bytes[i]); };
    const std::uint8_t lead = byteAt(0);
    if (lead < 0x80) return 1;
    std::size_t length = 0;
    std::uint8_t low = 0x80;
    std::uint8_t high = 0xBF;  // allowed range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;   // overlong
        if (lead == 0xED) high = 0x9F;  // surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;   // overlong
        if (lead == 0xF4) high = 0x8F;  // above U+10FFFF
    } else {
        return 0;
    }
    if (bytes.size() < length) return 0;
    if (byteAt(1) < low || byteAt(1) > high) return 0;
    for (std::size_t i = 2; i < length; ++i) {
        if ((byteAt(i) & 0xC0) != 0x80) return 0;
    }
    return length;
}

namespace {

bool isAscii(std::string_view bytes) {
    for (const char c : bytes) {
        if (static_cast<std::uint8_t>(c) >= 0x80) return false;
    }
    return true;
}

void appendUtf8(std::string& out, std::uint32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

std::uint32_t utf16Unit(std::string_view bytes, std::size_t at, bool little) {
    const auto first = static_cast<std::uint8_t>(bytes[at]);
    const auto second = static_cast<std::uint8_t>(bytes[at + 1]);
    return little ? (first | (second << 8)) : ((first << 8) | second);
}

std::string utf16ToUtf8(std::string_view bytes, bool little) {
    std::string out;
    out.reserve(bytes.size());
    std::size_t at = 0;
    while (at + 2 <= bytes.size()) {
        const std::uint32_t unit = utf16Unit(bytes, at, little);
        at += 2;
        if (unit >= 0xD800 && unit <= 0xDBFF && at + 2 <= bytes.size()) {
            const std::uint32_t low = utf16Unit(bytes, at, little);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                at += 2;
                appendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
                continue;
            }
        }
        if (unit >= 0xD800 && unit <= 0xDFFF) {
            out += kReplacement;  // unpaired surrogate
        } else {
            appendUtf8(out, unit);
        }
    }
    if (at < bytes.size()) out += kReplacement;  // odd trailing byte
    return out;
}

void appendUtf16Unit(std::string& out, std::uint32_t unit, bool little) {
    const auto high = static_cast<char>(unit >> 8);
    const auto low = static_cast<char>(unit & 0xFF);
    out += little ? low : high;
    out += little ? high : low;
}

// REQUIRES: utf8 is valid UTF-8.
std::string utf8ToUtf16(std::string_view utf8, bool little) {
    std::string out;
    out.reserve(utf8.size() * 2);
    std::size_t at = 0;
    while (at < utf8.size()) {
        const std::size_t length = validSequenceLength(utf8.substr(at));
        const auto byteAt = [&](std::size_t i) {
            return static_cast<std::uint32_t>(static_cast<std::uint8_t>(utf8[at + i]));
        };
        std::uint32_t code = 0xFFFD;
        if (length == 1) {
            code = byteAt(0);
        } else if (length == 2) {
            code = ((byteAt(0) & 0x1F) << 6) | (byteAt(1) & 0x3F);
        } else if (length == 3) {
            code = ((byteAt(0) & 0x0F) << 12) | ((byteAt(1) & 0x3F) << 6) | (byteAt(2) & 0x3F);
        } else if (length == 4) {
            code = ((byteAt(0) & 0x07) << 18) | ((byteAt(1) & 0x3F) << 12) |
                   ((byteAt(2) & 0x3F) << 6) | (byteAt(3) & 0x3F);
        }
        at += length == 0 ? 1 : length;
        if (code >= 0x10000) {
            code -= 0x10000;
            appendUtf16Unit(out, 0xD800 + (code >> 10), little);
            appendUtf16Unit(out, 0xDC00 + (code & 0x3FF), little);
        } else {
            appendUtf16Unit(out, code, little);
        }
    }
    return out;
}

}  // namespace

bool isValidUtf8(std::string_view bytes) {
    while (!bytes.empty()) {
        const std::size_t length = validSequenceLength(bytes);
        if (length == 0) return false;
        bytes.remove_prefix(length);
    }
    return true;
}

std::string sanitizeUtf8(std::string_view text) {
    std::string result;
    result.reserve(text.size());
    while (!text.empty()) {
        const std::size_t length = validSequenceLength(text);
        if (length == 0) {
            result += kReplacement;
            text.remove_prefix(1);
        } else {
            result += text.substr(0, length);
            text.remove_prefix(length);
        }
    }
    return result;
}

std::string gb18030ToUtf8(std::string_view bytes) {
    ConvertedText converted = convertText(bytes, "GB18030", "UTF-8", InvalidSequence::Replace);
    if (!converted.ok) return sanitizeUtf8(bytes);  // no converter on this system
    return std::move(converted.text);
}

IniEncoding detectIniEncoding(std::string_view bytes) {
    if (bytes.starts_with(kUtf16LeBom)) return {IniCharset::Utf16Le, true};
    if (bytes.starts_with(kUtf16BeBom)) return {IniCharset::Utf16Be, true};
    if (bytes.starts_with(kUtf8Bom)) return {IniCharset::Utf8, true};
    if (isValidUtf8(bytes)) return {IniCharset::Utf8, false};
    return {IniCharset::Gb18030, false};
}

std::string_view iniBom(const IniEncoding& encoding) {
    if (!encoding.bom) return {};
    switch (encoding.charset) {
        case IniCharset::Utf8:
            return kUtf8Bom;
        case IniCharset::Utf16Le:
            return kUtf16LeBom;
        case IniCharset::Utf16Be:
            return kUtf16BeBom;
        case IniCharset::Gb18030:
            break;
    }
    return {};
}

IniLineCodec::IniLineCodec(IniCharset charset) : m_charset(charset) {
    if (charset != IniCharset::Gb18030) return;
    m_fromGb18030 = std::make_unique<TextConverter>("GB18030", "UTF-8");
    m_toGb18030 = std::make_unique<TextConverter>("UTF-8", "GB18030");
}

std::size_t IniLineCodec::unitSize() const {
    return (m_charset == IniCharset::Utf16Le || m_charset == IniCharset::Utf16Be) ? 2 : 1;
}

std::string IniLineCodec::decode(std::string_view bytes) const {
    switch (m_charset) {
        case IniCharset::Utf8:
            return sanitizeUtf8(bytes);
        case IniCharset::Gb18030: {
            if (isAscii(bytes)) return std::string(bytes);
            ConvertedText converted = m_fromGb18030->convert(bytes, InvalidSequence::Replace);
            if (!converted.ok) return sanitizeUtf8(bytes);  // no converter on this system
            return std::move(converted.text);
        }
        case IniCharset::Utf16Le:
            return utf16ToUtf8(bytes, true);
        case IniCharset::Utf16Be:
            return utf16ToUtf8(bytes, false);
    }
    return std::string(bytes);
}

std::optional<std::string> IniLineCodec::encode(std::string_view utf8) const {
    switch (m_charset) {
        case IniCharset::Utf8:
            return std::string(utf8);
        case IniCharset::Gb18030: {
            if (isAscii(utf8)) return std::string(utf8);
            ConvertedText converted = m_toGb18030->convert(utf8);
            if (!converted.ok) return std::nullopt;
            return std::move(converted.text);
        }
        case IniCharset::Utf16Le:
            return utf8ToUtf16(utf8, true);
        case IniCharset::Utf16Be:
            return utf8ToUtf16(utf8, false);
    }
    return std::nullopt;
}

bool IniLineCodec::roundTripsAsIs(std::string_view bytes) const {
    switch (m_charset) {
        case IniCharset::Utf8:
            return isValidUtf8(bytes);
        case IniCharset::Gb18030:
            return isAscii(bytes);
        case IniCharset::Utf16Le:
        case IniCharset::Utf16Be:
            return false;
    }
    return false;
}

std::string_view IniLineCodec::takeLine(std::string_view& bytes, std::string_view& content) const {
    if (unitSize() == 1) {
        const auto end = bytes.find_first_of("\r\n");
        if (end == std::string_view::npos) {
            content = bytes;
            bytes = {};
            return "";
        }
        content = bytes.substr(0, end);
        std::string_view eol = "\n";
        if (bytes[end] == '\r') {
            eol = (end + 1 < bytes.size() && bytes[end + 1] == '\n') ? "\r\n" : "\r";
        }
        bytes.remove_prefix(end + eol.size());
        return eol;
    }
    const bool little = m_charset == IniCharset::Utf16Le;
    for (std::size_t at = 0; at + 2 <= bytes.size(); at += 2) {
        const std::uint32_t unit = utf16Unit(bytes, at, little);
        if (unit != '\r' && unit != '\n') continue;
        content = bytes.substr(0, at);
        std::string_view eol = "\n";
        if (unit == '\r') {
            eol = (at + 4 <= bytes.size() && utf16Unit(bytes, at + 2, little) == '\n') ? "\r\n"
                                                                                       : "\r";
        }
        bytes.remove_prefix(at + 2 * eol.size());
        return eol;
    }
    content = bytes;
    bytes = {};
    return "";
}

std::string_view utf8Prefix(std::string_view text, std::size_t maxBytes) {
    if (text.size() <= maxBytes) return text;
    std::size_t cut = maxBytes;
    while (cut > 0 && (static_cast<std::uint8_t>(text[cut]) & 0xC0) == 0x80)
        --cut;
    return text.substr(0, cut);
}

}  // namespace mc
