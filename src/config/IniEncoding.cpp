#include "config/IniEncoding.h"

#include <cstdint>

#include "config/TextConvert.h"

namespace mc {

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";
constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

// Length of the valid UTF-8 sequence at the start of bytes, or 0 when the
// sequence there is invalid or cut off.
std::size_t validSequenceLength(std::string_view bytes) {
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

DecodedIniText decodeIniBytes(std::string_view bytes) {
    DecodedIniText decoded;
    if (bytes.starts_with(kBom)) {
        decoded.hadBom = true;
        bytes.remove_prefix(kBom.size());
    }
    if (isValidUtf8(bytes)) {
        decoded.text = std::string(bytes);
    } else {
        decoded.text = gb18030ToUtf8(bytes);
        decoded.fromGb18030 = true;
    }
    return decoded;
}

std::string_view utf8Prefix(std::string_view text, std::size_t maxBytes) {
    if (text.size() <= maxBytes) return text;
    std::size_t cut = maxBytes;
    while (cut > 0 && (static_cast<std::uint8_t>(text[cut]) & 0xC0) == 0x80)
        --cut;
    return text.substr(0, cut);
}

}  // namespace mc
