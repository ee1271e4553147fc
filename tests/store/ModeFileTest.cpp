// MatrixMode.xml as a file: creation when missing, malformed files that are
// never written, GBK and other encodings kept, and the mode-name rules.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

#include "config/AtomicWrite.h"
#include "config/IniEncoding.h"
#include "store/ModeName.h"
#include "store/ModeStore.h"
#include "store/ModeXml.h"
#include "store/StoreTestUtil.h"

namespace mc::test {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

const std::string kCreated = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<MatrixMode />\n";

class ModeFile : public ::testing::Test {
protected:
    TempDir dir;
    std::string path = dir.file("MatrixMode.xml");
    ModeStore store{path};
};

TEST_F(ModeFile, AMissingFileIsCreatedWithAnEmptyRootOnFirstUse) {
    EXPECT_TRUE(store.listModes().empty());
    EXPECT_EQ(readBytes(path), kCreated);

    fs::remove(path);
    Grid grid(model(4, 4));
    select(grid, {{1, 2}});
    store.saveMode("Mode甲", grid->selectedNodes());
    EXPECT_EQ(store.listModes(), std::vector<std::string>{"甲"});
}

TEST_F(ModeFile, AMissingFolderIsReportedOnlyByOperationsThatWrite) {
    const ModeStore nowhere(dir.file("gone/MatrixMode.xml"));
    Grid grid(model(4, 4));
    EXPECT_TRUE(nowhere.listModes().empty());
    EXPECT_EQ(applyModeTo(nowhere, "ModeA", grid), (ApplyResult{0, 0}));
    EXPECT_THROW(nowhere.saveMode("ModeA", grid->selectedNodes()), FileWriteError);
    EXPECT_THROW(nowhere.removeAllModes(), FileWriteError);
}

// Every operation on a malformed file stops with the file's name and the
// position of the error; the file and the state stay as they were.
TEST_F(ModeFile, AMalformedFileIsNeverWrittenAndTheStateStays) {
    const std::string malformed =
        "<?xml version=\"1.0\"?>\n<MatrixMode>\n  <ModeA></ModeB>\n</MatrixMode>\n";
    writeBytes(path, malformed);
    Grid grid(model(4, 4));
    select(grid, {{2, 2}});
    const std::function<void()> operations[] = {
        [&] { store.listModes(); },
        [&] { applyModeTo(store, "ModeA", grid); },
        [&] { store.saveMode("ModeA", grid->selectedNodes()); },
        [&] { store.deleteMode("ModeA"); },
        [&] { store.removeAllModes(); },
    };
    for (const auto& operation : operations) {
        try {
            operation();
            ADD_FAILURE() << "no error";
        } catch (const ModeFileError& error) {
            EXPECT_EQ(error.path(), path);
            EXPECT_EQ(error.line(), 3);
            EXPECT_EQ(error.column(), 12) << "at the end tag that does not match";
            const std::string text = error.what();
            EXPECT_NE(text.find(path), std::string::npos) << text;
            EXPECT_NE(text.find("第 3 行，第 12 列"), std::string::npos) << text;
            EXPECT_NE(text.find(error.reason()), std::string::npos) << text;
            EXPECT_FALSE(error.reason().empty());
        }
    }
    EXPECT_EQ(readBytes(path), malformed);
    EXPECT_EQ(grid->selectedNodes(), (std::vector<Node>{{2, 2}}));
    EXPECT_TRUE(grid.frames().empty());
}

TEST_F(ModeFile, FilesWithoutARootOrWithBadBytesAreErrors) {
    const struct {
        const char* what;
        std::string bytes;
        std::int32_t line;
    } cases[] = {
        {"empty file", "", 1},
        {"declaration only", "<?xml version=\"1.0\"?>\n", 2},
        {"invalid UTF-8", "<R>\n<Mode\xE4\xBC/>\n</R>\n", 2},
        {"invalid GBK", "<?xml version=\"1.0\" encoding=\"GBK\"?>\n<R>\x81\x20</R>", 2},
        {"unsupported encoding", "<?xml version=\"1.0\" encoding=\"Big5\"?>\n<R/>", 0},
    };
    for (const auto& c : cases) {
        writeBytes(path, c.bytes);
        try {
            store.listModes();
            ADD_FAILURE() << c.what;
        } catch (const ModeFileError& error) {
            EXPECT_EQ(error.line(), c.line) << c.what << ": " << error.what();
        }
        EXPECT_EQ(readBytes(path), c.bytes) << c.what;
    }
}

TEST_F(ModeFile, AGbkFileIsReadAndWrittenBackInGbk) {
    // <?xml ... encoding="GBK"?><模式表><Mode会议/></模式表> in GBK bytes.
    const std::string gbkMeeting = "\xBB\xE1\xD2\xE9";       // 会议
    const std::string gbkRoot = "\xC4\xA3\xCA\xBD\xB1\xED";  // 模式表
    writeBytes(path, "<?xml version=\"1.0\" encoding=\"GBK\"?>\r\n<" + gbkRoot + "><Mode" +
                         gbkMeeting + "/></" + gbkRoot + ">\r\n");
    EXPECT_EQ(store.listModes(), std::vector<std::string>{"会议"});

    Grid grid(model(4, 4));
    select(grid, {{0, 1}});
    store.saveMode("Mode大厅", grid->selectedNodes());
    const auto bytes = readBytes(path);
    ASSERT_TRUE(bytes);
    EXPECT_FALSE(isValidUtf8(*bytes)) << "still GBK";
    EXPECT_TRUE(bytes->starts_with("<?xml version=\"1.0\" encoding=\"GBK\"?>\n<" + gbkRoot + ">"));
    EXPECT_NE(bytes->find("<Mode\xB4\xF3\xCC\xFC>"), std::string::npos) << "大厅 in GBK";
    EXPECT_EQ(store.listModes(), (std::vector<std::string>{"会议", "大厅"}));
    Grid applied(model(4, 4));
    EXPECT_EQ(applyModeTo(store, "Mode大厅", applied), (ApplyResult{1, 0}));
}

TEST_F(ModeFile, GbkFamilyDeclarationsInAnyCaseAreRecognised) {
    for (const char* name : {"gb2312", "Gbk", "GB18030"}) {
        writeBytes(path, std::string("<?xml version='1.0' encoding = '") + name +
                             "'?><R><Mode\xBB\xE1\xD2\xE9/></R>");
        EXPECT_EQ(store.listModes(), std::vector<std::string>{"会议"}) << name;
        EXPECT_TRUE(store.deleteMode("Mode会议")) << name;
        EXPECT_EQ(readBytes(path),
                  std::string("<?xml version=\"1.0\" encoding=\"") + name + "\"?>\n<R />\n")
            << name;
    }
}

TEST_F(ModeFile, ANameTheFileEncodingCannotHoldIsRefusedWithoutWriting) {
    const std::string original = "<?xml version=\"1.0\" encoding=\"GBK\"?>\n<R />\n";
    writeBytes(path, original);
    Grid grid(model(4, 4));
    EXPECT_THROW(store.saveMode("Mode\xF0\x9F\x98\x80", grid->selectedNodes()), ModeFileError)
        << "an emoji";
    EXPECT_EQ(readBytes(path), original);
}

TEST_F(ModeFile, Utf16WithAByteOrderMarkStaysUtf16) {
    const std::string ascii = "<R><ModeA/></R>";
    std::string utf16 = "\xFF\xFE";
    for (char c : ascii) {
        utf16 += c;
        utf16 += '\0';
    }
    writeBytes(path, utf16);
    EXPECT_EQ(store.listModes(), std::vector<std::string>{"A"});
    store.deleteMode("ModeA");
    const auto bytes = readBytes(path);
    ASSERT_TRUE(bytes);
    EXPECT_EQ(*bytes, std::string("\xFF\xFE<\0R\0 \0/\0>\0\n\0", 14));
}

TEST_F(ModeFile, ContentOutsideTheModesIsKept) {
    writeBytes(
        path,
        "\xEF\xBB\xBF<!DOCTYPE Modes>\n<?app keep?>\n<Modes a=\"1\"><!--c--><ModeA/></Modes>");
    Grid grid(model(4, 4));
    store.saveMode("ModeB", grid->selectedNodes());
    EXPECT_EQ(readBytes(path),
              "\xEF\xBB\xBF<!DOCTYPE Modes>\n<?app keep?>\n"
              "<Modes a=\"1\">\n  <!--c-->\n  <ModeA />\n  <ModeB />\n</Modes>\n")
        << "byte-order mark, document type, instruction, comment and attribute stay; "
           "no declaration is added";
}

// ASCII text as UTF-16LE with its byte-order mark.
std::string utf16le(std::string_view ascii) {
    std::string bytes = "\xFF\xFE";
    for (const char c : ascii) {
        bytes += c;
        bytes += '\0';
    }
    return bytes;
}

TEST_F(ModeFile, ADeclarationAfterALineBreakDecidesReadingAndWriting) {
    writeBytes(path, "\r\n<?xml version=\"1.0\" encoding=\"GBK\"?>\r\n<R/>\r\n");
    Grid grid(model(4, 4));
    select(grid, {{0, 1}});
    store.saveMode("Mode会议", grid->selectedNodes());
    const auto bytes = readBytes(path);
    ASSERT_TRUE(bytes);
    EXPECT_NE(bytes->find("<Mode\xBB\xE1\xD2\xE9>"), std::string::npos) << "会议 in GBK";
    EXPECT_EQ(store.listModes(), std::vector<std::string>{"会议"});
    store.saveMode("Mode大厅", grid->selectedNodes());
    EXPECT_EQ(store.listModes(), (std::vector<std::string>{"会议", "大厅"}));
    Grid applied(model(4, 4));
    EXPECT_EQ(applyModeTo(store, "Mode会议", applied), (ApplyResult{1, 0}));
}

TEST_F(ModeFile, AnEncodingTheProgramCannotWriteIsRefusedWhereverItIsDeclared) {
    const std::string files[] = {
        "<?xml version=\"1.0\" encoding=\"UTF-7\"?><R><ModeA/></R>",
        "\n<?xml version=\"1.0\" encoding=\"UTF-7\"?><R><ModeA/></R>",
        " \t<?XML version=\"1.0\" encoding=\"utf-7\"?><R><ModeA/></R>",
        "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-7\"?><R><ModeA/></R>",
        utf16le("<?xml encoding='UTF-7'?><R><ModeA/></R>"),
        "<?xml version=\"1.0\" encoding=\"UTF-16\"?><R><ModeA/></R>",  // no mark
    };
    for (const std::string& bytes : files) {
        writeBytes(path, bytes);
        EXPECT_THROW(store.listModes(), ModeFileError) << bytes;
        Grid grid(model(4, 4));
        EXPECT_THROW(store.saveMode("ModeB", grid->selectedNodes()), ModeFileError) << bytes;
        EXPECT_EQ(readBytes(path), bytes) << "never written";
    }
}

TEST_F(ModeFile, ADeclarationThatIsNotTheFirstNodeIsRefused) {
    const std::string files[] = {
        "<!--c--><?xml version=\"1.0\" encoding=\"GBK\"?><R/>",
        "<?xml version=\"1.0\"?><?xml version=\"1.0\" encoding=\"GBK\"?><R/>",
        "<R/><?xml version=\"1.0\" encoding=\"GBK\"?>",
    };
    for (const std::string& bytes : files) {
        writeBytes(path, bytes);
        EXPECT_THROW(store.listModes(), ModeFileError) << bytes;
        EXPECT_EQ(readBytes(path), bytes);
    }
}

TEST_F(ModeFile, AUtf16MarkDecidesOverADeclaredUtf8) {
    // As Notepad saves a UTF-8 file as "Unicode": the declaration stays.
    writeBytes(path, utf16le("<?xml version=\"1.0\" encoding=\"UTF-8\"?><R><ModeA/></R>"));
    Grid grid(model(4, 4));
    store.saveMode("Mode会议", grid->selectedNodes());
    EXPECT_EQ(store.listModes(), (std::vector<std::string>{"A", "会议"}));
    const auto bytes = readBytes(path);
    ASSERT_TRUE(bytes);
    EXPECT_TRUE(bytes->starts_with("\xFF\xFE<\0?\0x\0m\0l\0"s));
}

// Found by fuzz/mode_fuzz: the declaration's encoding was looked for as the
// text "encoding" anywhere in it, so an attribute named versionencoding,
// unseen at the file's start (a vertical tab is not XML whitespace), named the
// encoding once a save had moved the declaration to the start: the saved file
// could not be read.
TEST_F(ModeFile, OnlyTheAttributeNamedEncodingNamesTheEncoding) {
    const std::string bytes = "\r\v<?xml versionencoding=\"GBK\"?>\r\n<R/>\r\n";
    writeBytes(path, bytes);
    Grid grid(model(4, 4));
    store.saveMode("ModeA", grid->selectedNodes());
    EXPECT_EQ(store.listModes(), std::vector<std::string>{"A"});
    EXPECT_EQ(readBytes(path), "<?xml versionencoding=\"GBK\"?>\n<R>\n  <ModeA />\n</R>\n");
    writeBytes(path, "<?xml version=\"1.0\" xencoding=\"GBK\" encoding=\"UTF-8\"?><R/>");
    EXPECT_EQ(store.listModes(), std::vector<std::string>{});
}

TEST_F(ModeFile, WhatASaveWouldWriteIsReadBackBeforeTheFileIsReplaced) {
    const std::string bytes = "<?xml version=\"1.0\" encoding=\"GBK\"?>\n<R><ModeA/></R>";
    const ModeDocument document(path, bytes);
    EXPECT_NO_THROW(document.verifySerialised(document.serialise()));
    EXPECT_NO_THROW(document.verifySerialised(bytes)) << "the same modes, however written";
    EXPECT_THROW(document.verifySerialised("<?xml version=\"1.0\"?>\n<R><ModeA/></R>"),
                 ModeFileError)
        << "another encoding";
    EXPECT_THROW(
        document.verifySerialised("<?xml version=\"1.0\" encoding=\"GBK\"?>\n<R><ModeB/></R>"),
        ModeFileError)
        << "other modes";
    EXPECT_THROW(
        document.verifySerialised("<?xml version=\"1.0\" encoding=\"GBK\"?>\n<S><ModeA/></S>"),
        ModeFileError)
        << "another root";
    EXPECT_THROW(document.verifySerialised("<?xml version=\"1.0\" encoding=\"GBK\"?>\n<R>"),
                 ModeFileError)
        << "unreadable";
    try {
        document.verifySerialised("<R><ModeA><N><InputPort>1</InputPort></N></ModeA></R>");
        ADD_FAILURE();
    } catch (const ModeFileError& error) {
        EXPECT_EQ(error.reason(), "保存的内容读回后与要保存的模式不符，文件未改动");
    }
}

TEST(ModeName, AcceptsNamesThatCanFollowMode) {
    for (const char* good : {"会议", "会议室1", "a-b.c_d", "1", "", "Ω·", "e\xCC\x81", "（甲）"}) {
        EXPECT_EQ(modeNameProblem(good), std::nullopt) << good;
    }
}

TEST(ModeName, RefusesNamesWithBlanksColonsAndPunctuation) {
    const struct {
        const char* name;
        const char* mentions;
    } cases[] = {
        {"会 议", "空格"},    {"a\tb", "制表符"}, {"a\xE3\x80\x80", "全角空格"},
        {"a:b", "“:”"},       {"a/b", "“/”"},     {"<x>", "“<”"},
        {"a&b", "“&”"},       {"\"q\"", "“\"”"},  {"a\x01", "控制字符"},
        {"\xFF", "无法识别"}, {"a,b", "“,”"},
    };
    for (const auto& c : cases) {
        const auto problem = modeNameProblem(c.name);
        ASSERT_TRUE(problem) << c.name;
        EXPECT_NE(problem->find(c.mentions), std::string::npos) << *problem;
    }
}

}  // namespace
}  // namespace mc::test
