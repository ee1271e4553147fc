// Encodings: GBK files from Windows installations, UTF-8 with and without a
// byte-order mark, and cutting long values at character boundaries.

#include <gtest/gtest.h>

#include <string>

#include "config/ConfigTestUtil.h"
#include "config/IniEncoding.h"
#include "config/IniFile.h"

namespace mc {
namespace {

using test::readBytes;
using test::TempDir;
using test::writeBytes;

// 会议室 in GBK.
const std::string kGbkMeetingRoom = "\xBB\xE1\xD2\xE9\xCA\xD2";

TEST(IniEncoding, GbkFileReadsAsUtf8) {
    TempDir dir;
    const std::string path = dir.file("MatrixModelConfig.con");
    writeBytes(path, "[" + kGbkMeetingRoom + "]\r\nMatrixCustomLogo=" + kGbkMeetingRoom +
                         " A\r\nMatrixAddress=82\r\n");
    IniFile file(path);
    EXPECT_EQ(file.sections(), std::vector<std::string>{"会议室"});
    EXPECT_EQ(file.readString("会议室", "MatrixCustomLogo", "d"), "会议室 A");
    EXPECT_EQ(file.readInteger("会议室", "matrixaddress", 0), 82);
}

TEST(IniEncoding, GbkBytesAreNeverCaseFolded) {
    // \x81\x41 and \x81\x61 differ only in a byte that is 'A' / 'a' in ASCII.
    TempDir dir;
    const std::string path = dir.file("t.con");
    writeBytes(path, "[\x81\x41]\r\nk=1\r\n[\x81\x61]\r\nk=2\r\n");
    IniFile file(path);
    const std::string first = "\xE4\xB8\x84";   // U+4E04, GBK 81 41
    const std::string second = "\xE4\xB9\xA4";  // U+4E64, GBK 81 61
    EXPECT_EQ(file.sections(), (std::vector<std::string>{first, second}));
    EXPECT_EQ(file.readString(first, "k", "d"), "1");
    EXPECT_EQ(file.readString(second, "k", "d"), "2");
}

TEST(IniEncoding, ByteOrderMarkIsSkipped) {
    TempDir dir;
    const std::string path = dir.file("t.con");
    writeBytes(path, "\xEF\xBB\xBF[会议室]\nk=会\n");
    EXPECT_EQ(iniSections(path), std::vector<std::string>{"会议室"});
    EXPECT_EQ(iniReadString(path, "会议室", "k", "d"), "会");
}

TEST(IniEncoding, GbkFileStaysGb18030AndKeepsItsLines) {
    TempDir dir;
    const std::string path = dir.file("t.con");
    const std::string before =
        ";" + kGbkMeetingRoom + "\r\n[A]\r\nname=" + kGbkMeetingRoom + "\r\n";
    writeBytes(path, before);
    iniWriteInteger(path, "A", "n", 3);
    EXPECT_EQ(readBytes(path), before + "n=3\r\n");
    iniWriteString(path, "A", "name", "大厅");
    // 大厅 in GBK is B4 F3 CC FC.
    EXPECT_EQ(readBytes(path),
              ";" + kGbkMeetingRoom + "\r\n[A]\r\nname=\xB4\xF3\xCC\xFC\r\nn=3\r\n");
    EXPECT_EQ(iniReadString(path, "A", "name", "d"), "大厅");
    // A character outside GBK goes in as a GB18030 four-byte sequence.
    iniWriteString(path, "A", "emoji", "\xF0\x9F\x98\x80");
    EXPECT_EQ(iniReadString(path, "A", "emoji", "d"), "\xF0\x9F\x98\x80");
    EXPECT_EQ(iniReadString(path, "A", "name", "d"), "大厅");
}

// The text as UTF-16 code units, little- or big-endian, without a mark.
std::string utf16(std::u16string_view text, bool little) {
    std::string bytes;
    for (const char16_t unit : text) {
        const auto high = static_cast<char>(unit >> 8);
        const auto low = static_cast<char>(unit & 0xFF);
        bytes += little ? low : high;
        bytes += little ? high : low;
    }
    return bytes;
}

TEST(IniEncoding, Utf16FilesAreReadAndWrittenInTheirByteOrder) {
    for (const bool little : {true, false}) {
        SCOPED_TRACE(little ? "UTF-16LE" : "UTF-16BE");
        TempDir dir;
        const std::string path = dir.file("MatrixConfig.con");
        const std::string bom = little ? "\xFF\xFE" : "\xFE\xFF";
        // As Notepad saves MatrixConfig.con ("Unicode").
        writeBytes(path, bom + utf16(u"[Serial Commucation Set]\r\nPortNum=COM3\r\n"
                                     u";\u6ce8\u91ca\r\n[Matrix Manage Message]\r\n"
                                     u"MatrixNowUse=\u4f1a\u8bae\u5ba4\r\n",
                                     little));
        EXPECT_EQ(iniReadString(path, "Serial Commucation Set", "PortNum", "COM1"), "COM3");
        EXPECT_EQ(iniReadString(path, "Matrix Manage Message", "MatrixNowUse", "d"), "会议室");
        iniWriteString(path, "Matrix Manage Message", "MatrixNowUse", "大厅");
        iniWriteInteger(path, "System config", "CircleTime", 5);
        EXPECT_EQ(readBytes(path),
                  bom + utf16(u"[Serial Commucation Set]\r\nPortNum=COM3\r\n"
                              u";\u6ce8\u91ca\r\n[Matrix Manage Message]\r\n"
                              u"MatrixNowUse=\u5927\u5385\r\n[System config]\r\nCircleTime=5\r\n",
                              little));
        EXPECT_EQ(iniReadString(path, "Matrix Manage Message", "MatrixNowUse", "d"), "大厅");
    }
}

TEST(IniEncoding, Utf16KeepsUnpairedSurrogatesAndAnOddByteOfUntouchedLines) {
    TempDir dir;
    const std::string path = dir.file("t.con");
    const std::string damaged = utf16(u";", true) + std::string("\x00\xD8", 2);  // lone D800
    const std::string before = "\xFF\xFE" + damaged + utf16(u"\r\n[A]\r\nx=1\r\n", true) + "Z";
    writeBytes(path, before);
    EXPECT_EQ(iniReadInteger(path, "A", "x", 0), 1);
    iniWriteInteger(path, "A", "y", 2);
    EXPECT_EQ(readBytes(path),
              "\xFF\xFE" + damaged + utf16(u"\r\n[A]\r\nx=1\r\ny=2\r\n", true) + "Z");
}

TEST(IniEncoding, InvalidBytesOfUntouchedLinesAreWrittenBackUnchanged) {
    struct Row {
        const char* label;
        std::string before;
        std::string after;
    };
    const Row rows[] = {
        // Not valid UTF-8, so GB18030: \xFF is invalid there too.
        {"GBK file with a damaged comment", ";\xFF\xBB\r\n[A]\r\nname=" + kGbkMeetingRoom + "\r\n",
         ";\xFF\xBB\r\n[A]\r\nname=" + kGbkMeetingRoom + "\r\nn=3\r\n"},
        {"UTF-8 file with a mark and a damaged comment", "\xEF\xBB\xBF;\xC0\xAF\n[A]\nname=会\n",
         "\xEF\xBB\xBF;\xC0\xAF\n[A]\nname=会\nn=3\n"},
        {"a stray binary line", "[A]\n\x01\x02\xFE\xFF\x80\nx=1\n",
         "[A]\n\x01\x02\xFE\xFF\x80\nx=1\nn=3\n"},
    };
    for (const Row& row : rows) {
        TempDir dir;
        const std::string path = dir.file("t.con");
        writeBytes(path, row.before);
        iniWriteInteger(path, "A", "n", 3);
        EXPECT_EQ(readBytes(path), row.after) << row.label;
    }
}

TEST(IniEncoding, AUtf8MarkDecidesTheEncoding) {
    TempDir dir;
    const std::string path = dir.file("t.con");
    writeBytes(path, "\xEF\xBB\xBF[会议室]\n;\xFF\nk=会\n");
    EXPECT_EQ(iniSections(path), std::vector<std::string>{"会议室"});
    EXPECT_EQ(iniReadString(path, "会议室", "k", "d"), "会");
}

// Found by fuzz/ini_fuzz: a line added after a UTF-16 file's odd last byte
// was written one byte out of step, so it and every later line read as
// garbage.
TEST(IniEncoding, AnOddLastByteOfAUtf16FileStaysLastAndNewLinesKeepTheirAlignment) {
    TempDir dir;
    const std::string path = dir.file("t.con");
    const std::string before = "\xFE\xFF" + utf16(u"[A]\r\nx=\u4f1a", false) + "Z";
    writeBytes(path, before);
    iniWriteString(path, "S", "k", "v");
    EXPECT_EQ(readBytes(path),
              "\xFE\xFF" + utf16(u"[A]\r\nx=\u4f1a\r\n[S]\r\nk=v\r\n", false) + "Z");
    EXPECT_EQ(iniReadString(path, "S", "k", "d"), "v");
    EXPECT_EQ(iniReadString(path, "A", "x", "d"), "会");
}

TEST(IniEncoding, Utf8Validation) {
    struct Row {
        const char* label;
        std::string bytes;
        bool valid;
    };
    const Row rows[] = {
        {"ASCII", "abc", true},
        {"Chinese", "会议室", true},
        {"four bytes", "\xF0\x9F\x98\x80", true},
        {"empty", "", true},
        {"GBK", kGbkMeetingRoom, false},
        {"lone continuation", "\x80", false},
        {"overlong slash", "\xC0\xAF", false},
        {"overlong three bytes", "\xE0\x80\xAF", false},
        {"surrogate", "\xED\xA0\x80", false},
        {"above U+10FFFF", "\xF4\x90\x80\x80", false},
        {"cut off", "\xE4\xBC", false},
        {"FF byte", "\xFF", false},
    };
    for (const Row& row : rows)
        EXPECT_EQ(isValidUtf8(row.bytes), row.valid) << row.label;
}

TEST(IniEncoding, InvalidBytesBecomeReplacementCharacters) {
    EXPECT_EQ(gb18030ToUtf8(kGbkMeetingRoom), "会议室");
    EXPECT_EQ(gb18030ToUtf8("\x81\x30\x81\x30"), "\xC2\x80");  // four-byte form, U+0080
    EXPECT_EQ(gb18030ToUtf8("a\xFF"
                            "b"),
              "a\xEF\xBF\xBD"
              "b");
    EXPECT_EQ(gb18030ToUtf8("a\xBB"), "a\xEF\xBF\xBD");  // cut off at the end
    std::string replacements;
    for (int i = 0; i < 1000; ++i)
        replacements += "\xEF\xBF\xBD";
    EXPECT_EQ(gb18030ToUtf8(std::string(1000, '\xFF')), replacements);  // grows threefold
    std::string gbk;
    std::string utf8;
    for (int i = 0; i < 1000; ++i) {
        gbk += kGbkMeetingRoom;
        utf8 += "会议室";
    }
    EXPECT_EQ(gb18030ToUtf8(gbk), utf8);
    EXPECT_EQ(sanitizeUtf8("ok会\xC0\xAF"), "ok会\xEF\xBF\xBD\xEF\xBF\xBD");
}

TEST(IniEncoding, PrefixEndsAtACharacterBoundary) {
    EXPECT_EQ(utf8Prefix("abc", 5), "abc");
    EXPECT_EQ(utf8Prefix("会议", 6), "会议");
    EXPECT_EQ(utf8Prefix("会议", 5), "会");
    EXPECT_EQ(utf8Prefix("会议", 3), "会");
    EXPECT_EQ(utf8Prefix("会议", 2), "");
    EXPECT_EQ(utf8Prefix("a会", 1), "a");
}

}  // namespace
}  // namespace mc
