#include "store/ModeName.h"

#include <array>
#include <cstdint>

#include "config/IniEncoding.h"
#include "text/Text.h"

namespace mc {

namespace {

struct Range {
    char32_t first;
    char32_t last;
};

// XML 1.0 (fifth edition) NameChar, without ':'.
constexpr std::array<Range, 18> kNameChars{{
    {U'-', U'.'},
    {U'0', U'9'},
    {U'A', U'Z'},
    {U'_', U'_'},
    {U'a', U'z'},
    {0xB7, 0xB7},
    {0xC0, 0xD6},
    {0xD8, 0xF6},
    {0xF8, 0x37D},  // with the combining marks 0x300-0x36F
    {0x37F, 0x1FFF},
    {0x200C, 0x200D},
    {0x203F, 0x2040},
    {0x2070, 0x218F},
    {0x2C00, 0x2FEF},
    {0x3001, 0xD7FF},
    {0xF900, 0xFDCF},
    {0xFDF0, 0xFFFD},
    {0x10000, 0xEFFFF},
}};

bool isNameChar(char32_t c) {
    for (const Range& range : kNameChars) {
        if (c >= range.first && c <= range.last) return true;
    }
    return false;
}

// Decodes the character at the start of text (valid UTF-8) and its length.
char32_t decodeOne(std::string_view text, std::size_t& length) {
    const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(text[i]); };
    const std::uint8_t lead = byte(0);
    if (lead < 0x80) {
        length = 1;
        return lead;
    }
    length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
    char32_t c = lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i)
        c = (c << 6) | (byte(i) & 0x3F);
    return c;
}

// How the refused character is named in the message.
std::string describeCharacter(char32_t c, std::string_view bytes) {
    if (c == U' ') return translated("ModeName", "空格");
    if (c == 0x3000) return translated("ModeName", "全角空格");
    if (c == U'\t') return translated("ModeName", "制表符");
    if (c < 0x20 || c == 0x7F) return translated("ModeName", "控制字符");
    return formatText(translated("ModeName", "“%1”"), {bytes});
}

}  // namespace

std::optional<std::string> modeNameProblem(std::string_view name) {
    if (!isValidUtf8(name)) return translated("ModeName", "效果名称含有无法识别的字符。");
    while (!name.empty()) {
        std::size_t length = 0;
        const char32_t c = decodeOne(name, length);
        if (!isNameChar(c)) {
            return formatText(translated("ModeName",
                                         "效果名称不能含有%1。名称只能由汉字、字母、数字和 - "
                                         "_ . 组成。"),
                              {describeCharacter(c, name.substr(0, length))});
        }
        name.remove_prefix(length);
    }
    return std::nullopt;
}

}  // namespace mc
