// Matrix status files: the layout written byte for byte, loading with its
// frames in order, the count test, skipped nodes and saving over old files.

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

TEST_F(StatusFile, SavesTheExampleByteForByte) {
    Grid grid(model(4, 4));
    select(grid, kExampleNodes);
    grid->MatrixInputEditEnable = true;
    grid->setInputName(0, "摄像机");
    grid->setInputName(3, "DVD");
    saveStatusFile(path, *grid);
    EXPECT_EQ(readBytes(path),
              "[Matrix Message]\nMatrix Address=82\nMatrixInputNum=4\nMatrixOutputNum=4\n"
              "SwitchNodeNum=2\n"
              "[SwitchNode1]\nI=0\nJ=2\n"
              "[SwitchNode2]\nI=1\nJ=4\n"
              "[MatrixInputStringList]\nInputString0=摄像机\nInputString1=\nInputString2=\n"
              "InputString3=DVD\n");
    EXPECT_TRUE(grid.frames().empty()) << "saving queues nothing";
}

TEST_F(StatusFile, LoadsTheExampleBackWithItsFramesInOrder) {
    {
        Grid saved(model(4, 4));
        select(saved, kExampleNodes);
        saved->ActiveAddress = 0x33;
        saved->MatrixOutputEditEnable = true;
        saved->setOutputName(2, "投影");
        saveStatusFile(path, *saved);
    }
    Grid grid(model(4, 4));
    grid->ActiveAddress = 0x21;
    select(grid, {{2, 1}, {3, 4}});
    grid->setInputName(1, "old");
    const StatusLoadResult result = loadStatusFile(path, *grid);
    ASSERT_TRUE(result.matched);
    EXPECT_EQ(result.nodes, (ApplyResult{2, 0}));
    EXPECT_EQ(grid.frames(), (std::vector<Bytes>{switchFrame(0x21, 2, 0), closeFrame(0x21, 1)}))
        << "frames carry the current address, not the saved one";
    EXPECT_EQ(grid->selectedNodes(), kExampleNodes) << "outputs 3 and 4 have no selected cell";
    EXPECT_TRUE(grid->box(0, 2).checked);
    EXPECT_TRUE(grid->box(1, 4).checked);
    EXPECT_EQ(result.inputNames, (std::vector<std::string>{"", "", "", ""}));
    EXPECT_EQ(result.outputNames, (std::vector<std::string>{"", "", "投影", ""}));
    EXPECT_EQ(grid->InputNames(), result.inputNames) << "a list saved unused empties the names";
    EXPECT_EQ(grid->OutputNames(), result.outputNames);
    EXPECT_FALSE(grid->MatrixOutputEditEnable) << "the window's name fields set the flags";
}

TEST_F(StatusFile, CycleModeInputsComeBackAsSwitchFramesInAscendingOrder) {
    Grid saved(model(8, 4));
    select(saved, {{0, 5}, {0, 1}, {0, 3}});
    saveStatusFile(path, *saved);
    Grid grid(model(8, 4));
    loadStatusFile(path, *grid);
    EXPECT_EQ(grid.frames(), (std::vector<Bytes>{switchFrame(0x52, 1, 0), switchFrame(0x52, 3, 0),
                                                 switchFrame(0x52, 5, 0)}));
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
        Grid grid(model(4, 4));
        select(grid, {{0, 0}});
        const StatusLoadResult result = loadStatusFile(path, *grid);
        EXPECT_EQ(result.matched, c.matched) << c.counts;
        EXPECT_EQ(grid->selected(3, 1), c.matched) << c.counts;
        EXPECT_EQ(grid->selected(0, 0), !c.matched) << "a refused file changes nothing";
        EXPECT_EQ(grid.frames().size(), c.matched ? 1u : 0u) << c.counts;
    }
}

TEST_F(StatusFile, MissingOrForeignFilesAreRefused) {
    Grid grid(model(4, 4));
    select(grid, kExampleNodes);
    grid->setInputName(0, "keep");
    EXPECT_FALSE(loadStatusFile(dir.file("missing.ms"), *grid).matched);
    writeBytes(path, "not an ini file at all\n");
    EXPECT_FALSE(loadStatusFile(path, *grid).matched);
    EXPECT_EQ(grid->selectedNodes(), kExampleNodes);
    EXPECT_EQ(grid->InputNames()[0], "keep");
    EXPECT_TRUE(grid.frames().empty());
}

