// Reading INI files as Windows installations read them: the numbered cases
// are those established on Windows; each runs on a CRLF, an LF and a CR
// version of the file.

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "config/ConfigTestUtil.h"
#include "config/IniFile.h"

namespace mc {
namespace {

using test::TempDir;
using test::writeBytes;

std::string replaceAll(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at)) {
        text.replace(at, from.size(), to);
        at += to.size();
    }
    return text;
}

// The three line-end styles of a file written with CRLF.
std::vector<std::pair<const char*, std::string>> lineEndVariants(const std::string& crlf) {
    return {{"CRLF", crlf},
            {"LF", replaceAll(crlf, "\r\n", "\n")},
            {"CR", replaceAll(crlf, "\r\n", "\r")}};
}

struct ReadRow {
    const char* label;
    std::optional<std::string> file;  // nullopt: there is no file
    std::string section;
    std::string key;
    std::string defaultValue;
    std::string expected;
};

const std::string k3000x = "[S]\r\nk=" + std::string(3000, 'x') + "\r\n";
// 2046 ASCII bytes and a three-byte character that would end at byte 2049.
const std::string kCutInCharacter = "[S]\r\nk=" + std::string(2046, 'y') + "\xE4\xBC\x9A" + "\r\n";

const ReadRow kReadRows[] = {
    {"1 no file", std::nullopt, "S", "k", "d", "d"},
    {"2 blanks around names and value", "  [ S ]  \r\n\t k \t=  v  \r\n", "S", "k", "d", "v"},
    {"2 vertical tab is a blank", "\v[\vS\v]\r\n\vk\v=\vv\v\r\n", "S", "k", "d", "v"},
    {"3 plain", "[S]\r\nk=1\r\n", "S", "k", "d", "1"},
    {"4 one quote pair removed", "[S]\r\nk=\"  a b  \"\r\n", "S", "k", "d", "  a b  "},
    {"5 single quotes", "[S]\r\nk='x'\r\n", "S", "k", "d", "x"},
    {"5 mixed quotes kept", "[S]\r\nk=\"x'\r\n", "S", "k", "d", "\"x'"},
    {"5 only the outer pair", "[S]\r\nk=\"\"x\"\"\r\n", "S", "k", "d", "\"x\""},
    {"5 unclosed quote kept", "[S]\r\nk=\"abc\r\n", "S", "k", "d", "\"abc"},
    {"5 lone quote kept", "[S]\r\nk=\"\r\n", "S", "k", "d", "\""},
    {"6 quoted name is not the bare name", "[S]\r\n\"k\"=1\r\n", "S", "k", "d", "d"},
    {"6 quoted name keeps its quotes", "[S]\r\n\"k\"=1\r\n", "S", "\"k\"", "d", "1"},
    {"7 ASCII case ignored", "[MySec]\r\nMyKey=v\r\n", "mysec", "MYKEY", "d", "v"},
    {"8 first key wins", "[S]\r\nk=1\r\nk=2\r\n", "S", "k", "d", "1"},
    {"9 second section not searched", "[S]\r\na=1\r\n[T]\r\n[S]\r\nb=2\r\n", "S", "b", "d", "d"},
    {"9 first section searched", "[S]\r\na=1\r\n[T]\r\n[S]\r\nb=2\r\n", "S", "a", "d", "1"},
    {"10 comment", "[S]\r\n;k=1\r\n  ;j=2\r\n#h=3\r\n", "S", "k", "d", "d"},
    {"10 indented comment", "[S]\r\n;k=1\r\n  ;j=2\r\n#h=3\r\n", "S", "j", "d", "d"},
    {"10 hash is not a comment", "[S]\r\n;k=1\r\n  ;j=2\r\n#h=3\r\n", "S", "#h", "d", "3"},
    {"11 semicolon inside a value", "[S] ;n\r\nk=v ;x\r\n", "S", "k", "d", "v ;x"},
    {"12 line without equals", "[S]\r\nk\r\nm=\r\n", "S", "k", "d", "d"},
    {"12 empty value", "[S]\r\nk\r\nm=\r\n", "S", "m", "d", ""},
    {"13 missing bracket", "[S   \r\nk=1\r\n", "S", "k", "d", "1"},
    {"14 first bracket ends the name", "[a]b]\r\nk=1\r\n", "a", "k", "d", "1"},
    {"14 longer name not found", "[a]b]\r\nk=1\r\n", "a]b", "k", "d", "d"},
    {"15 key before any section", "k=0\r\n[S]\r\nk=1\r\n", "S", "k", "d", "1"},
    {"15 no section holds it", "k=0\r\n[S]\r\nk=1\r\n", "", "k", "d", "d"},
    {"17 long value cut", k3000x, "S", "k", "d", std::string(2047, 'x')},
    {"17 cut before a character", kCutInCharacter, "S", "k", "d", std::string(2046, 'y')},
    {"18 default loses trailing spaces", "[S]\r\nk=1\r\n", "S", "m", "ab  ", "ab"},
    {"18 default keeps leading spaces", "[S]\r\nk=1\r\n", "S", "m", "  ab", "  ab"},
    {"18 default keeps a trailing tab", "[S]\r\nk=1\r\n", "S", "m", "ab\t", "ab\t"},
    {"missing section", "[S]\r\nk=1\r\n", "T", "k", "d", "d"},
    {"equals inside a value", "[S]\r\nk=a=b\r\n", "S", "k", "d", "a=b"},
    {"names passed in lose blanks", "[S]\r\nk=1\r\n", " S\t", " k ", "d", "1"},
    {"Chinese name, ASCII part folded", "[Hall会议室]\r\nk=v\r\n", "HALL会议室", "k", "d", "v"},
    {"last line without line end", "[S]\r\nk=1", "S", "k", "d", "1"},
};

