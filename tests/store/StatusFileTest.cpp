// Matrix status files: the layout written byte for byte, reading back in node
// order, the count test, unreadable nodes and saving over old files.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "config/IniFile.h"
#include "store/StatusFile.h"
#include "store/StoreTestUtil.h"

namespace mc::test {
namespace {

class StatusFile : public ::testing::Test {
protected:
    TempDir dir;
    std::string path = dir.file("state.ms");
};

// Output 1 on input 3 and output 2 closed, on a 4 × 4 matrix.
const std::vector<Node> kExampleNodes{{0, 2}, {1, 4}};

StatusContent exampleContent() {
    StatusContent content;
    content.address = 0x52;
    content.inputs = 4;
    content.outputs = 4;
    content.nodes = kExampleNodes;
    return content;
}

TEST_F(StatusFile, SavesTheExampleByteForByte) {
    StatusContent content = exampleContent();
    content.names.inputs = std::vector<std::string>{"摄像机", "", "", "DVD"};
    saveStatusFile(path, content);
    EXPECT_EQ(readBytes(path),
              "[Matrix Message]\nMatrix Address=82\nMatrixInputNum=4\nMatrixOutputNum=4\n"
              "SwitchNodeNum=2\n"
              "[SwitchNode1]\nI=0\nJ=2\n"
              "[SwitchNode2]\nI=1\nJ=4\n"
              "[MatrixInputStringList]\nInputString0=摄像机\nInputString1=\nInputString2=\n"
              "InputString3=DVD\n");
}

TEST_F(StatusFile, ReadsTheExampleBackWithItsNodesInOrderAndAllNames) {
    StatusContent content = exampleContent();
    content.address = 0x33;
    content.nodes = {{0, 5}, {0, 1}, {1, 4}};
    content.names.outputs = std::vector<std::string>{"", "", "投影", ""};
    saveStatusFile(path, content);
    const StatusFileRead read = readStatusFile(path, 4, 4);
    ASSERT_TRUE(read.matched);
    EXPECT_EQ(read.nodes, content.nodes) << "node order as saved";
    EXPECT_EQ(read.unreadable, 0);
    EXPECT_EQ(read.inputNames, (std::vector<std::string>{"", "", "", ""}));
    EXPECT_EQ(read.outputNames, (std::vector<std::string>{"", "", "投影", ""}));
}

TEST_F(StatusFile, AcceptsAFileWhenOneCountMatches) {
    const struct {
        const char* counts;
        bool matched;
    } cases[] = {
        {"MatrixInputNum=4\nMatrixOutputNum=4\n", true},
        {"MatrixInputNum=4\nMatrixOutputNum=9\n", true},
        {"MatrixInputNum=9\nMatrixOutputNum=4\n", true},
        {"MatrixInputNum=8\nMatrixOutputNum=8\n", false},
        {"", false},
    };
    for (const auto& c : cases) {
        writeBytes(path, std::string("[Matrix Message]\n") + c.counts +
                             "SwitchNodeNum=1\n[SwitchNode1]\nI=3\nJ=1\n");
        const StatusFileRead read = readStatusFile(path, 4, 4);
        EXPECT_EQ(read.matched, c.matched) << c.counts;
        EXPECT_EQ(read.nodes.size(), c.matched ? 1u : 0u) << c.counts;
    }
}

TEST_F(StatusFile, MissingOrForeignFilesAreRefused) {
    EXPECT_FALSE(readStatusFile(dir.file("missing.ms"), 4, 4).matched);
    writeBytes(path, "not an ini file at all\n");
    EXPECT_FALSE(readStatusFile(path, 4, 4).matched);
}

TEST_F(StatusFile, UnreadableNodesAreCountedAndRangeIsLeftToTheCaller) {
    writeBytes(path,
               "[Matrix Message]\nMatrixInputNum=4\nMatrixOutputNum=4\nSwitchNodeNum=9\n"
               "[SwitchNode1]\nI=4\nJ=0\n"     // output not below 4: the caller skips it
               "[SwitchNode2]\nI=0\nJ=5\n"     // input above 4: the caller skips it
               "[SwitchNode3]\nI=2\nJ=1\n"     // good
               "[SwitchNode4]\nI=-3\nJ=1\n"    // negative
               "[SwitchNode5]\nI=1\nJ=abc\n"   // unparsable
               "[SwitchNode6]\nI=1\n"          // no J
               "[SwitchNode8]\nI=3\nJ=4\n"     // good; 7 and 9 have no section
               "[SwitchNode10]\nI=1\nJ=1\n");  // beyond SwitchNodeNum, not read
    const StatusFileRead read = readStatusFile(path, 4, 4);
    EXPECT_EQ(read.nodes, (std::vector<Node>{{4, 0}, {0, 5}, {2, 1}, {3, 4}}));
    EXPECT_EQ(read.unreadable, 5);
}

TEST_F(StatusFile, AHugeNodeCountIsNotWalkedNodeByNode) {
    writeBytes(path,
               "[Matrix Message]\nMatrixInputNum=4\nMatrixOutputNum=4\nSwitchNodeNum=2147483647\n"
               "[switchnode1]\nI=1\nJ=2\n");
    const StatusFileRead read = readStatusFile(path, 4, 4);
    EXPECT_EQ(read.nodes, (std::vector<Node>{{1, 2}})) << "section names compare without case";
    EXPECT_EQ(read.unreadable, 2147483646);
}

TEST_F(StatusFile, NodesAreFoundByTheirExactSectionNames) {
    writeBytes(path,
               "[Matrix Message]\nMatrixInputNum=4\nMatrixOutputNum=4\nSwitchNodeNum=1\n"
               "[SwitchNode1]\nI=0\nJ=1\n"
               "[SwitchNode-1]\nI=1\nJ=1\n");
    const StatusFileRead read = readStatusFile(path, 4, 4);
    EXPECT_EQ(read.nodes, (std::vector<Node>{{0, 1}}));
    EXPECT_EQ(read.unreadable, 0);
}

TEST_F(StatusFile, NamesThatOnlyLookLikeNodesAreNotNodes) {
    writeBytes(path,
               "[Matrix Message]\nMatrixInputNum=4\nMatrixOutputNum=4\nSwitchNodeNum=3\n"
               "[SwitchNode+1]\nI=1\nJ=0\n[SwitchNode01]\nI=1\nJ=1\n[SwitchNode 2]\nI=1\nJ=2\n"
               "[SwitchNode2x]\nI=1\nJ=3\n[SwitchNode\xEF\xBC\x93]\nI=2\nJ=0\n"  // fullwidth 3
               "[SWITCHNODE3]\nI=3\nJ=3\n");
    const StatusFileRead read = readStatusFile(path, 4, 4);
    EXPECT_EQ(read.nodes, (std::vector<Node>{{3, 3}}));
    EXPECT_EQ(read.unreadable, 2);
}

TEST_F(StatusFile, AFileThatCannotBeReadIsReportedWithItsReason) {
    std::filesystem::create_directory(dir.file("folder.ms"));
    ASSERT_EQ(::mkfifo(dir.file("fifo.ms").c_str(), 0600), 0);
    {
        std::ofstream big(dir.file("big.ms"), std::ios::binary);
        big.seekp(16 * 1024 * 1024);
        big.put('x');
    }
    struct Row {
        std::string path;
        std::string reason;
    };
    const Row rows[] = {
        {dir.file("folder.ms"), "是一个文件夹"},
        {dir.file("fifo.ms"), "是管道或套接字，不是普通文件"},
        {"/dev/null", "是设备，不是普通文件"},
        {dir.file("big.ms"), "超过 16 MiB 的大小上限"},
    };
    for (const Row& row : rows) {
        // Counts of 0 would match a file read as empty.
        const StatusFileRead read = readStatusFile(row.path, 0, 0);
        EXPECT_FALSE(read.matched) << row.path;
        EXPECT_EQ(read.error, "无法读取状态文件 " + row.path + "：" + row.reason);
        EXPECT_TRUE(read.nodes.empty() && read.inputNames.empty());
    }
    EXPECT_EQ(readStatusFile(dir.file("missing.ms"), 0, 0).error, "")
        << "missing is not unreadable";
}

TEST_F(StatusFile, SavingOverALongerFileRemovesTheExtraNodesAndKeepsOtherSections) {
    writeBytes(path,
               "[Custom]\nx=1\n"
               "[Matrix Message]\nMatrix Address=1\nMatrixInputNum=4\nMatrixOutputNum=4\n"
               "SwitchNodeNum=4\nOld=1\n"
               "[SwitchNode1]\nI=0\nJ=0\n[SwitchNode2]\nI=1\nJ=0\n[SwitchNode3]\nI=2\nJ=0\n"
               "[SwitchNode4]\nI=3\nJ=0\n[switchnode4]\nI=3\nJ=1\n[SwitchNode04]\nI=0\nJ=0\n"
               "[MatrixInputStringList]\nInputString0=gone\n");
    saveStatusFile(path, exampleContent());
    EXPECT_EQ(readBytes(path),
              "[Custom]\nx=1\n"
              "[SwitchNode1]\nI=0\nJ=2\n[SwitchNode2]\nI=1\nJ=4\n"
              "[SwitchNode04]\nI=0\nJ=0\n"
              "[Matrix Message]\nMatrix Address=82\nMatrixInputNum=4\nMatrixOutputNum=4\n"
              "SwitchNodeNum=2\n");
}

TEST_F(StatusFile, AFailedSaveLeavesNoFile) {
    const std::string unreachable = dir.file("no such folder/state.ms");
    EXPECT_THROW(saveStatusFile(unreachable, exampleContent()), IniWriteError);
    EXPECT_EQ(dir.entries(), std::vector<std::string>{});
}

}  // namespace
}  // namespace mc::test
