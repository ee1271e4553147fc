// The program folder's order and a new folder's shipped defaults.

#include <gtest/gtest.h>

#include <filesystem>

#include "config/ConfigTestUtil.h"
#include "config/ProgramFolder.h"

namespace mc::test {
namespace {

namespace fs = std::filesystem;

TEST(ProgramFolder, ChosenInOrder) {
    TempDir dir;
    FolderInputs in{std::nullopt, dir.file("bin"), "relative/config", "/home/ana"};
    const auto chosen = [&in] { return chooseProgramFolder(in).folder; };
    EXPECT_EQ(chosen(), "/home/ana/.config/matrix-control");  // XDG not absolute
    in.xdgConfigHome = "/srv/config/";
    EXPECT_EQ(chosen(), "/srv/config/matrix-control");
    fs::create_directories(dir.file("bin/Matrix Config"));
    EXPECT_EQ(chosen(), dir.file("bin"));
    EXPECT_EQ(chooseProgramFolder(in).source, FolderSource::BesideExecutable);
    in.given = "/var/lib/matrix-control/studio/";
    EXPECT_EQ(chosen(), "/var/lib/matrix-control/studio");
    in.given = "studio";
    EXPECT_EQ(chosen(), (fs::current_path() / "studio").string());
    EXPECT_EQ(defaultsDir("/usr/bin"), "/usr/share/matrix-control");
}

TEST(ProgramFolder, ANewFolderGetsTheDefaultsAnExistingOneIsLeftAlone) {
    TempDir dir;
    fs::create_directories(dir.file("defaults/sub"));  // not a file: not copied
    writeBytes(dir.file("defaults/MatrixModelConfig.con"), "[DefaultMatrix]\n");
    writeBytes(dir.file("defaults/MatrixMode.xml"), "<MatrixMode/>\n");
    const std::string config = dir.file("home/matrix-control/Matrix Config");
    EXPECT_EQ(seedProgramFolder(dir.file("home/matrix-control"), dir.file("defaults")),
              (std::vector<std::string>{"MatrixMode.xml", "MatrixModelConfig.con"}));
    EXPECT_EQ(readBytes(config + "/MatrixModelConfig.con"), "[DefaultMatrix]\n");

    // The user's own files stay as they are, and nothing is added beside them.
    writeBytes(config + "/MatrixModelConfig.con", "[Mine]\n");
    fs::remove(config + "/MatrixMode.xml");
    EXPECT_TRUE(seedProgramFolder(dir.file("home/matrix-control"), dir.file("defaults")).empty());
    EXPECT_EQ(readBytes(config + "/MatrixModelConfig.con"), "[Mine]\n");
    EXPECT_FALSE(fs::exists(config + "/MatrixMode.xml"));

    // Without the defaults (a program copied on its own) the folder is still made.
    EXPECT_TRUE(seedProgramFolder(dir.file("other"), dir.file("missing")).empty());
    EXPECT_TRUE(fs::is_directory(dir.file("other/Matrix Config")));
}

}  // namespace
}  // namespace mc::test
