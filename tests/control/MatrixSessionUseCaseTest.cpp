// The session's start-up, grid clicks, layer choice, close and rebuild, run
// on a program folder without any window: the frames queued, the files
// written, the questions asked and what the observers hear.

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <vector>

#include "control/SessionTestUtil.h"
#include "control/SwitchingLayer.h"

namespace mc::test {
namespace {

using Frames = std::vector<Bytes>;

// --- Start-up -----------------------------------------------------------------------

TEST_F(SessionTest, FirstRunWithoutModelTableOpensCom1AndSwitchesToVideo) {
    start();
    EXPECT_EQ(session->caption(), "DefaultMatrix 汇切台");
    EXPECT_EQ(session->port().CommName(), "COM1");
    EXPECT_EQ(session->port().BaudRate(), 9600u);
    EXPECT_TRUE(session->portOpen());
    EXPECT_EQ(session->portStatus().state, PortState::Open);
    EXPECT_EQ(session->portStatus().devicePath, pty.slavePath());
    EXPECT_TRUE(prompts.portErrors.empty());

    EXPECT_EQ(state().MatrixInputNum(), 32);
    EXPECT_EQ(state().MatrixOutputNum(), 32);
    EXPECT_EQ(session->layer(), (LayerView{true, kLayerVideo}));
    EXPECT_EQ(config("System config", "VideoOrAudio"), "1");
    EXPECT_EQ(frames(), (Frames{onOffFrame(0x52), layerFrame(0x52, kLayerVideo)}));
    EXPECT_TRUE(session->currentModeName().empty());
    EXPECT_TRUE(session->note().empty());
    EXPECT_EQ(events.rebuilds, 1);
}

// The layer buttons at start-up, and whether a later choice is taken.
struct LayerCase {
    const char* name;
    bool pattern;
    std::int32_t customAddress;
    const char* storedLayer;
    LayerView view;
    Frames startFrames;
    Frames chooseBothFrames;  // after chooseLayer(kLayerVideoAndAudio)
};

class SessionLayerAtStart : public SessionTest, public ::testing::WithParamInterface<LayerCase> {};

TEST_P(SessionLayerAtStart, ChecksTheStoredLayerAndQueuesItsFrame) {
    const LayerCase& row = GetParam();
    useModel(16, 16, row.pattern, 0x52, row.customAddress);
    setConfig("System config", "VideoOrAudio", row.storedLayer);
    start();
    EXPECT_EQ(session->layer(), row.view);
    EXPECT_EQ(frames(), row.startFrames);
    EXPECT_EQ(config("System config", "VideoOrAudio"), row.storedLayer)
        << "start-up stores nothing";

    session->chooseLayer(kLayerVideoAndAudio);
    EXPECT_EQ(frames(), row.chooseBothFrames);
}

INSTANTIATE_TEST_SUITE_P(
    Models, SessionLayerAtStart,
    ::testing::Values(
        LayerCase{"CustomAddressFramesComeBeforeTheLayer",
                  false,
                  5,
                  "2",
                  {true, kLayerAudio},
                  {onOffFrame(0x52), onOffFrame(5), setAddressFrame(0x52, 5), layerFrame(5, 2)},
                  {layerFrame(5, 3)}},
        LayerCase{
            "PatternModelHasNoLayer", true, 1, "2", {false, kLayerNone}, {onOffFrame(0x52)}, {}},
        LayerCase{"StoredValueOutsideTheRangeChecksNone",
                  false,
                  1,
                  "7",
                  {true, kLayerNone},
                  {onOffFrame(0x52)},
                  {layerFrame(0x52, 3)}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SessionTest, ChoosingALayerQueuesItsFrameAndStoresItUnlessAlreadyChosen) {
    start();
    frames();
    const int layers = events.layers;
    session->chooseLayer(kLayerVideo);
    EXPECT_TRUE(frames().empty());
    EXPECT_EQ(events.layers, layers);
    session->chooseLayer(kLayerAudio);
    EXPECT_EQ(config("System config", "VideoOrAudio"), "2");
    session->chooseLayer(kLayerVideo);
    EXPECT_EQ(frames(), (Frames{layerFrame(0x52, 2), layerFrame(0x52, 1)}));
    EXPECT_EQ(config("System config", "VideoOrAudio"), "1");
    EXPECT_EQ(session->layer().checked, kLayerVideo);
    EXPECT_EQ(events.layers, layers + 2);
}

struct CountCase {
    std::int32_t inputs;
    std::int32_t outputs;
    std::int32_t usedInputs;
    std::int32_t usedOutputs;
    bool note;
};

class SessionCounts : public SessionTest, public ::testing::WithParamInterface<CountCase> {};

TEST_P(SessionCounts, AreClampedWithANoteAndTheGridWorks) {
    const CountCase& count = GetParam();
    useModel(count.inputs, count.outputs);
    start();
    EXPECT_EQ(state().MatrixInputNum(), count.usedInputs);
    EXPECT_EQ(state().MatrixOutputNum(), count.usedOutputs);
    EXPECT_EQ(!session->note().empty(), count.note) << session->note();
    if (count.note) {
        EXPECT_NE(session->note().find(std::to_string(count.usedInputs)), std::string::npos);
    }
    frames();
    EXPECT_TRUE(session->clickBox(0, 0, true));
    EXPECT_EQ(frames(), Frames{switchFrame(0x52, 0, 0)});
}

INSTANTIATE_TEST_SUITE_P(Models, SessionCounts,
                         ::testing::Values(CountCase{0, -4, 1, 1, true},
                                           CountCase{1000, 300, 256, 256, true},
                                           CountCase{256, 256, 256, 256, false},
                                           CountCase{1, 1, 1, 1, false}));

TEST_F(SessionTest, PortThatCannotBeOpenedIsAskedAboutAndTheGridStillWorks) {
    const std::string missing = dir.file("no-such-device");
    setConfig("Serial Port Map", "COM1", missing);
    start();

    ASSERT_EQ(prompts.portErrors.size(), 1u);
    EXPECT_EQ(prompts.portErrors[0].text, "Error opening serial port");
    const std::string& detail = prompts.portErrors[0].detail;
    EXPECT_NE(detail.find(std::strerror(ENOENT)), std::string::npos) << detail;
    EXPECT_NE(detail.find(missing), std::string::npos) << detail;
    EXPECT_FALSE(session->portOpen());
    EXPECT_EQ(session->portStatus().state, PortState::NotOpen);
    EXPECT_EQ(session->portStatus().devicePath, missing);

    frames();
    EXPECT_TRUE(session->clickBox(3, 1, true));
    EXPECT_EQ(frames(), Frames{switchFrame(0x52, 1, 3)});
}

TEST_F(SessionTest, QueueFiguresReachThePortStatusOncePerBurst) {
    start();
    poster.runPending();
    EXPECT_EQ(session->portStatus().queued, 2u);
    // The port's own threads post too (its writer reports once, whenever it
    // gets to run, that it is idle): only the posts of the burst count.
    const std::size_t posted = poster.pending();
    session->clickBox(0, 0, true);
    session->clickBox(1, 0, true);
    EXPECT_LE(poster.pending() - posted, 1u) << "one refresh for the burst, not one per frame";
    poster.runPending();
    EXPECT_EQ(session->portStatus().queued, 4u);
    frames();
    const int reports = events.portStates;
    poster.runPending();
    EXPECT_EQ(session->portStatus().queued, 0u);
    EXPECT_EQ(events.portStates, reports + 1);
}

// --- Grid clicks --------------------------------------------------------------------------

TEST_F(SessionTest, ClicksQueueFramesWithTheAddressAndCycleTimeOfTheFiles) {
    useModel(16, 16, false, 0x52, 9);
    setConfig("System config", "CircleTime", "7");
    start();
    frames();

    // Output 2 is exclusive: the tick moves, the emptied output is closed.
    session->clickBox(1, 2, true);
    session->clickBox(1, 6, true);
    session->clickBox(1, 6, false);
    EXPECT_EQ(frames(), (Frames{switchFrame(9, 2, 1), switchFrame(9, 6, 1), closeFrame(9, 1)}));
    EXPECT_EQ(selectedOf(state(), 1), std::vector<std::int32_t>{16});

    // Output 1 cycles through several inputs.
    session->clickBox(0, 0, true);
    session->clickBox(0, 1, true);
    EXPECT_EQ(frames(), (Frames{switchFrame(9, 0, 0), cycleFrame(9, {0, 1}, 7)}));
    EXPECT_EQ(selectedOf(state(), 0), (std::vector<std::int32_t>{0, 1}));
    EXPECT_EQ(events.outputs, (std::vector<std::int32_t>{1, 1, 1, 0, 0}));
}

TEST_F(SessionTest, PatternModelMakesOutputOneExclusive) {
    useModel(16, 16, true);
    start();
    frames();
    session->clickBox(0, 0, true);
    session->clickBox(0, 1, true);
    EXPECT_EQ(frames(), (Frames{switchFrame(0x52, 0, 0), switchFrame(0x52, 1, 0)}));
    EXPECT_EQ(selectedOf(state(), 0), std::vector<std::int32_t>{1});
}

TEST_F(SessionTest, ClicksOnCellsBeyondTheFirstPageAndTheCloseCell) {
    useModel(20, 4);
    start();
    frames();
    session->clickBox(1, 17, true);  // input 18
    session->clickBox(2, 16, true);
    session->clickBox(2, 16, false);  // nothing left: the output closes
    EXPECT_EQ(frames(),
              (Frames{switchFrame(0x52, 17, 1), switchFrame(0x52, 16, 2), closeFrame(0x52, 2)}));
    EXPECT_EQ(selectedOf(state(), 2), std::vector<std::int32_t>{20});
    EXPECT_EQ(selectedOf(state(), 1), std::vector<std::int32_t>{17});

    EXPECT_FALSE(session->clickBox(4, 0, true)) << "no fifth output";
    EXPECT_FALSE(session->clickBox(0, 21, true)) << "no cell beyond the close cell";
    EXPECT_FALSE(session->clickBox(-1, 0, true));
    EXPECT_TRUE(frames().empty());
}

// --- Close and rebuild -----------------------------------------------------------------------

TEST_F(SessionTest, CloseSavesBothSwitchesEvenWhenFalseAndNoNames) {
    setConfig("Matrix Manage Message", "MatrixInputEditEnable", "0");
    start();
    session->close();

    EXPECT_TRUE(session->closed());
    EXPECT_EQ(config("Matrix Manage Message", "MatrixInputEditEnable"), "0");
    EXPECT_EQ(config("Matrix Manage Message", "MatrixOutputEditEnable"), "0");
    EXPECT_FALSE(std::filesystem::exists(paths.editListFile()));
    EXPECT_FALSE(session->portOpen());
    EXPECT_FALSE(session->hasState());
    EXPECT_EQ(session->commandQueue(), nullptr);

    session->rebuild();
    session->start();
    EXPECT_FALSE(session->hasState()) << "a closed session stays closed";
}

TEST_F(SessionTest, CloseSavesTheNamesOfTheListsInUseOnly) {
    useModel(4, 4);
    iniWriteString(paths.editListFile(), "MatrixOutputStringList", "OutputString0", "kept");
    start();
    session->setInputName(MatrixSession::kWindowOwner, 1, "Cam 2");
    EXPECT_EQ(events.inputNames, std::vector<std::int32_t>{1});
    EXPECT_TRUE(state().MatrixInputEditEnable);
    session->close();

    EXPECT_EQ(config("Matrix Manage Message", "MatrixInputEditEnable"), "1");
    EXPECT_EQ(config("Matrix Manage Message", "MatrixOutputEditEnable"), "0");
    EXPECT_EQ(nameList("MatrixInputStringList", "InputString0"), "");
    EXPECT_EQ(nameList("MatrixInputStringList", "InputString1"), "Cam 2");
    EXPECT_EQ(nameList("MatrixInputStringList", "InputString3"), "");
    EXPECT_EQ(nameList("MatrixOutputStringList", "OutputString0"), "kept");
}

TEST_F(SessionTest, DestroyingWithoutCloseSavesNothing) {
    start();
    session.reset();
    EXPECT_EQ(config("Matrix Manage Message", "MatrixInputEditEnable"), "<missing>");
}

TEST_F(SessionTest, RebuildReadsTheNewModelAndStartsAfresh) {
    start();
    session->clickBox(0, 3, true);

    useModel(8, 20, false, 0x52, 9);
    session->rebuild();
    EXPECT_EQ(events.rebuilds, 2);
    EXPECT_TRUE(session->portOpen());
    EXPECT_EQ(session->caption(), "TestMatrix 汇切台");
    EXPECT_EQ(state().MatrixInputNum(), 8);
    EXPECT_EQ(state().MatrixOutputNum(), 20);
    EXPECT_TRUE(state().selectedNodes().empty());
    EXPECT_TRUE(session->currentModeName().empty());
    // The old queue went with its frames; video stays checked, so no layer
    // frame this time.
    EXPECT_EQ(frames(), (Frames{onOffFrame(0x52), onOffFrame(9), setAddressFrame(0x52, 9)}));
    EXPECT_EQ(session->layer(), (LayerView{true, kLayerVideo}));
}

}  // namespace
}  // namespace mc::test
