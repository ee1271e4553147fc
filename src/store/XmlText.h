#pragma once

// Internal to the store: reading MatrixMode.xml's bytes and turning them into
// the UTF-8 text the document is parsed from, per the file's encoding (see
// ModeStore.h for the encodings the program accepts).

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

namespace mc {

// How the file's bytes map to the UTF-8 text the document is parsed from.
struct XmlFileEncoding {
    std::string decodeFrom;  // iconv name of the file's encoding; empty: UTF-8
    std::string encodeTo;    // iconv name for writing back; empty: UTF-8
    std::string bom;         // byte-order mark written back before the text
    std::string declared;    // the declaration's encoding, lower-cased; "" for none

    bool operator==(const XmlFileEncoding&) const = default;
};

enum class ReadStatus { Loaded, Missing, Failed };

// Reads the whole regular file at path into bytes. Failed: reason says why.
ReadStatus readXmlFile(const std::string& path, std::string& bytes, std::string& reason);

// Turns the file's bytes into UTF-8 text in place and records the encoding.
// One rule, for reading and for checking what a save would write:
// 1. A UTF-16 byte-order mark (FF FE, FE FF) or a UTF-8 one (EF BB BF)
//    decides the bytes' encoding.
// 2. Otherwise the XML declaration does: the first thing in the text after
//    XML whitespace, "<?xml" in any case, as the parser takes it. GBK, GB2312
//    and GB18030 are read as GB18030 (written back as GBK, GB18030 for
//    GB18030); UTF-8, UTF8 or no declaration: UTF-8. UTF-16 without a mark
//    is refused.
// 3. A declaration naming any other encoding (UTF-7, Big5, ...) is refused,
//    with or without a mark.
// Throws ModeFileError (naming path and, where known, the position of the
// first bad byte) for bytes invalid in the file's encoding or an encoding the
// program does not accept.
void decodeXmlBytes(const std::string& path, std::string& bytes, XmlFileEncoding& encoding);

// text with ASCII letters lower-cased.
std::string lowerAsciiText(std::string_view text);

// Line and column (1-based, the column in characters) of offset in UTF-8 text.
std::pair<std::int32_t, std::int32_t> textPosition(std::string_view text, std::size_t offset);

}  // namespace mc
