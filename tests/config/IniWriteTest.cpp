// Writing INI files: the whole file after each sequence of writes, byte for
// byte. Every row runs twice: all operations on one IniFile with one commit,
// and each operation through the single-shot functions.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "config/ConfigTestUtil.h"
#include "config/IniFile.h"

namespace mc {
namespace {

using test::readBytes;
using test::TempDir;
using test::writeBytes;

struct Op {
    enum class Kind { String, Integer, Bool, Erase };
    Kind kind;
    std::string section;
    std::string key;
    std::string text;
    std::int32_t number = 0;
    bool flag = false;
};

Op WS(std::string s, std::string k, std::string v) {
    return {Op::Kind::String, s, k, v};
}
Op WI(std::string s, std::string k, std::int32_t n) {
    return {Op::Kind::Integer, s, k, {}, n};
}
Op WB(std::string s, std::string k, bool b) {
    return {Op::Kind::Bool, s, k, {}, 0, b};
}
Op ES(std::string s) {
    return {Op::Kind::Erase, s, {}, {}};
}

void apply(IniFile& file, const Op& op) {
    switch (op.kind) {
        case Op::Kind::String:
            file.writeString(op.section, op.key, op.text);
            break;
        case Op::Kind::Integer:
            file.writeInteger(op.section, op.key, op.number);
            break;
        case Op::Kind::Bool:
            file.writeBool(op.section, op.key, op.flag);
            break;
        case Op::Kind::Erase:
            file.eraseSection(op.section);
            break;
    }
}

void applySingleShot(const std::string& path, const Op& op) {
    switch (op.kind) {
        case Op::Kind::String:
            iniWriteString(path, op.section, op.key, op.text);
            break;
        case Op::Kind::Integer:
            iniWriteInteger(path, op.section, op.key, op.number);
            break;
        case Op::Kind::Bool:
            iniWriteBool(path, op.section, op.key, op.flag);
            break;
        case Op::Kind::Erase:
            iniEraseSection(path, op.section);
            break;
    }
}

struct WriteRow {
    const char* label;
    std::optional<std::string> before;  // nullopt: no file
    std::vector<Op> ops;
    std::string after;
};

const std::string kGbkFile = "[\xBB\xE1\xD2\xE9\xCA\xD2]\r\nk=\xBB\xE1\r\n";  // [会议室] k=会

const WriteRow kWriteRows[] = {
    {"19 no file", std::nullopt, {WS("S", "k", "v")}, "[S]\nk=v\n"},
    {"19 empty file", "", {WS("S", "k", "v")}, "[S]\nk=v\n"},
    {"20 line break before new section",
     "[A]\r\nx=1",
     {WS("B", "y", "2")},
     "[A]\r\nx=1\r\n[B]\r\ny=2\r\n"},
    {"21 existing spelling kept", "[A]\r\nx=1", {WS("A", "X", "2")}, "[A]\r\nx=2\r\n"},
    {"22 new keys after the last key",
     "[A]\r\nb=1\r\na=1\r\n",
     {WS("A", "z", ""), WS("A", "b", ""), WS("A", "y", "")},
     "[A]\r\nb=\r\na=1\r\nz=\r\ny=\r\n"},
    {"23 comments stay",
     ";t\r\n[A]\r\n;c1\r\nx=1\r\n;c2\r\n[B]\r\ny=2\r\n",
     {WS("A", "z", "3"), WS("A", "x", "9")},
     ";t\r\n[A]\r\n;c1\r\nx=9\r\nz=3\r\n;c2\r\n[B]\r\ny=2\r\n"},
    {"24 new section at the end",
     "[A]\r\nx=1\r\n[B]\r\ny=2\r\n",
     {WS("C", "z", "3")},
     "[A]\r\nx=1\r\n[B]\r\ny=2\r\n[C]\r\nz=3\r\n"},
    {"25 case-insensitive names",
     "[MySec]\r\nMyKey=1\r\n",
     {WS("MYSEC", "mykey", "2")},
     "[MySec]\r\nMyKey=2\r\n"},
    {"26 values reading would change are quoted",
     "[S]\r\nk=1\r\n",
     {WS("S", "k", " v "), WS("S", "q", "'s'"), WS("S", "d", "\"\"x\"\"")},
     "[S]\r\nk=\" v \"\r\nq=\"'s'\"\r\nd=\"\"\"x\"\"\"\r\n"},
    {"values reading keeps are written as given",
     std::nullopt,
     {WS("S", "u", "\"x'"), WS("S", "i", "a  b"), WS("S", "o", "\""), WS("S", "p", "v")},
     "[S]\nu=\"x'\ni=a  b\no=\"\np=v\n"},
    {"27 integers and booleans",
     std::nullopt,
     {WI("S", "k", -5), WB("S", "b", true), WB("S", "c", false)},
     "[S]\nk=-5\nb=1\nc=0\n"},
    {"28 erase", "[A]\r\nx=1\r\n[B]\r\ny=2\r\n", {ES("a")}, "[B]\r\ny=2\r\n"},
    {"29 erase keeps comments",
     ";c0\r\n[A]\r\n;c1\r\n[B]\r\n;c2\r\n",
     {ES("A"), ES("B")},
     ";c0\r\n;c1\r\n;c2\r\n"},
    {"30 erase missing section", "[A]\r\nx=1\r\n", {ES("Z")}, "[A]\r\nx=1\r\n"},
    {"LF file", "[A]\nx=1\n", {WS("A", "y", "2"), WS("B", "z", "3")}, "[A]\nx=1\ny=2\n[B]\nz=3\n"},
    {"CR file", "[A]\rx=1", {WS("A", "y", "2"), WS("B", "z", "3")}, "[A]\rx=1\ry=2\r[B]\rz=3\r"},
    {"first line end sets the style", "[A]\nx=1\r\n", {WS("A", "y", "2")}, "[A]\nx=1\r\ny=2\n"},
    {"header without line end", "[A]", {WS("A", "k", "v")}, "[A]\nk=v\n"},
    {"other lines keep their bytes",
     "; head\r\n\r\n  [ A ]  ; note\r\n  x = 1  \r\n\r\n[B]\r\ny = 2\r\n",
     {WS("A", "y", "5"), WS("B", "Y", "6")},
     "; head\r\n\r\n  [ A ]  ; note\r\n  x = 1  \r\ny=5\r\n\r\n[B]\r\ny=6\r\n"},
    {"first of duplicate sections",
     "[S]\r\na=1\r\n[T]\r\n[S]\r\nb=2\r\n",
     {WS("S", "b", "3")},
     "[S]\r\na=1\r\nb=3\r\n[T]\r\n[S]\r\nb=2\r\n"},
    {"first of duplicate keys",
     "[S]\r\nk=1\r\nk=2\r\n",
     {WS("S", "K", "9")},
     "[S]\r\nk=9\r\nk=2\r\n"},
    {"keys before sections untouched",
     "k=0\r\n[S]\r\n",
     {WS("S", "k", "1")},
     "k=0\r\n[S]\r\nk=1\r\n"},
    {"section without keys",
     "[A]\r\n;c\r\n[B]\r\n",
     {WS("A", "k", "v")},
     "[A]\r\nk=v\r\n;c\r\n[B]\r\n"},
    {"line without equals stays after",
     "[A]\r\nx=1\r\nstray\r\n",
     {WS("A", "y", "2")},
     "[A]\r\nx=1\r\ny=2\r\nstray\r\n"},
    {"erase keeps blank lines",
     "[A]\r\nx=1\r\nstray\r\n\r\n;c\r\n[B]\r\n",
     {ES("A")},
     "\r\n;c\r\n[B]\r\n"},
    {"erase the first of duplicates",
     "[S]\r\na=1\r\n[S]\r\nb=2\r\n",
     {ES("s"), WS("S", "b", "3")},
     "[S]\r\nb=3\r\n"},
    {"erase then write again",
     "[A]\r\nx=1\r\n[B]\r\ny=2\r\n",
     {ES("A"), WS("A", "x", "2")},
     "[B]\r\ny=2\r\n[A]\r\nx=2\r\n"},
    {"comments of an erased section join the one before",
     ";c0\r\n[A]\r\nx=1\r\n[B]\r\n;c\r\ny=2\r\n",
     {ES("B"), WS("A", "z", "3")},
     ";c0\r\n[A]\r\nx=1\r\nz=3\r\n;c\r\n"},
    {"erase the last section",
     "[A]\r\nx=1\r\n[B]\r\ny=2",
     {ES("B"), WS("C", "z", "3")},
     "[A]\r\nx=1\r\n[C]\r\nz=3\r\n"},
    {"line breaks never add lines",
     std::nullopt,
     {WS("S\nT", "k", "a\r\nb\nc"), WS("S T", "j\r", "d")},
     "[S T]\nk=a  b c\nj=d\n"},
    {"names lose surrounding blanks", "[S]\r\nk=1\r\n", {WS(" S ", "\tk ", "2")}, "[S]\r\nk=2\r\n"},
    {"Chinese names and values",
     std::nullopt,
     {WS("会议室", "名称", "大厅")},
     "[会议室]\n名称=大厅\n"},
    {"byte-order mark kept",
     "\xEF\xBB\xBF[A]\r\nx=1\r\n",
     {WS("A", "x", "2")},
     "\xEF\xBB\xBF[A]\r\nx=2\r\n"},
    {"GBK file stays GB18030", kGbkFile, {WS("会议室", "j", "室")}, kGbkFile + "j=\xCA\xD2\r\n"},
    {"invalid UTF-8 written as replacement",
     "[S]\r\nn=会\r\n",
     {WS("S", "k", "a\xFF")},
     "[S]\r\nn=会\r\nk=a\xEF\xBF\xBD\r\n"},
};

// Found by fuzz/ini_fuzz: in a file whose first line ends in CR alone, a key
// added before an empty line ending in LF made the two read as one CRLF, and
// the empty line was gone. Erasing a section could bring the two together too.
TEST(IniWrite, NoLineIsLostToACrFollowedByAnEmptyLfLine) {
    TempDir dir;
    const std::string path = dir.file("t.con");
    writeBytes(path, "[S]\rk=1\r\n\nl\r");
    iniWriteString(path, "S", "n", "v");
    EXPECT_EQ(readBytes(path), "[S]\rk=1\r\nn=v\r\n\nl\r");
    IniFile added(path);
    EXPECT_EQ(added.readString("S", "n", "d"), "v");

    writeBytes(path, ";c\r[B]\n\n[C]\rx=1\r");
    iniEraseSection(path, "B");
    EXPECT_EQ(readBytes(path), ";c\r\r\n[C]\rx=1\r") << "the empty line stays a line";
    EXPECT_EQ(iniSections(path), std::vector<std::string>{"C"});
}

TEST(IniWrite, WholeFileAfterWrites) {
    for (const WriteRow& row : kWriteRows) {
        for (const bool singleShot : {false, true}) {
            TempDir dir;
            const std::string path = dir.file("t.con");
            if (row.before) writeBytes(path, *row.before);
            if (singleShot) {
                for (const Op& op : row.ops)
                    applySingleShot(path, op);
            } else {
                IniFile file(path);
                for (const Op& op : row.ops)
                    apply(file, op);
                file.commit();
            }
            EXPECT_EQ(readBytes(path), row.after)
                << row.label << (singleShot ? " (single-shot)" : " (one IniFile)");
        }
    }
}

TEST(IniWrite, WrittenValuesReadBack) {
    TempDir dir;
    const std::string path = dir.file("t.con");
    const std::vector<std::pair<std::string, std::string>> values = {
        {"  lead", "  lead"},  // what reading would change is written quoted
        {"trail  ", "trail  "},
        {"\"quoted\"", "\"quoted\""},
        {"'single'", "'single'"},
        {"\t\v ", "\t\v "},
        {"\"x'", "\"x'"},
        {"a ; b", "a ; b"},
        {"大厅 1", "大厅 1"},
        {"", ""},
        {std::string(2047, 'z'), std::string(2047, 'z')},
    };
    for (std::size_t i = 0; i < values.size(); ++i)
        iniWriteString(path, "S", "k" + std::to_string(i), values[i].first);
    IniFile file(path);
    for (std::size_t i = 0; i < values.size(); ++i)
        EXPECT_EQ(file.readString("S", "k" + std::to_string(i), "d"), values[i].second) << i;
}

TEST(IniWrite, NothingReachesTheDiskBeforeCommit) {
    TempDir dir;
    const std::string path = dir.file("t.con");
    {
        IniFile file(path);
        EXPECT_FALSE(file.dirty());
        file.commit();  // nothing to write: no file appears
        EXPECT_FALSE(readBytes(path));
        file.writeString("S", "k", "v");
        EXPECT_TRUE(file.dirty());
        EXPECT_FALSE(readBytes(path));
    }  // destroyed without commit
    EXPECT_FALSE(readBytes(path));

    IniFile file(path);
    file.writeString("S", "k", "v");
    file.commit();
    EXPECT_FALSE(file.dirty());
    EXPECT_EQ(readBytes(path), "[S]\nk=v\n");
}

TEST(IniWrite, ErasingAMissingSectionWritesNothing) {
    TempDir dir;
    const std::string path = dir.file("t.con");
    writeBytes(path, "[A]\r\nx=1\r\n");
    struct stat before {};
    ASSERT_EQ(::stat(path.c_str(), &before), 0);
    iniEraseSection(path, "Z");
    struct stat after {};
    ASSERT_EQ(::stat(path.c_str(), &after), 0);
    EXPECT_EQ(before.st_ino, after.st_ino);  // not replaced

    // Nor does it need a folder or a file.
    const std::string nowhere = dir.file("missing/t.con");
    EXPECT_NO_THROW(iniEraseSection(nowhere, "Z"));
    EXPECT_FALSE(readBytes(nowhere));
}

TEST(IniWrite, WritingTheValueALineHoldsLeavesTheFileAlone) {
    TempDir dir;
    const std::string path = dir.file("t.con");
    writeBytes(path, "[System config]\r\nVideoOrAudio=2\r\nk = v\r\n");
    IniFile file(path);
    file.writeInteger("system CONFIG", "videoOrAudio", 2);
    EXPECT_FALSE(file.dirty());
    // The same value in another spelling of the line is a change.
    file.writeString("System config", "k", "v");
    EXPECT_TRUE(file.dirty());
    file.commit();
    EXPECT_EQ(readBytes(path), "[System config]\r\nVideoOrAudio=2\r\nk=v\r\n");
}

TEST(IniWrite, KeyNamesALineCannotHoldAreRefused) {
    TempDir dir;
    IniFile file(dir.file("t.con"));
    for (const char* key : {"a=b", ";k", "[k"})
        EXPECT_THROW(file.writeString("S", key, "v"), std::invalid_argument) << key;
}

TEST(IniWrite, UnchangedLinesAreNotTouchedByManyWrites) {
    // A status file written over an existing one: the node sections are
    // erased and rewritten, other sections and comments stay as they were.
    TempDir dir;
    const std::string path = dir.file("s.ms");
    writeBytes(path, ";kept\r\n[Matrix Message]\r\nSwitchNodeNum=1\r\n[Other]\r\nx=1\r\n");
    IniFile file(path);
    file.eraseSection("Matrix Message");
    file.writeInteger("Matrix Message", "Matrix Address", 82);
    file.writeInteger("Matrix Message", "SwitchNodeNum", 2);
    file.writeInteger("SwitchNode1", "I", 0);
    file.writeInteger("SwitchNode1", "J", 2);
    file.commit();
    EXPECT_EQ(readBytes(path),
              ";kept\r\n[Other]\r\nx=1\r\n[Matrix Message]\r\nMatrix Address=82\r\n"
              "SwitchNodeNum=2\r\n[SwitchNode1]\r\nI=0\r\nJ=2\r\n");
}

}  // namespace
}  // namespace mc
