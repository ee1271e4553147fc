#pragma once

// Text encodings of the INI files. The program works in UTF-8; files written
// on Chinese-language Windows systems hold GBK bytes without a byte-order
// mark. A file is read as UTF-8 when it is valid UTF-8 (after an optional
// byte-order mark) and as GB18030, a superset of GBK, otherwise.

#include <cstddef>
#include <string>
#include <string_view>

namespace mc {

// The file's bytes turned into UTF-8 text.
struct DecodedIniText {
    std::string text;          // UTF-8, without the byte-order mark
    bool hadBom = false;       // the file started with EF BB BF
    bool fromGb18030 = false;  // the bytes were not UTF-8 and were converted
};

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool isValidUtf8(std::string_view bytes);

// GB18030 to UTF-8. A byte sequence that is not GB18030 becomes U+FFFD, one
// replacement per byte, so every input gives a result. When the system has no
// GB18030 converter, every byte that is not part of valid UTF-8 becomes U+FFFD.
std::string gb18030ToUtf8(std::string_view bytes);

// Valid UTF-8 is returned unchanged; each byte of an invalid sequence becomes
// U+FFFD. Used on text handed in for writing, so that a stray byte never makes
// the whole file read as GB18030 afterwards.
std::string sanitizeUtf8(std::string_view text);

// Decodes a file's bytes as described above.
DecodedIniText decodeIniBytes(std::string_view bytes);

// The longest prefix of text of at most maxBytes bytes that does not end in
// the middle of a UTF-8 character.
std::string_view utf8Prefix(std::string_view text, std::size_t maxBytes);

}  // namespace mc