TEST(IniRead, ReadStringCases) {
    for (const ReadRow& row : kReadRows) {
        if (!row.file) {
            TempDir dir;
            const std::string path = dir.file("none.con");
            EXPECT_EQ(IniFile(path).readString(row.section, row.key, row.defaultValue),
                      row.expected)
                << row.label;
            EXPECT_EQ(iniReadString(path, row.section, row.key, row.defaultValue), row.expected)
                << row.label << " (single-shot)";
            continue;
        }
        for (const auto& [style, bytes] : lineEndVariants(*row.file)) {
            TempDir dir;
            const std::string path = dir.file("t.con");
            writeBytes(path, bytes);
            EXPECT_EQ(IniFile(path).readString(row.section, row.key, row.defaultValue),
                      row.expected)
                << row.label << " (" << style << ")";
            EXPECT_EQ(iniReadString(path, row.section, row.key, row.defaultValue), row.expected)
                << row.label << " (" << style << ", single-shot)";
        }
    }
}

struct SectionsRow {
    const char* label;
    std::optional<std::string> file;
    std::vector<std::string> expected;
};

const SectionsRow kSectionRows[] = {
    {"1 no file", std::nullopt, {}},
    {"empty file", "", {}},
    {"2 blanks trimmed", "  [ S ]  \r\n\t k \t=  v  \r\n", {"S"}},
    {"9 duplicates listed", "[S]\r\na=1\r\n[T]\r\n[S]\r\nb=2\r\n", {"S", "T", "S"}},
    {"13 missing bracket", "[S   \r\nk=1\r\n", {"S"}},
    {"14 first bracket", "[a]b]\r\nk=1\r\n", {"a"}},
    {"15 keys before sections", "k=0\r\n[S]\r\nk=1\r\n", {"S"}},
    {"16 empty sections, file order", "[A]\r\n[B]\r\nx=1\r\n[C]\r\n", {"A", "B", "C"}},
    {"spelling kept", "[Zeta]\r\n[alpha]\r\n[会议室]\r\n", {"Zeta", "alpha", "会议室"}},
    {"commented header", ";[X]\r\n[Y]\r\n", {"Y"}},
};

TEST(IniRead, SectionListCases) {
    for (const SectionsRow& row : kSectionRows) {
        TempDir dir;
        const std::string path = dir.file("t.con");
        if (!row.file) {
            EXPECT_EQ(iniSections(path), row.expected) << row.label;
            continue;
        }
        for (const auto& [style, bytes] : lineEndVariants(*row.file)) {
            writeBytes(path, bytes);
            EXPECT_EQ(IniFile(path).sections(), row.expected) << row.label << " (" << style << ")";
        }
    }
}

TEST(IniRead, ReadingCreatesNothing) {
    TempDir dir;
    const std::string missingFolder = dir.file("Matrix Config");
    const std::string path = missingFolder + "/MatrixConfig.con";
    EXPECT_EQ(iniReadString(path, "S", "k", "d"), "d");
    EXPECT_EQ(iniReadInteger(path, "S", "k", 7), 7);
    EXPECT_TRUE(iniReadBool(path, "S", "k", true));
    EXPECT_TRUE(iniSections(path).empty());
    EXPECT_TRUE(dir.entries().empty());
}

TEST(IniRead, FileIsReadAgainByEveryOperation) {
    // Nothing is cached: a change on disk is seen by the next operation.
    TempDir dir;
    const std::string path = dir.file("t.con");
    writeBytes(path, "[S]\nk=1\n");
    EXPECT_EQ(iniReadString(path, "S", "k", "d"), "1");
    writeBytes(path, "[S]\nk=2\n");
    EXPECT_EQ(iniReadString(path, "S", "k", "d"), "2");
}

}  // namespace
}  // namespace mc
