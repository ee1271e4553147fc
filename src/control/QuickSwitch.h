#pragma once

// What the operator types into the control window's X-Y field "快速切换", as
// on a hardware panel: the output's number, a separator (blanks, or one "."
// with blanks around it if any) and the input's number, both one-based:
// "40 50" and "40.50" both mean output 40 to input 50. The text is read as it
// is being typed, so that the window can name the ports before Return.

#include <cstdint>
#include <optional>
#include <string_view>

namespace mc {

struct QuickSwitchEntry {
    bool valid = false;                  // the text is (the start of) an entry
    std::optional<std::int32_t> output;  // one-based, as typed
    std::optional<std::int32_t> input;   // one-based; only after the separator
    // Output and input both typed.
    bool complete() const { return valid && output && input; }
};

// Reads `text`. Blanks at either end are ignored; "" is valid and empty;
// "40" and "40 " give the output only; anything but digits and one separator
// (a third number, letters, a sign, a number of more than four digits, 0) is
// not valid.
QuickSwitchEntry parseQuickSwitch(std::string_view text);

}  // namespace mc
