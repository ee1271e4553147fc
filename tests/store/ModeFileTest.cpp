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
#include "store/StoreTestUtil.h"

namespace mc::test {
namespace {

namespace fs = std::filesystem;

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
