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

TEST(IniEncoding, GbkFileKeepsItsContentWhenRewritten) {
    TempDir dir;
    const std::string path = dir.file("t.con");
    writeBytes(path, ";" + kGbkMeetingRoom + "\r\n[A]\r\nname=" + kGbkMeetingRoom + "\r\n");
    iniWriteInteger(path, "A", "n", 3);
    EXPECT_EQ(readBytes(path), ";会议室\r\n[A]\r\nname=会议室\r\nn=3\r\n");
    EXPECT_EQ(iniReadString(path, "A", "name", "d"), "会议室");  // now read as UTF-8
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
