#include <cstdint>
#include <optional>
#include <string_view>

#include "config/IniFile.h"

namespace mc {

namespace {

int hexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Hexadecimal digits, all of them, up to 0xFFFFFFFF.
std::optional<std::uint32_t> parseHex(std::string_view digits) {
    if (digits.empty()) return std::nullopt;
    std::uint64_t value = 0;
    for (char c : digits) {
        const int digit = hexDigitValue(c);
        if (digit < 0) return std::nullopt;
        value = value * 16 + static_cast<std::uint64_t>(digit);
        if (value > 0xFFFFFFFFu) return std::nullopt;
    }
    return static_cast<std::uint32_t>(value);
}

// Decimal digits, all of them, up to limit.
std::optional<std::uint32_t> parseDecimal(std::string_view digits, std::uint32_t limit) {
    if (digits.empty()) return std::nullopt;
    std::uint64_t value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
        if (value > limit) return std::nullopt;
    }
    return static_cast<std::uint32_t>(value);
}

}  // namespace

std::optional<std::int32_t> parseIniInteger(std::string_view text) {
    const auto start = text.find_first_not_of(" \t\v");
    if (start == std::string_view::npos) return std::nullopt;
    text.remove_prefix(start);

    bool negative = false;
    if (text.front() == '+' || text.front() == '-') {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }

    std::optional<std::uint32_t> magnitude;
    if (text.starts_with('$') || text.starts_with('x') || text.starts_with('X')) {
        magnitude = parseHex(text.substr(1));
    } else if (text.starts_with("0x") || text.starts_with("0X")) {
        magnitude = parseHex(text.substr(2));
    } else {
        // 2147483648 is allowed only as the magnitude of the smallest value.
        magnitude = parseDecimal(text, negative ? 0x80000000u : 0x7FFFFFFFu);
    }
    if (!magnitude) return std::nullopt;
    // Hexadecimal wraps to 32 bits ("$FFFFFFFF" is -1); negation is done
    // unsigned so that it wraps too.
    const std::uint32_t bits = negative ? 0u - *magnitude : *magnitude;
    return static_cast<std::int32_t>(bits);
}

}  // namespace mc
