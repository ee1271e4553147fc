// Integers and booleans as the configuration files hold them, and the
// hexadecimal text of the address fields.

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <optional>
#include <string>

#include "config/ConfigTestUtil.h"
#include "config/HexToInt.h"
#include "config/IniFile.h"

namespace mc {
namespace {

using test::TempDir;
using test::writeBytes;

struct IntegerRow {
    const char* value;  // as it stands after "k=" in the file
    std::int32_t expected;
};

// Read with default 7.
const IntegerRow kIntegerRows[] = {
    {"42", 42},
    {"+5", 5},
    {"-5", -5},
    {"010", 10},
    {"$1F", 31},
    {"0x1F", 31},
    {"0X1f", 31},
    {"x1F", 31},
    {"X1f", 31},
    {"-$10", -16},
    {"2147483647", 2147483647},
    {"2147483648", 7},
    {"-2147483648", INT32_MIN},
    {"-2147483649", 7},
    {"99999999999999999999", 7},
    {"$7FFFFFFF", 2147483647},
    {"$FFFFFFFF", -1},
    {"$80000000", INT32_MIN},
    {"$000000001", 1},
    {"$100000000", 7},
    {"42abc", 7},
    {"abc", 7},
    {"1.5", 7},
    {"$", 7},
    {"0x", 7},
    {"-", 7},
    {"--5", 7},
    {"- 5", 7},
    {"$-5", 7},
    {"0", 0},
    {"-0", 0},
    {"\" 5\"", 5},
    {"\"\t5\"", 5},
    {"\"5 \"", 7},
    {"\"12\"", 12},
    {"", 7},
    {"\"\"", 7},
    {"82", 82},
    {"0x52", 82},
    {"$52", 82},
    {"52", 52},
    {"5Z", 7},
};

TEST(IniInteger, ReadIntegerCases) {
    TempDir dir;
    const std::string path = dir.file("t.con");
    for (const IntegerRow& row : kIntegerRows) {
        writeBytes(path, std::string("[S]\r\nk=") + row.value + "\r\n");
        EXPECT_EQ(iniReadInteger(path, "S", "k", 7), row.expected) << "value: " << row.value;
    }
}

TEST(IniInteger, ParseDirectly) {
    // The same syntax serves the dialog's number fields.
    EXPECT_EQ(parseIniInteger("  12"), 12);
    EXPECT_EQ(parseIniInteger("\v-0x10"), -16);
    EXPECT_EQ(parseIniInteger("-$FFFFFFFF"), 1);  // negation wraps like the value
    EXPECT_EQ(parseIniInteger(""), std::nullopt);
    EXPECT_EQ(parseIniInteger("   "), std::nullopt);
    EXPECT_EQ(parseIniInteger("12 "), std::nullopt);
    EXPECT_EQ(parseIniInteger("1 2"), std::nullopt);
}

TEST(IniInteger, MissingEntriesGiveTheDefault) {
    TempDir dir;
    const std::string path = dir.file("t.con");
    EXPECT_EQ(iniReadInteger(path, "S", "k", -3), -3);  // no file
    writeBytes(path, "[S]\r\nk\r\nm=\r\n");
    EXPECT_EQ(iniReadInteger(path, "T", "k", 4), 4);  // no section
    EXPECT_EQ(iniReadInteger(path, "S", "n", 5), 5);  // no key
    EXPECT_EQ(iniReadInteger(path, "S", "k", 6), 6);  // line without '='
    EXPECT_EQ(iniReadInteger(path, "S", "m", 7), 7);  // case 12: empty value
}

struct BoolRow {
    const char* value;
    bool withDefaultFalse;
    bool withDefaultTrue;
};

const BoolRow kBoolRows[] = {
    {"1", true, true},     {"0", false, false},     {"-1", true, true},    {"2", true, true},
    {"0x0", false, false}, {"$10", true, true},     {"true", false, true}, {"yes", false, true},
    {"", false, true},     {"\"0\"", false, false}, {"0 ", false, false},
};

TEST(IniInteger, ReadBoolCases) {
    TempDir dir;
    const std::string path = dir.file("t.con");
    for (const BoolRow& row : kBoolRows) {
        writeBytes(path, std::string("[S]\r\nb=") + row.value + "\r\n");
        IniFile file(path);
        EXPECT_EQ(file.readBool("S", "b", false), row.withDefaultFalse) << "value: " << row.value;
        EXPECT_EQ(file.readBool("S", "b", true), row.withDefaultTrue) << "value: " << row.value;
    }
    EXPECT_TRUE(iniReadBool(path, "S", "missing", true));
    EXPECT_FALSE(iniReadBool(path, "S", "missing", false));
}

TEST(IniInteger, WrittenIntegersReadBack) {
    TempDir dir;
    const std::string path = dir.file("t.con");
    IniFile file(path);
    for (const std::int32_t value : {0, 1, -1, 255, INT32_MAX, INT32_MIN})
        file.writeInteger("S", "v" + std::to_string(value), value);
    file.commit();
    for (const std::int32_t value : {0, 1, -1, 255, INT32_MAX, INT32_MIN})
        EXPECT_EQ(iniReadInteger(path, "S", "v" + std::to_string(value), 7), value);
    EXPECT_EQ(iniReadString(path, "S", "v-2147483648", ""), "-2147483648");
}

struct HexRow {
    const char* text;
    std::int32_t expected;
};

const HexRow kHexRows[] = {
    {"ff", 255},
    {"FF", 255},
    {"aB", 171},
    {"52", 82},
    {"00", 0},
    {"", 0},
    {"1G", 32},  // 'G' counts as 16
    {"g", 16},
    {" ", -16},  // space: 32 - 48
    {"7FFFFFFF", INT32_MAX},
    {"80000000", INT32_MIN},
    {"FFFFFFFF", -1},
    {"100000000", 0},  // wraps: the top digit falls off
    {"123456789", 0x23456789},
};

TEST(HexToIntTest, Cases) {
    for (const HexRow& row : kHexRows)
        EXPECT_EQ(HexToInt(row.text), row.expected) << row.text;
}

}  // namespace
}  // namespace mc