TEST_F(StatusFile, AFileWithoutNodesClearsEverythingAndSendsNothing) {
    writeBytes(path, "[Matrix Message]\nMatrixInputNum=4\nMatrixOutputNum=4\nSwitchNodeNum=0\n");
    Grid grid(model(4, 4));
    select(grid, kExampleNodes);
    const StatusLoadResult result = loadStatusFile(path, *grid);
    ASSERT_TRUE(result.matched);
    EXPECT_EQ(result.nodes, (ApplyResult{0, 0}));
    EXPECT_TRUE(grid->selectedNodes().empty());
    EXPECT_TRUE(grid.frames().empty());
}

TEST_F(StatusFile, NodesBeyondTheFirstPageAreSelectedAndSentAfterReturningToTheFirstPage) {
    writeBytes(path,
               "[Matrix Message]\nMatrixInputNum=32\nMatrixOutputNum=32\nSwitchNodeNum=1\n"
               "[SwitchNode1]\nI=20\nJ=18\n");
    Grid grid(model(32, 32));
    ASSERT_TRUE(grid->DownBitBtnClick());
    ASSERT_TRUE(grid->RightBitBtnClick());
    ASSERT_TRUE(loadStatusFile(path, *grid).matched);
    EXPECT_EQ(grid->RowOffset(), 0);
    EXPECT_EQ(grid->ColumnOffset(), 0);
    EXPECT_TRUE(grid->selected(20, 18));
    EXPECT_EQ(grid.frames(), std::vector<Bytes>{switchFrame(0x52, 18, 20)});
    for (std::int32_t r = 0; r < grid->visibleRows(); ++r) {
        for (std::int32_t c = 0; c <= grid->visibleColumns(); ++c)
            EXPECT_FALSE(grid->box(r, c).checked) << r << "," << c;
    }
    ASSERT_TRUE(grid->DownBitBtnClick());
    ASSERT_TRUE(grid->RightBitBtnClick());
    EXPECT_TRUE(grid->box(4, 2).checked) << "paging shows it ticked";
}

TEST_F(StatusFile, NodesOutsideTheStateAreSkippedAndCounted) {
    writeBytes(path,
               "[Matrix Message]\nMatrixInputNum=4\nMatrixOutputNum=4\nSwitchNodeNum=9\n"
               "[SwitchNode1]\nI=4\nJ=0\n"     // output not below 4
               "[SwitchNode2]\nI=0\nJ=5\n"     // input above 4
               "[SwitchNode3]\nI=2\nJ=1\n"     // good
               "[SwitchNode4]\nI=-3\nJ=1\n"    // negative
               "[SwitchNode5]\nI=1\nJ=abc\n"   // unparsable
               "[SwitchNode6]\nI=1\n"          // no J
               "[SwitchNode8]\nI=3\nJ=4\n"     // good; 7 and 9 have no section
               "[SwitchNode10]\nI=1\nJ=1\n");  // beyond SwitchNodeNum, not read
    Grid grid(model(4, 4));
    const StatusLoadResult result = loadStatusFile(path, *grid);
    EXPECT_EQ(result.nodes, (ApplyResult{2, 7}));
    EXPECT_EQ(grid.frames(), (std::vector<Bytes>{switchFrame(0x52, 1, 2), closeFrame(0x52, 3)}));
    EXPECT_EQ(grid->selectedNodes(), (std::vector<Node>{{2, 1}, {3, 4}}));
}

TEST_F(StatusFile, AHugeNodeCountIsNotWalkedNodeByNode) {
    writeBytes(path,
               "[Matrix Message]\nMatrixInputNum=4\nMatrixOutputNum=4\nSwitchNodeNum=2147483647\n"
               "[switchnode1]\nI=1\nJ=2\n");
    Grid grid(model(4, 4));
    const StatusLoadResult result = loadStatusFile(path, *grid);
    EXPECT_EQ(result.nodes, (ApplyResult{1, 2147483646}));
    EXPECT_EQ(grid.frames(), std::vector<Bytes>{switchFrame(0x52, 2, 1)})
        << "section names compare without regard to case";
}

