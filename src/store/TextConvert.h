#pragma once

// Strict conversion between text encodings through iconv, for the matrix-mode
// file: unlike the INI layer's tolerant decoder, a byte sequence that is not
// valid in its encoding (or a character the target encoding cannot hold) is
// reported, never replaced, so that a file is never written back altered.

#include <cstddef>
#include <string>
#include <string_view>

namespace mc {

struct ConvertedText {
    std::string text;          // the converted text; on failure what came before
    bool ok = false;           // false: a sequence could not be converted
    std::size_t failedAt = 0;  // on failure: offset of that sequence in the input
};

// Converts bytes from encoding `from` to encoding `to` (iconv names). A system
// without one of the converters fails at offset 0.
ConvertedText convertStrictly(std::string_view bytes, const char* from, const char* to);

}  // namespace mc
