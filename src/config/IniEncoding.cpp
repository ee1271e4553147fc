#include "config/IniEncoding.h"

#include <iconv.h>

#include <cerrno>
#include <cstdint>

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

// RAII holder of an iconv descriptor.
class Converter {
public:
    Converter() : m_handle(::iconv_open("UTF-8", "GB18030")) {}
    ~Converter() {
        if (valid()) ::iconv_close(m_handle);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool valid() const { return m_handle != reinterpret_cast<iconv_t>(-1); }
    iconv_t handle() const { return m_handle; }

private:
    iconv_t m_handle;
};

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
    Converter converter;
    if (!converter.valid()) return sanitizeUtf8(bytes);

    // No input byte grows to more than 3 output bytes (a two-byte character
    // becomes at most 3, a replaced single byte exactly 3); grown if ever short.
    std::string result(bytes.size() * 3 + 16, '\0');
    std::size_t used = 0;
    char* in = const_cast<char*>(bytes.data());  // iconv's signature; it does not write
    std::size_t inLeft = bytes.size();
    while (inLeft > 0) {
        char* out = result.data() + used;
        std::size_t outLeft = result.size() - used;
        const std::size_t converted = ::iconv(converter.handle(), &in, &inLeft, &out, &outLeft);
        used = result.size() - outLeft;
        if (converted != static_cast<std::size_t>(-1)) break;
        if (errno == E2BIG || result.size() - used < kReplacement.size()) {
            result.resize(result.size() * 2);
            continue;
        }
        if (errno != EILSEQ && errno != EINVAL) break;
        // An invalid or cut-off sequence: replace one byte and go on.
        result.replace(used, kReplacement.size(), kReplacement);
        used += kReplacement.size();
        ++in;
        --inLeft;
        ::iconv(converter.handle(), nullptr, nullptr, nullptr, nullptr);
    }
    result.resize(used);
    return result;
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
