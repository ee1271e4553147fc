// The switching layer: the start-up decision for the radio buttons, and the
// click handling with its file write and layer frame, in its order.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <stdexcept>

#include "config/IniFile.h"
#include "config/Settings.h"
#include "control/SwitchingLayer.h"
#include "store/StoreTestUtil.h"

namespace mc::test {
namespace {

namespace fs = std::filesystem;

struct StartupCase {
    const char* what;
    bool pattern;
    std::int32_t stored;
    std::int32_t checkedNow;
    LayerStartup expected;
};

TEST(LayerStartupSelection, DecidesChecksAndClicks) {
    const StartupCase cases[] = {
        {"first start, no key (default 1)", false, 1, kLayerNone, {true, kLayerVideo, true}},
        {"first start, audio stored", false, 2, kLayerNone, {true, kLayerAudio, true}},
        {"first start, both stored", false, 3, kLayerNone, {true, kLayerVideoAndAudio, true}},
        {"stored 0 checks none", false, 0, kLayerNone, {true, kLayerNone, false}},
        {"stored 4 checks none", false, 4, kLayerNone, {true, kLayerNone, false}},
        {"stored -1 checks none", false, -1, kLayerNone, {true, kLayerNone, false}},
        {"pattern disables, nothing sent", true, 2, kLayerNone, {false, kLayerNone, false}},
        {"pattern keeps the old check", true, 1, kLayerAudio, {false, kLayerNone, false}},
        {"rebuild, same button stays, no frame", false, 2, kLayerAudio, {true, kLayerAudio, false}},
        {"rebuild, other value clicks", false, 3, kLayerVideo, {true, kLayerVideoAndAudio, true}},
        {"rebuild, bad value keeps the check", false, 9, kLayerVideo, {true, kLayerNone, false}},
    };
    for (const StartupCase& c : cases) {
        EXPECT_EQ(startupLayerSelection(c.pattern, c.stored, c.checkedNow), c.expected) << c.what;
    }
}

class LayerClick : public ::testing::Test {
protected:
    std::string storedLayer() const {
        return iniReadString(folder.paths.mainConfigFile(), "System config", "VideoOrAudio", "-");
    }

    ConfigFolder folder;
    Grid grid{model(4, 4)};
};

TEST_F(LayerClick, FirstStartWithoutConfigurationChecksVideoWritesOneAndSendsOneFrame) {
    const StartupSettings settings = readStartupSettings(folder.paths);
    const LayerStartup startup = startupLayerSelection(false, settings.VideoOrAudio, kLayerNone);
    ASSERT_EQ(startup.check, kLayerVideo);
    ASSERT_TRUE(startup.runClick);
    switchingLayerClick(startup.check, folder.paths, *grid, *grid.queue);
    EXPECT_EQ(storedLayer(), "1");
    EXPECT_EQ(grid.frames(), std::vector<Bytes>{layerFrame(0x52, 1)});
}

TEST_F(LayerClick, AudioThenVideoSendsTwoFramesWithTheAddressOfEachClickAndLeavesOne) {
    grid->ActiveAddress = 0x10;
    switchingLayerClick(kLayerAudio, folder.paths, *grid, *grid.queue);
    EXPECT_EQ(storedLayer(), "2");
    grid->ActiveAddress = 0x11;
    switchingLayerClick(kLayerVideo, folder.paths, *grid, *grid.queue);
    EXPECT_EQ(storedLayer(), "1");
    EXPECT_EQ(grid.frames(), (std::vector<Bytes>{layerFrame(0x10, 2), layerFrame(0x11, 1)}));
    const auto text = readBytes(folder.paths.mainConfigFile());
    ASSERT_TRUE(text);
    EXPECT_EQ(*text, "[System config]\nVideoOrAudio=1\n") << "the key is replaced in place";
}

TEST_F(LayerClick, OtherKeysOfTheFileStay) {
    writeBytes(folder.paths.mainConfigFile(), "[System config]\r\nCircleTime=5\r\n");
    switchingLayerClick(kLayerVideoAndAudio, folder.paths, *grid, *grid.queue);
    EXPECT_EQ(readBytes(folder.paths.mainConfigFile()),
              "[System config]\r\nCircleTime=5\r\nVideoOrAudio=3\r\n");
    EXPECT_EQ(grid.frames(), std::vector<Bytes>{layerFrame(0x52, 3)});
}

// A write that fails: the configuration folder is gone and the click does not
// create it. Video writes before it queues; the other two queue first.
TEST_F(LayerClick, WriteFailureLeavesTheFrameQueuedForAudioAndBothButNotVideo) {
    fs::remove_all(folder.paths.configDir());
    const struct {
        std::int32_t layer;
        std::size_t frames;
    } cases[] = {{kLayerVideo, 0}, {kLayerAudio, 1}, {kLayerVideoAndAudio, 1}};
    for (const auto& c : cases) {
        ASSERT_EQ(::chdir("/"), 0);
        EXPECT_THROW(switchingLayerClick(c.layer, folder.paths, *grid, *grid.queue), IniWriteError)
            << c.layer;
        EXPECT_EQ(grid.frames().size(), c.frames) << c.layer;
        EXPECT_EQ(fs::current_path(), fs::path(folder.paths.programDir()))
            << "the current directory is restored after a failure too";
    }
    EXPECT_FALSE(fs::exists(folder.paths.configDir())) << "the click never creates the folder";
}

TEST_F(LayerClick, RestoresTheCurrentDirectory) {
    ASSERT_EQ(::chdir("/"), 0);
    switchingLayerClick(kLayerAudio, folder.paths, *grid, *grid.queue);
    EXPECT_EQ(fs::current_path(), fs::path(folder.paths.programDir()));
}

TEST_F(LayerClick, RefusesValuesOutsideOneToThree) {
    for (const std::int32_t bad : {0, 4, -1}) {
        EXPECT_THROW(switchingLayerClick(bad, folder.paths, *grid, *grid.queue),
                     std::invalid_argument);
    }
    EXPECT_TRUE(grid.frames().empty());
    EXPECT_FALSE(fs::exists(folder.paths.mainConfigFile()));
}

}  // namespace
}  // namespace mc::test
