// The program folder's order (--program-folder, beside the executable, the
// user's configuration folder) and a new folder's shipped defaults, against
// temporary folders.

#include <gtest/gtest.h>

#include <filesystem>

#include "config/ConfigTestUtil.h"
#include "config/ProgramFolder.h"

namespace mc::test {
namespace {

namespace fs = std::filesystem;

TEST(ProgramFolder, ChosenInOrder) {
    TempDir dir;
    FolderInputs inputs{std::nullopt, dir.file("bin"), "", "/home/ana"};
    fs::create_directories(dir.file("bin"));

    // Nothing beside the executable: the user's folder, HOME when XDG is unset
    // or relative, XDG_CONFIG_HOME when absolute.
    EXPECT_EQ(chooseProgramFolder(inputs).folder, "/home/ana/.config/matrix-control");
    inputs.xdgConfigHome = "relative/config";
    EXPECT_EQ(chooseProgramFolder(inputs).folder, "/home/ana/.config/matrix-control");
    inputs.xdgConfigHome = "/srv/config/";
    EXPECT_EQ(chooseProgramFolder(inputs).folder, "/srv/config/matrix-control");
    EXPECT_EQ(chooseProgramFolder(inputs).source, FolderSource::UserConfig);

    fs::create_directories(dir.file("bin/Matrix Config"));
    EXPECT_EQ(chooseProgramFolder(inputs).folder, dir.file("bin"));
    EXPECT_EQ(chooseProgramFolder(inputs).source, FolderSource::BesideExecutable);

    // The command line beats both; a relative folder is taken from here.
    inputs.given = "/var/lib/matrix-control/studio/";
    EXPECT_EQ(chooseProgramFolder(inputs).folder, "/var/lib/matrix-control/studio");
    EXPECT_EQ(chooseProgramFolder(inputs).source, FolderSource::CommandLine);
    inputs.given = "studio";
    EXPECT_EQ(chooseProgramFolder(inputs).folder, (fs::current_path() / "studio").string());

    EXPECT_EQ(defaultsDir("/usr/bin"), "/usr/share/matrix-control");
}

TEST(ProgramFolder, ANewFolderGetsTheDefaultsAnExistingOneIsLeftAlone) {
    TempDir dir;
    fs::create_directories(dir.file("defaults/sub"));
    writeBytes(dir.file("defaults/MatrixModelConfig.con"), "[DefaultMatrix]\n");
    writeBytes(dir.file("defaults/MatrixMode.xml"), "<MatrixMode/>\n");

    const std::string folder = dir.file("home/.config/matrix-control");
    EXPECT_EQ(seedProgramFolder(folder, dir.file("defaults")),
              (std::vector<std::string>{"MatrixMode.xml", "MatrixModelConfig.con"}));
    EXPECT_EQ(readBytes(folder + "/Matrix Config/MatrixModelConfig.con"), "[DefaultMatrix]\n");
    EXPECT_FALSE(fs::exists(folder + "/Matrix Config/sub"));

    // The user's own table stays, and nothing is added beside it.
    writeBytes(folder + "/Matrix Config/MatrixModelConfig.con", "[Mine]\n");
    fs::remove(folder + "/Matrix Config/MatrixMode.xml");
    EXPECT_TRUE(seedProgramFolder(folder, dir.file("defaults")).empty());
    EXPECT_EQ(readBytes(folder + "/Matrix Config/MatrixModelConfig.con"), "[Mine]\n");
    EXPECT_FALSE(fs::exists(folder + "/Matrix Config/MatrixMode.xml"));

    // Without the defaults (a program copied on its own) the folder is still made.
    EXPECT_TRUE(seedProgramFolder(dir.file("other"), dir.file("missing")).empty());
    EXPECT_TRUE(fs::is_directory(dir.file("other/Matrix Config")));
}

}  // namespace
}  // namespace mc::test
