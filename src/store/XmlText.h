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
};

enum class ReadStatus { Loaded, Missing, Failed };

// Reads the whole regular file at path into bytes. Failed: reason says why.
ReadStatus readXmlFile(const std::string& path, std::string& bytes, std::string& reason);

// Turns the file's bytes into UTF-8 text in place and records the encoding.
// Throws ModeFileError (naming path and, where known, the position of the
// first bad byte) for bytes invalid in the file's encoding or an encoding the
// program does not accept.
void decodeXmlBytes(const std::string& path, std::string& bytes, XmlFileEncoding& encoding);

// Line and column (1-based, the column in characters) of offset in UTF-8 text.
std::pair<std::int32_t, std::int32_t> textPosition(std::string_view text, std::size_t offset);

}  // namespace mc
