#pragma once

// Conversion between text encodings through iconv. The matrix-mode file
// converts strictly: a byte sequence that is not valid in its encoding (or a
// character the target encoding cannot hold) is reported, never replaced, so
// that a file is never written back altered. The INI layer decodes
// tolerantly: such a sequence becomes U+FFFD and decoding goes on.

#include <cstddef>
#include <string>
#include <string_view>

namespace mc {

struct ConvertedText {
    std::string text;          // the converted text; on failure what came before
    bool ok = false;           // false: a sequence could not be converted
    std::size_t failedAt = 0;  // on failure: offset of that sequence in the input
};

enum class InvalidSequence {
    Stop,     // conversion ends there, ok is false
    Replace,  // one input byte becomes U+FFFD in UTF-8; only for a UTF-8 target
};

// One iconv converter from encoding `from` to encoding `to` (iconv names),
// kept open for many conversions (the INI layer converts line by line).
// Not thread-safe; copying is deleted.
class TextConverter {
public:
    TextConverter(const char* from, const char* to);
    ~TextConverter();
    TextConverter(const TextConverter&) = delete;
    TextConverter& operator=(const TextConverter&) = delete;

    // False when the system has no such converter; convert() then fails at 0.
    bool valid() const;
    ConvertedText convert(std::string_view bytes,
                          InvalidSequence onInvalid = InvalidSequence::Stop) const;

private:
    void* m_handle;  // iconv_t
};

// Converts bytes from encoding `from` to encoding `to` (iconv names). A system
// without one of the converters fails at offset 0.
ConvertedText convertText(std::string_view bytes, const char* from, const char* to,
                          InvalidSequence onInvalid = InvalidSequence::Stop);

}  // namespace mc
