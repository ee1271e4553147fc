// Matrix modes: saving, listing, applying and deleting modes in
// MatrixMode.xml, with the frames that applying queues.

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "store/ModeStore.h"
#include "store/StoreTestUtil.h"

namespace mc::test {
namespace {

const std::string kDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";

class Modes : public ::testing::Test {
protected:
    void writeModes(const std::string& body) {
        writeBytes(path, kDeclaration + "<MatrixMode>" + body + "</MatrixMode>\n");
    }

    TempDir dir;
    std::string path = dir.file("MatrixMode.xml");
    ModeStore store{path};
};

TEST_F(Modes, SavesTheMeetingExampleAndListsIt) {
    writeBytes(path, kDeclaration + "<MatrixMode />\n");
    Grid grid(model(4, 4));
    select(grid, {{0, 2}, {1, 4}});
    store.saveMode(modeElementName("会议"), grid->selectedNodes());
    EXPECT_EQ(readBytes(path), kDeclaration +
                                   "<MatrixMode>\n"
                                   "  <Mode会议>\n"
                                   "    <SwitchNode1>\n"
                                   "      <InputPort>2</InputPort>\n"
                                   "      <OutputPort>0</OutputPort>\n"
                                   "    </SwitchNode1>\n"
                                   "    <SwitchNode2>\n"
                                   "      <InputPort>4</InputPort>\n"
                                   "      <OutputPort>1</OutputPort>\n"
                                   "    </SwitchNode2>\n"
                                   "  </Mode会议>\n"
                                   "</MatrixMode>\n");
    EXPECT_EQ(store.listModes(), std::vector<std::string>{"会议"});
    EXPECT_TRUE(grid.frames().empty()) << "saving sends nothing";
}

TEST_F(Modes, SavingAnExistingModeReplacesItsContentInPlace) {
    writeModes(
        "<ModeA><SwitchNode1><InputPort>0</InputPort><OutputPort>0</OutputPort>"
        "</SwitchNode1><SwitchNode2/></ModeA><ModeB/>");
    Grid grid(model(4, 4));
    select(grid, {{3, 3}});
    store.saveMode("ModeA", grid->selectedNodes());
    EXPECT_EQ(store.listModes(), (std::vector<std::string>{"A", "B"})) << "no second element";
    Grid applied(model(4, 4));
    EXPECT_EQ(applyModeTo(store, "ModeA", applied), (ApplyResult{1, 0}));
    EXPECT_EQ(applied->selectedNodes(), (std::vector<Node>{{3, 3}}));
}

TEST_F(Modes, ListsEveryChildElementWithoutItsFirstFourCharacters) {
    writeModes("<Preset1/><!-- a comment --><Mode会议/><会议室甲乙/><abc/><Mode/>");
    EXPECT_EQ(store.listModes(), (std::vector<std::string>{"et1", "会议", "乙", "", ""}));
}

TEST_F(Modes, ChoosingPresetOneLooksForModeEtOneAndClearsTheGrid) {
    writeModes("<Preset1><N><InputPort>1</InputPort><OutputPort>1</OutputPort></N></Preset1>");
    Grid grid(model(4, 4));
    select(grid, {{0, 1}, {2, 4}});
    const auto result = applyModeTo(store, modeElementName(store.listModes().at(0)), grid);
    EXPECT_EQ(result, (ApplyResult{0, 0}));
    EXPECT_TRUE(grid->selectedNodes().empty());
    EXPECT_TRUE(grid.frames().empty());
}

TEST_F(Modes, ApplyingClearsOtherCrosspointsWithoutFramesAndSendsOnePerNode) {
    writeModes(
        "<ModeX><A><OutputPort>1</OutputPort><InputPort>4</InputPort></A>"
        "<B><InputPort>3</InputPort><OutputPort>2</OutputPort></B></ModeX>");
    Grid grid(model(4, 4));
    grid->ActiveAddress = 0x44;
    select(grid, {{0, 0}, {3, 1}, {2, 2}});
    EXPECT_EQ(applyModeTo(store, "ModeX", grid), (ApplyResult{2, 0}));
    EXPECT_EQ(grid.frames(), (std::vector<Bytes>{closeFrame(0x44, 1), switchFrame(0x44, 3, 2)}))
        << "node names are not looked at; ports are found by name";
    EXPECT_EQ(grid->selectedNodes(), (std::vector<Node>{{1, 4}, {2, 3}}));
}

TEST_F(Modes, CycleModeInputsAreAppliedAsSwitchFramesInDocumentOrder) {
    writeModes(
        "<ModeC><N><InputPort>5</InputPort><OutputPort>0</OutputPort></N>"
        "<N><InputPort>1</InputPort><OutputPort>0</OutputPort></N>"
        "<N><InputPort>3</InputPort><OutputPort>0</OutputPort></N></ModeC>");
    Grid grid(model(8, 4));
    applyModeTo(store, "ModeC", grid);
    EXPECT_EQ(grid.frames(), (std::vector<Bytes>{switchFrame(0x52, 5, 0), switchFrame(0x52, 1, 0),
                                                 switchFrame(0x52, 3, 0)}));
    EXPECT_EQ(grid->selectedNodes(), (std::vector<Node>{{0, 1}, {0, 3}, {0, 5}}));
}

TEST_F(Modes, ANodeBeyondTheFirstPageIsSetAndSentButTicksNoBox) {
    writeModes("<ModeF><N><InputPort>0</InputPort><OutputPort>19</OutputPort></N></ModeF>");
    Grid grid(model(32, 32));
    ASSERT_TRUE(grid.page->DownBitBtnClick());
    applyModeTo(store, "ModeF", grid);
    EXPECT_EQ(grid.page->RowOffset(), 0);
    EXPECT_TRUE(grid->selected(19, 0));
    EXPECT_EQ(grid.frames(), std::vector<Bytes>{switchFrame(0x52, 0, 19)});
    for (std::int32_t r = 0; r < grid.page->visibleRows(); ++r)
        EXPECT_FALSE(grid.page->box(r, 0).checked) << r;
}

TEST_F(Modes, BadAndOutOfRangeNodesAreSkippedAndCountedWithoutStopping) {
    writeModes(
        "<ModeS>"
        "<N><InputPort>0</InputPort><OutputPort>4</OutputPort></N>"        // output 4 of 4
        "<N><InputPort>5</InputPort><OutputPort>0</OutputPort></N>"        // input above 4
        "<N><InputPort>x</InputPort><OutputPort>0</OutputPort></N>"        // unparsable
        "<N><InputPort></InputPort><OutputPort>0</OutputPort></N>"         // empty
        "<N><InputPort>1</InputPort></N>"                                  // no output
        "<N><InputPort>-1</InputPort><OutputPort>1</OutputPort></N>"       // negative
        "<N><InputPort> 2 </InputPort><OutputPort>\n3\n</OutputPort></N>"  // good
        "<N><InputPort>$1</InputPort><OutputPort>0x1</OutputPort></N>"     // good, hex
        "</ModeS>");
    Grid grid(model(4, 4));
    EXPECT_EQ(applyModeTo(store, "ModeS", grid), (ApplyResult{2, 6}));
    EXPECT_EQ(grid.frames(),
              (std::vector<Bytes>{switchFrame(0x52, 2, 3), switchFrame(0x52, 1, 1)}));
}

TEST_F(Modes, DeletingRemovesTheFirstElementOfThatNameOnly) {
    writeModes("<ModeA/><ModeB/><ModeA><N/></ModeA>");
    EXPECT_TRUE(store.deleteMode("ModeA"));
    EXPECT_EQ(store.listModes(), (std::vector<std::string>{"B", "A"}));
    EXPECT_TRUE(store.deleteMode("ModeA"));
    const auto before = readBytes(path);
    EXPECT_FALSE(store.deleteMode("ModeA"));
    EXPECT_EQ(readBytes(path), before) << "nothing to delete, nothing written";
}

TEST_F(Modes, RemovingAllModesKeepsTheRootAndTheDeclaration) {
    writeBytes(path,
               "<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"yes\"?>\n"
               "<!-- shipped -->\n<Presets version=\"2\"><ModeA/><!-- x --><ModeB>t</ModeB>"
               "</Presets>\n");
    store.removeAllModes();
    EXPECT_EQ(readBytes(path),
              "<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"yes\"?>\n"
              "<!-- shipped -->\n<Presets version=\"2\" />\n");
    EXPECT_TRUE(store.listModes().empty());
}

TEST_F(Modes, SavingRefusesNamesThatCannotBeElementNames) {
    writeModes("");
    const auto before = readBytes(path);
    Grid grid(model(4, 4));
    for (const char* bad : {"Mode a b", "Modex:y", "Mode<", "Other", "Mode&amp;"}) {
        EXPECT_THROW(store.saveMode(bad, grid->selectedNodes()), std::invalid_argument) << bad;
    }
    EXPECT_EQ(readBytes(path), before);
}

TEST_F(Modes, RemovingAllModesKeepsTheRootAndCreatesAMissingFile) {
    writeModes(
        "<Mode会议><SwitchNode1><InputPort>2</InputPort><OutputPort>0</OutputPort>"
        "</SwitchNode1></Mode会议>\n<ModeB/>\n");
    ASSERT_EQ(store.listModes(), (std::vector<std::string>{"会议", "B"}));
    store.removeAllModes();
    EXPECT_TRUE(store.listModes().empty());
    const std::string after = readBytes(path).value_or("");
    EXPECT_NE(after.find("MatrixMode"), std::string::npos) << after;
    EXPECT_EQ(after.find("Mode会议"), std::string::npos) << after;

    const ModeStore fresh(dir.file("new.xml"));
    fresh.removeAllModes();
    EXPECT_TRUE(fresh.listModes().empty());
}

TEST_F(Modes, RemovingAllModesOfAMalformedFileLeavesIt) {
    const std::string broken = "<MatrixMode><Mode会议></MatrixMode>";
    writeBytes(path, broken);
    EXPECT_THROW(store.removeAllModes(), ModeFileError);
    EXPECT_EQ(readBytes(path), broken);
}

}  // namespace
}  // namespace mc::test