TEST_F(StatusFile, NodesAreFoundByTheirExactSectionNames) {
    writeBytes(path,
               "[Matrix Message]\nMatrixInputNum=4\nMatrixOutputNum=4\nSwitchNodeNum=1\n"
               "[SwitchNode1]\nI=0\nJ=1\n"
               "[SwitchNode-1]\nI=1\nJ=1\n");
    Grid grid(model(4, 4));
    const StatusLoadResult result = loadStatusFile(path, *grid);
    EXPECT_EQ(result.nodes, (ApplyResult{1, 0}));
    EXPECT_EQ(grid->selectedNodes(), (std::vector<Node>{{0, 1}}));
    EXPECT_EQ(grid.frames(), std::vector<Bytes>{switchFrame(0x52, 1, 0)});
}

TEST_F(StatusFile, NamesThatOnlyLookLikeNodesAreNotNodes) {
    writeBytes(path,
               "[Matrix Message]\nMatrixInputNum=4\nMatrixOutputNum=4\nSwitchNodeNum=3\n"
               "[SwitchNode+1]\nI=1\nJ=0\n[SwitchNode01]\nI=1\nJ=1\n[SwitchNode 2]\nI=1\nJ=2\n"
               "[SwitchNode2x]\nI=1\nJ=3\n[SwitchNode\xEF\xBC\x93]\nI=2\nJ=0\n"  // fullwidth 3
               "[SWITCHNODE3]\nI=3\nJ=3\n");
    Grid grid(model(4, 4));
    const StatusLoadResult result = loadStatusFile(path, *grid);
    EXPECT_EQ(result.nodes, (ApplyResult{1, 2}));
    EXPECT_EQ(grid->selectedNodes(), (std::vector<Node>{{3, 3}}));
}

TEST_F(StatusFile, ReadingGivesPlainDataAndChangesNothing) {
    writeBytes(path,
               "[Matrix Message]\nMatrixInputNum=3\nMatrixOutputNum=2\nSwitchNodeNum=3\n"
               "[SwitchNode1]\nI=1\nJ=3\n[SwitchNode3]\nI=9\nJ=9\n"
               "[MatrixInputStringList]\nInputString1=DVD\n");
    const StatusFileContents contents = readStatusFile(path, 4, 1);
    EXPECT_EQ(contents.unreadable, "");
    EXPECT_EQ(contents.inputNum, 3);
    EXPECT_EQ(contents.outputNum, 2);
    EXPECT_EQ(contents.nodes, (std::vector<Node>{{1, 3}, {9, 9}}));
    EXPECT_EQ(contents.invalid, 1);
    EXPECT_EQ(contents.inputNames, (std::vector<std::string>{"", "DVD", "", ""}));
    EXPECT_EQ(contents.outputNames, (std::vector<std::string>{""}));
}

TEST_F(StatusFile, AFileThatCannotBeReadIsReportedWithItsReason) {
    Grid grid(model(4, 4));
    select(grid, kExampleNodes);
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
        const StatusLoadResult result = loadStatusFile(row.path, *grid);
        EXPECT_FALSE(result.matched) << row.path;
        EXPECT_EQ(result.error, "无法读取状态文件 " + row.path + "：" + row.reason);
        EXPECT_EQ(readStatusFile(row.path, 0, 0).unreadable, row.reason);
    }
    EXPECT_EQ(grid->selectedNodes(), kExampleNodes);
    EXPECT_TRUE(grid.frames().empty());
    EXPECT_EQ(loadStatusFile(dir.file("missing.ms"), *grid).error, "")
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
    Grid grid(model(4, 4));
    select(grid, kExampleNodes);
    saveStatusFile(path, *grid);
    EXPECT_EQ(readBytes(path),
              "[Custom]\nx=1\n"
              "[SwitchNode1]\nI=0\nJ=2\n[SwitchNode2]\nI=1\nJ=4\n"
              "[SwitchNode04]\nI=0\nJ=0\n"
              "[Matrix Message]\nMatrix Address=82\nMatrixInputNum=4\nMatrixOutputNum=4\n"
              "SwitchNodeNum=2\n");
}

TEST_F(StatusFile, AFailedSaveLeavesNoFile) {
    Grid grid(model(4, 4));
    const std::string unreachable = dir.file("no such folder/state.ms");
    EXPECT_THROW(saveStatusFile(unreachable, *grid), IniWriteError);
    EXPECT_EQ(dir.entries(), std::vector<std::string>{});
}

}  // namespace
}  // namespace mc::test
