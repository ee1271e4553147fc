#pragma once

// Text encodings of the INI files, as Windows reads and writes them. The
// program works in UTF-8; a file keeps the encoding it was read in:
// - a file that begins with FF FE or FE FF is UTF-16, little- or big-endian,
//   and is written back in that order with its byte-order mark;
// - a file that begins with EF BB BF is UTF-8; the mark is kept on writing;
// - any other file that is valid UTF-8 (an empty or missing file included) is
//   UTF-8;
// - anything else is GBK from a Chinese-language Windows system, read and
//   written as GB18030, the superset that holds every character.
// Lines are split in the file's encoding, so a byte that is invalid in it
// stays inside its line; every line the program does not change is written
// back with the bytes it had (IniParse.h).

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "config/TextConvert.h"

namespace mc {

enum class IniCharset : std::uint8_t { Utf8, Gb18030, Utf16Le, Utf16Be };

struct IniEncoding {
    IniCharset charset = IniCharset::Utf8;
    bool bom = false;  // the file starts with the charset's byte-order mark

    bool operator==(const IniEncoding&) const = default;
};

// The encoding of a file's bytes, by the rules above.
IniEncoding detectIniEncoding(std::string_view bytes);

// The byte-order mark of the encoding ("" when it has none).
std::string_view iniBom(const IniEncoding& encoding);

// Turns the lines of one file into UTF-8 and back. Decoding never fails: a
// byte sequence invalid in the encoding becomes U+FFFD (for UTF-16: each
// unpaired surrogate and a trailing odd byte). Encoding takes valid UTF-8 and
// gives the file's bytes; GB18030 and UTF-16 hold every character, so it
// fails only on a system without a GB18030 converter (nullopt). Holds its
// converters; not thread-safe.
class IniLineCodec {
public:
    explicit IniLineCodec(IniCharset charset);

    IniCharset charset() const { return m_charset; }
    // The length in bytes of one code unit: 2 for UTF-16, else 1.
    std::size_t unitSize() const;

    std::string decode(std::string_view bytes) const;
    std::optional<std::string> encode(std::string_view utf8) const;
    // Whether decode(bytes) and encode() give bytes back unchanged, without
    // converting: ASCII in UTF-8 and GB18030, valid UTF-8 in UTF-8.
    bool roundTripsAsIs(std::string_view bytes) const;

    // Splits the first line off bytes (in this encoding): its content and its
    // line end as "", "\n", "\r\n" or "\r" (static storage).
    std::string_view takeLine(std::string_view& bytes, std::string_view& content) const;

private:
    IniCharset m_charset;
    // Only for GB18030.
    std::unique_ptr<TextConverter> m_fromGb18030;
    std::unique_ptr<TextConverter> m_toGb18030;
};

// Length of the valid UTF-8 sequence at the start of bytes (1 to 4), or 0
// when the sequence there is invalid or cut off (and for no bytes at all).
std::size_t validSequenceLength(std::string_view bytes);

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

// The longest prefix of text of at most maxBytes bytes that does not end in
// the middle of a UTF-8 character.
std::string_view utf8Prefix(std::string_view text, std::size_t maxBytes);

}  // namespace mc
