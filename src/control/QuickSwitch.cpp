#include "control/QuickSwitch.h"

namespace mc {

namespace {

constexpr std::size_t kMaxDigits = 4;

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// The number at `at`, moving `at` past it; nothing when there are no digits
// there, too many, or the number is 0.
std::optional<std::int32_t> number(std::string_view text, std::size_t& at, bool& valid) {
    std::size_t end = at;
    std::int32_t value = 0;
    while (end < text.size() && isDigit(text[end])) {
        value = value * 10 + (text[end] - '0');
        ++end;
    }
    if (end == at) return std::nullopt;
    if (end - at > kMaxDigits || value == 0) valid = false;
    at = end;
    return value;
}

}  // namespace

QuickSwitchEntry parseQuickSwitch(std::string_view text) {
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    QuickSwitchEntry entry;
    entry.valid = true;
    std::size_t at = 0;
    entry.output = number(text, at, entry.valid);
    if (at == text.size()) return entry;
    if (!entry.output) return QuickSwitchEntry{};
    // The separator: blanks with at most one "." among them.
    int dots = 0;
    const std::size_t separatorStart = at;
    while (at < text.size() && (isBlank(text[at]) || text[at] == '.')) {
        if (text[at] == '.') ++dots;
        ++at;
    }
    if (at == separatorStart || dots > 1) return QuickSwitchEntry{};
    entry.input = number(text, at, entry.valid);
    if (at != text.size() || !entry.input) {
        // "40." waits for the input; anything else after it is no entry.
        if (at == text.size() && !entry.input) return entry;
        return QuickSwitchEntry{};
    }
    return entry;
}

}  // namespace mc
