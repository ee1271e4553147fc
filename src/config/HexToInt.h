#pragma once

#include <cstdint>
#include <string_view>

namespace mc {

// Hexadecimal text to integer, as the address fields read it: upper-cased,
// then for each character result = result * 16 + (code - 55) when the code is
// at least 'A', else + (code - 48). 32-bit arithmetic that wraps; no
// validation (a stray character contributes its code offset); "" gives 0.
std::int32_t HexToInt(std::string_view text);

}  // namespace mc
