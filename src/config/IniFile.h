#pragma once

// The INI file layer: configuration files, the port-name file and status
// files are read and written through it, with the semantics of INI files as
// Windows installations read and write them (the format is described in
// IniParse.h).
//
// Nothing is cached between operations. An operation opens an IniFile by
// path, reads and writes what it needs, and calls commit(); commit() replaces
// the file by a complete new version (temporary file, flush, rename), so no
// write ever leaves a half-written file. The free functions below do one read
// or one write-and-commit each.

#include "config/AtomicWrite.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mc {

// A write that could not be completed. what() is "Unable to write to <path>";
// the file on disk is left as it was before the failed commit. path() and
// reason() come from FileWriteError.
class IniWriteError : public FileWriteError {
public:
    explicit IniWriteError(const std::string& path, std::string reason = {});
};

// Integer syntax of the configuration files: leading blanks, one sign, then
// decimal, or hexadecimal after "$", "x", "X", "0x" or "0X"; nothing may follow
// the digits. Decimal outside the 32-bit signed range fails; hexadecimal up to
// FFFFFFFF is taken as 32 bits ("$FFFFFFFF" is -1, "-$10" is -16), beyond it
// fails. Empty text, a sign or prefix without digits, and trailing blanks fail.
// Blanks are space, tab and vertical tab.
std::optional<std::int32_t> parseIniInteger(std::string_view text);

// One INI file, loaded on construction (a missing file reads as empty). A file
// that exists but cannot be loaded (a folder, a FIFO, a device, an unreadable
// file, a file over 16 MiB) also reads as empty, loadError() says why, and
// commit() refuses to replace it.
// Strings going in and out are UTF-8. The file keeps its encoding
// (IniEncoding.h): UTF-16 with its byte-order mark in either order, UTF-8
// with or without a mark, and a file that is not valid UTF-8 is GBK, read and
// written as GB18030. Changed and new lines are encoded so; every other line
// keeps its bytes, bytes invalid in the encoding included.
//
// Names passed in lose surrounding blanks. Text written (names and values)
// has each line break replaced by a space, so that no write can add lines,
// and each invalid UTF-8 byte replaced by U+FFFD. A value that reading would
// change (surrounding blanks, one outer pair of the same quote) is written in
// double quotes, so that every value reads back as written (iniValueText).
// Reads return at most 2047 bytes, cut at a character boundary; a missing
// file, section or key gives the default without its trailing spaces.
//
// Writes change the loaded text only: the first section of a name and in it
// the first key; a new key goes after the last key line of its section, a new
// section at the end; every other line keeps its bytes. New lines take the
// file's line end (LF for a new file). Nothing reaches the disk before
// commit(), which the owner calls once; the destructor never writes.
// Not thread-safe; UI-thread use only.
class IniFile {
public:
    explicit IniFile(std::string path);
    // A file whose bytes are given instead of read from path (tests, fuzzing);
    // commit() writes to path as usual.
    IniFile(std::string path, std::string_view bytes);
    ~IniFile();
    IniFile(const IniFile&) = delete;
    IniFile& operator=(const IniFile&) = delete;

    const std::string& path() const;

    std::string readString(std::string_view section, std::string_view key,
                           std::string_view defaultValue) const;
    std::int32_t readInteger(std::string_view section, std::string_view key,
                             std::int32_t defaultValue) const;
    bool readBool(std::string_view section, std::string_view key, bool defaultValue) const;

    // REQUIRES: key is a name a file line can hold: no '=', not starting with
    // '[' or ';' (the program's own key names); throws std::invalid_argument
    // otherwise. Section names are not checked: a name holding ']' is written
    // as given and reads back as the text before the ']'.
    void writeString(std::string_view section, std::string_view key, std::string_view value);
    void writeInteger(std::string_view section, std::string_view key, std::int32_t value);
    void writeBool(std::string_view section, std::string_view key, bool value);

    // Section names in file order, duplicates and empty sections included.
    std::vector<std::string> sections() const;
    // Removes the first section of that name with its keys; comment lines stay.
    void eraseSection(std::string_view section);

    // Empty when the file was loaded or is missing; else why it exists but
    // could not be read, e.g. "是一个文件夹" (Chinese, for the operator).
    const std::string& loadError() const;
    // The bytes commit() would write; nullopt when they cannot be encoded.
    std::optional<std::string> bytes() const;

    // Whether writes are waiting for commit().
    bool dirty() const;
    // Writes the file if anything changed. Throws IniWriteError; on failure the
    // old file stays intact and the changes stay pending.
    void commit();

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

// Single-shot forms: open, read or write one entry, commit. The writers throw
// IniWriteError; erasing a missing section writes nothing.
std::string iniReadString(const std::string& path, std::string_view section, std::string_view key,
                          std::string_view defaultValue);
std::int32_t iniReadInteger(const std::string& path, std::string_view section, std::string_view key,
                            std::int32_t defaultValue);
bool iniReadBool(const std::string& path, std::string_view section, std::string_view key,
                 bool defaultValue);
void iniWriteString(const std::string& path, std::string_view section, std::string_view key,
                    std::string_view value);
void iniWriteInteger(const std::string& path, std::string_view section, std::string_view key,
                     std::int32_t value);
void iniWriteBool(const std::string& path, std::string_view section, std::string_view key,
                  bool value);
std::vector<std::string> iniSections(const std::string& path);
void iniEraseSection(const std::string& path, std::string_view section);

}  // namespace mc
