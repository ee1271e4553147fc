#pragma once

// The in-memory form of an INI file: every line kept byte for byte (so that a
// rewrite changes only the lines written to), grouped by section, with the
// section and key names indexed once so that lookups do not scan the file.
// Lines are split in the file's encoding (IniEncoding.h) and each is decoded
// to UTF-8 on its own; a line read from the file keeps its original bytes
// until it is changed, and is written back with them.
//
// Format, as Windows installations read these files:
// - Lines end in CRLF, LF or CR. Blanks are space, tab and vertical tab.
// - A line whose first non-blank character is '[' opens a section; the name
//   runs to the first ']' (or to the end of the line when there is none) and
//   loses its surrounding blanks; text after the ']' is ignored.
// - A line whose first non-blank character is ';' is a comment ('#' is not).
// - Any other line holding '=' is a key: the name is the text before the
//   first '=', the value the text after it, both without surrounding blanks;
//   a value whose first and last characters are the same quote (" or ') loses
//   that one pair. Names never lose quotes. Other lines carry nothing.
// - Lines before the first section belong to no section.
// - Section and key names compare ignoring the case of ASCII letters only.
//   Only the first section of a name is searched, and in it the first key.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "config/IniEncoding.h"

namespace mc {

enum class IniLineKind : std::uint8_t { Blank, Comment, Section, Key, Other };

struct IniLine {
    // The line's text in UTF-8 without its line end (bytes invalid in the
    // file's encoding replaced by U+FFFD).
    std::string text;
    // The line's bytes in the file, without the line end, when encoding text
    // would not give them back (other encodings, invalid bytes); written back
    // instead of text. Lines the program writes have none.
    std::optional<std::string> original;
    std::string_view eol;  // "", "\n", "\r\n" or "\r"; refers to static storage
    IniLineKind kind = IniLineKind::Other;
    std::string name;   // Section and Key: the name
    std::string value;  // Key: the value as read
};

struct IniSection {
    IniLine header;
    std::vector<IniLine> body;  // the lines up to the next header
    // Case-folded key name -> index in body of the first key of that name.
    std::unordered_map<std::string, std::size_t> keys;
    // Index in body just after the last key line; 0 when there is none. A new
    // key is inserted here; only non-key lines lie at or after it, so
    // inserting never moves an indexed line.
    std::size_t keyEnd = 0;
};

struct IniDocument {
    IniEncoding encoding;  // the file's; a new file is UTF-8 without a mark
    // UTF-16 only: an odd last byte, not part of any line; it stays the last
    // byte of the file, so that lines added before it keep their alignment.
    std::string tail;
    std::string_view eol = "\n";  // line end for new lines: the file's first one
    std::vector<IniLine> preamble;
    std::vector<IniSection> sections;
    // Case-folded section name -> index of the first section of that name.
    std::unordered_map<std::string, std::size_t> sectionIndex;

    IniSection* findSection(std::string_view name);
    const IniSection* findSection(std::string_view name) const;
    // The last line of the file, or nullptr for an empty file.
    IniLine* lastLine();
    // Rebuilds sectionIndex after sections were removed.
    void reindexSections();
};

// Blanks: space, tab, vertical tab.
std::string_view trimBlanks(std::string_view text);
// ASCII letters to lower case; every other byte unchanged.
std::string foldAsciiCase(std::string_view text);

// The value a key line holds when the text after its '=' is text: without
// surrounding blanks, then without one outer pair of the same quote.
std::string_view iniValueAsRead(std::string_view text);
// The text to put after '=' so that the line reads back as value (one line,
// no line breaks): value itself when reading keeps it, else value in double
// quotes, which reading removes again. So a value with surrounding blanks, or
// enclosed in a pair of the same quote (`"x"`, `'x'`, `""x""`), is quoted;
// `"x'`, `"`, `a  b` and the empty value are written as they are.
std::string iniValueText(std::string_view value);

// Classifies one line (without its line end) and extracts name and value.
IniLine classifyIniLine(std::string text, std::string_view eol);

// Splits a file's bytes, in the encoding detectIniEncoding finds, into the
// document. serializeIni(parseIniBytes(b)) == b for every b.
IniDocument parseIniBytes(std::string_view bytes);
// Splits UTF-8 text (no byte-order mark) into the document of a UTF-8 file.
IniDocument parseIniText(std::string_view text);
// The document's bytes in its encoding, byte-order mark included when the
// file had one: original bytes for the lines that have them, the others
// encoded. nullopt only when the system cannot encode GB18030.
std::optional<std::string> serializeIni(const IniDocument& document);

}  // namespace mc
