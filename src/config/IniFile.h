#pragma once

// The INI file layer: configuration files, the port-name file and status
// files are read and written through it, with the semantics of INI files as
// Windows installations read and write them (see IniFile.cpp for the format).
//
// Nothing is cached between operations. An operation opens an IniFile by
// path, reads and writes what it needs, and calls commit(); commit() replaces
// the file by a complete new version (temporary file, flush, rename), so no
// write ever leaves a half-written file. The free functions below do one read
// or one write-and-commit each.

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace mc {

// A write that could not be completed. what() is "Unable to write to <path>";
// the file on disk is left as it was before the failed commit.
class IniWriteError : public std::runtime_error {
public:
    explicit IniWriteError(const std::string& path);
    const std::string& path() const { return m_path; }

private:
    std::string m_path;
};

// Integer syntax of the configuration files: leading blanks, one sign, then
// decimal, or hexadecimal after "$", "x", "X", "0x" or "0X"; nothing may follow
// the digits. Decimal outside the 32-bit signed range fails; hexadecimal of up
// to 8 digits wraps to 32 bits ("$FFFFFFFF" is -1). Empty text fails.
std::optional<std::int32_t> parseIniInteger(std::string_view text);

// One INI file, loaded on construction (a missing file reads as empty).
// Strings going in and out are UTF-8; a file that is not valid UTF-8 is read
// as GB18030, and written back whole in UTF-8 when it is written to.
// Not thread-safe; UI-thread use only.
class IniFile {
public:
    explicit IniFile(std::string path);
    ~IniFile();
    IniFile(const IniFile&) = delete;
    IniFile& operator=(const IniFile&) = delete;

    const std::string& path() const;

    std::string readString(std::string_view section, std::string_view key,
                           std::string_view defaultValue) const;
    std::int32_t readInteger(std::string_view section, std::string_view key,
                             std::int32_t defaultValue) const;
    bool readBool(std::string_view section, std::string_view key, bool defaultValue) const;

    void writeString(std::string_view section, std::string_view key, std::string_view value);
    void writeInteger(std::string_view section, std::string_view key, std::int32_t value);
    void writeBool(std::string_view section, std::string_view key, bool value);

    // Section names in file order, duplicates and empty sections included.
    std::vector<std::string> sections() const;
    // Removes the first section of that name with its keys; comment lines stay.
    void eraseSection(std::string_view section);

    // Whether writes are waiting for commit().
    bool dirty() const;
    // Writes the file if anything changed. Throws IniWriteError; on failure the
    // old file stays intact and the changes stay pending.
    void commit();

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

// Single-shot forms: open, read or write one entry, commit.
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
