#include "config/HexToInt.h"

#include <cstdint>
#include <string_view>

namespace mc {

std::int32_t HexToInt(std::string_view text) {
    // Unsigned arithmetic, so that wrapping is defined.
    std::uint32_t result = 0;
    for (char c : text) {
        std::uint32_t code = static_cast<unsigned char>(c);
        if (code >= 'a' && code <= 'z') code -= 'a' - 'A';
        result = result * 16 + code - (code >= 'A' ? 55u : 48u);
    }
    return static_cast<std::int32_t>(result);
}

}  // namespace mc
