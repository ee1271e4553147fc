// The settings read at start-up and the port names loaded and saved, against
// configuration files in a temporary program folder.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "config/AppPaths.h"
#include "config/IniFile.h"
#include "config/ServiceSettings.h"
#include "config/Settings.h"
#include "control/ControlTestUtil.h"

namespace mc::test {
namespace {

// The names file as the session uses it at start-up and at close.
void loadPortNames(const AppPaths& paths, CrosspointState& state) {
    const PortNameLists names =
        readPortNameFile(paths, state.MatrixInputNum(), state.MatrixOutputNum(),
                         state.MatrixInputEditEnable, state.MatrixOutputEditEnable);
    for (std::size_t k = 0; names.inputs && k < names.inputs->size(); ++k)
        state.setInputName(static_cast<std::int32_t>(k), (*names.inputs)[k]);
    for (std::size_t k = 0; names.outputs && k < names.outputs->size(); ++k)
        state.setOutputName(static_cast<std::int32_t>(k), (*names.outputs)[k]);
}

void savePortNames(const AppPaths& paths, const CrosspointState& state) {
    PortNameLists names;
    if (state.MatrixInputEditEnable) names.inputs = state.InputNames();
    if (state.MatrixOutputEditEnable) names.outputs = state.OutputNames();
    savePortNameFile(paths, names);
}

namespace fs = std::filesystem;

// A fresh program folder per test, named after the test.
fs::path freshProgramFolder() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string("mc-control-") + info->test_suite_name() + "-" + info->name();
    for (char& ch : name) {
        if (ch == '/') ch = '_';
    }
    const fs::path dir = fs::temp_directory_path() / name;
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

class StartupFiles : public ::testing::Test {
protected:
    ~StartupFiles() override {
        std::error_code ignored;
        fs::remove_all(dir, ignored);
    }

    void writeConfigFile(const std::string& name, const std::string& text) {
        fs::create_directories(paths.configDir());
        std::ofstream(paths.configFile(name), std::ios::binary) << text;
    }

    const fs::path dir = freshProgramFolder();
    const AppPaths paths{dir.string()};
};

TEST_F(StartupFiles, FirstRunWithoutFilesReadsTheDefaults) {
    const StartupSettings s = readStartupSettings(paths);
    EXPECT_TRUE(fs::is_directory(paths.configDir())) << "the folder is created";
    EXPECT_FALSE(fs::exists(paths.mainConfigFile())) << "reading creates no file";
    EXPECT_FALSE(fs::exists(paths.modelConfigFile()));
    EXPECT_EQ(s.PortNum, "COM1");
    EXPECT_EQ(s.PortBandRate, 9600);
    EXPECT_EQ(s.MatrixNowUse, "DefaultMatrix");
    EXPECT_EQ(s.windowCaption(), "DefaultMatrix 汇切台");
    EXPECT_EQ(s.VideoOrAudio, 1);
    EXPECT_EQ(s.CircleTime, 1);
    EXPECT_FALSE(s.MatrixInputEditEnable);
    EXPECT_FALSE(s.MatrixOutputEditEnable);
    EXPECT_EQ(s.MatrixAddress, 0x52);
    EXPECT_EQ(s.MatrixCustomAddress, 1);
    EXPECT_EQ(s.MatrixInputNum, 32);
    EXPECT_EQ(s.MatrixOutputNum, 32);
    EXPECT_FALSE(s.MatrixPattern);
    EXPECT_EQ(s.MatrixCustomLogo, "VELMORAN MATRIX");
    EXPECT_TRUE(s.SerialPortMap.empty());
    EXPECT_FALSE(s.countsClamped);
}

// A service's section as its description says: the defaults of a missing
// section, a round trip with each kind written as the INI layer writes it
// (a switch as a bool, a port as an integer), the link not stored, and one
// key written alone (as --set-web-password writes the hash).
TEST_F(StartupFiles, AServiceSectionReadsItsDefaultsAndRoundTrips) {
    ServiceSettingsPage page;
    page.section = "Web Control";
    page.fields = {{"Enabled", FieldKind::Switch, "", "0"},
                   {"Address", FieldKind::Address, "", "127.0.0.1"},
                   {"Port", FieldKind::Port, "", "8990"},
                   {"PasswordHash", FieldKind::PasswordHash, "", ""},
                   {"AllowedHosts", FieldKind::Text, "", ""},
                   {"Url", FieldKind::Link, "", ""}};
    EXPECT_EQ(readServiceSettings(paths, page), (SettingsValues{{"Enabled", "0"},
                                                                {"Address", "127.0.0.1"},
                                                                {"Port", "8990"},
                                                                {"PasswordHash", ""},
                                                                {"AllowedHosts", ""}}));
    EXPECT_FALSE(fs::exists(paths.mainConfigFile())) << "reading creates no file";

    const SettingsValues web{{"Enabled", "1"},
                             {"Address", "0.0.0.0"},
                             {"Port", "8080"},
                             {"PasswordHash", "pbkdf2-sha256$1000$c2FsdA==$a2V5"},
                             {"AllowedHosts", "panel.studio.test, panel"},
                             {"Url", "not stored"}};
    writeServiceSettings(paths, {page.section, page.fields, web});
    SettingsValues stored = web;
    stored.erase("Url");
    EXPECT_EQ(readServiceSettings(paths, page), stored);
    EXPECT_EQ(iniReadString(paths.mainConfigFile(), "Web Control", "Url", "<none>"), "<none>");

    iniWriteString(paths.mainConfigFile(), "Web Control", "PasswordHash", "");
    iniWriteString(paths.mainConfigFile(), "Web Control", "Enabled", "true");
    stored["PasswordHash"] = "";
    stored["Enabled"] = "0";  // as the INI layer reads a bool that is not a number
    EXPECT_EQ(readServiceSettings(paths, page), stored);
    EXPECT_FALSE(settingFlag(stored, "Enabled"));
    EXPECT_EQ(settingNumber(stored, "Port", 0), 8080);
}

TEST(ListenAddress, OnlyNumericLoopbackAddressesCountAsLoopback) {
    for (const char* text : {"127.0.0.1", "127.255.0.9", "::1", "::ffff:127.0.0.2"})
        EXPECT_TRUE(isLoopbackAddress(text)) << text;
    for (const char* text : {"0.0.0.0", "128.0.0.1", "10.127.0.1", "::", "::ffff:10.0.0.1",
                             "localhost", "127.0.0.1 ", ""})
        EXPECT_FALSE(isLoopbackAddress(text)) << text;
}

TEST_F(StartupFiles, ReadsEveryKeyOfBothFiles) {
    writeConfigFile("MatrixConfig.con",
                    "[Serial Commucation Set]\nPortNum=COM300\nPortBandRate=19200\n"
                    "[Matrix Manage Message]\nMatrixNowUse=Hall\nMatrixInputEditEnable=1\n"
                    "MatrixOutputEditEnable=0\n"
                    "[System config]\nVideoOrAudio=3\nCircleTime=45\n"
                    "[Serial Port Map]\nCOM1=/dev/ttyUSB0\ncom3=ttyACM0\nCOM7=\n"
                    "COM300=/dev/pts/9\n");
    writeConfigFile("MatrixModelConfig.con",
                    "[Other]\nMatrixInputNum=4\n"
                    "[HALL]\nMatrixAddress=0x10\nMatrixCustomAddress=$05\nMatrixOutputNum=40\n"
                    "MatrixInputNum=20\nMatrixPattern=1\nMatrixCustomLogo=会议厅\n");
    const StartupSettings s = readStartupSettings(paths);
    EXPECT_EQ(s.PortNum, "COM300");
    EXPECT_EQ(s.PortBandRate, 19200);
    EXPECT_EQ(s.MatrixNowUse, "Hall");
    EXPECT_EQ(s.VideoOrAudio, 3);
    EXPECT_EQ(s.CircleTime, 45);
    EXPECT_TRUE(s.MatrixInputEditEnable);
    EXPECT_FALSE(s.MatrixOutputEditEnable);
    EXPECT_EQ(s.MatrixAddress, 0x10);
    EXPECT_EQ(s.MatrixCustomAddress, 5);
    EXPECT_EQ(s.MatrixOutputNum, 40);
    EXPECT_EQ(s.MatrixInputNum, 20);
    EXPECT_TRUE(s.MatrixPattern);
    EXPECT_EQ(s.MatrixCustomLogo, "会议厅");
    EXPECT_EQ(s.SerialPortMap,
              (std::map<std::string, std::string>{
                  {"COM1", "/dev/ttyUSB0"}, {"COM3", "ttyACM0"}, {"COM300", "/dev/pts/9"}}));
    EXPECT_FALSE(s.countsClamped);
}

struct RawCounts {
    const char* inputs;
    const char* outputs;
    bool clamped;
};

class CountsInTheModelTable : public StartupFiles,
                              public ::testing::WithParamInterface<RawCounts> {};

TEST_P(CountsInTheModelTable, RawValuesAreReturnedWithTheClampFlag) {
    const RawCounts& p = GetParam();
    writeConfigFile("MatrixModelConfig.con", std::string("[DefaultMatrix]\nMatrixInputNum=") +
                                                 p.inputs + "\nMatrixOutputNum=" + p.outputs +
                                                 "\n");
    const StartupSettings s = readStartupSettings(paths);
    EXPECT_EQ(s.MatrixInputNum, std::stoi(p.inputs));
    EXPECT_EQ(s.MatrixOutputNum, std::stoi(p.outputs));
    EXPECT_EQ(s.countsClamped, p.clamped);
    Grid grid(s);
    EXPECT_EQ(grid->MatrixInputNum(), clampPortCount(s.MatrixInputNum));
    EXPECT_EQ(grid->MatrixOutputNum(), clampPortCount(s.MatrixOutputNum));
}

INSTANTIATE_TEST_SUITE_P(Counts, CountsInTheModelTable,
                         ::testing::Values(RawCounts{"1", "256", false},
                                           RawCounts{"16", "8", false}, RawCounts{"0", "8", true},
                                           RawCounts{"8", "-3", true}, RawCounts{"257", "8", true},
                                           RawCounts{"8", "2147483647", true}));

TEST_F(StartupFiles, NamesAreLoadedOnlyForListsInUse) {
    writeConfigFile("MatrixEditList.con",
                    "[MatrixInputStringList]\nInputString0=Cam\nInputString3=Mic\n"
                    "[MatrixOutputStringList]\nOutputString1=Hall\n");
    StartupSettings settings = model(4, 4);
    settings.MatrixInputEditEnable = true;
    Grid grid(settings);
    loadPortNames(paths, *grid);
    EXPECT_EQ(grid->InputNames(), (std::vector<std::string>{"Cam", "", "", "Mic"}));
    EXPECT_EQ(grid->OutputNames(), (std::vector<std::string>{"", "", "", ""}));
    EXPECT_EQ(grid.page->inputField(3).text, "Mic");
    EXPECT_EQ(grid.page->box(1, 0).hint, "Cam => 2");
}

TEST_F(StartupFiles, SaveWritesBothSwitchesAndOnlyTheNamesInUse) {
    writeConfigFile("MatrixEditList.con",
                    "[MatrixInputStringList]\nInputString0=Old\nInputString9=Kept\n"
                    "[MatrixOutputStringList]\nOutputString0=Untouched\n");
    Grid grid(model(4, 4));
    ASSERT_TRUE(grid.typeInputName(1, "Cam"));
    savePortNames(paths, *grid);

    const std::string config = paths.mainConfigFile();
    EXPECT_EQ(iniReadString(config, "Matrix Manage Message", "MatrixInputEditEnable", "?"), "1");
    EXPECT_EQ(iniReadString(config, "Matrix Manage Message", "MatrixOutputEditEnable", "?"), "0");
    const std::string names = paths.editListFile();
    const char* inputs = "MatrixInputStringList";
    EXPECT_EQ(iniReadString(names, inputs, "InputString0", "?"), "") << "untouched names cleared";
    EXPECT_EQ(iniReadString(names, inputs, "InputString1", "?"), "Cam");
    EXPECT_EQ(iniReadString(names, inputs, "InputString3", "?"), "");
    EXPECT_EQ(iniReadString(names, inputs, "InputString4", "?"), "?");
    EXPECT_EQ(iniReadString(names, inputs, "InputString9", "?"), "Kept");
    EXPECT_EQ(iniReadString(names, "MatrixOutputStringList", "OutputString0", "?"), "Untouched");
    EXPECT_EQ(iniReadString(names, "MatrixOutputStringList", "OutputString1", "?"), "?");
}

TEST_F(StartupFiles, SwitchesAreWrittenWhenFalseAndNamesRoundTrip) {
    Grid off(model(4, 4));
    savePortNames(paths, *off);
    EXPECT_EQ(iniReadString(paths.mainConfigFile(), "Matrix Manage Message",
                            "MatrixInputEditEnable", "?"),
              "0");
    EXPECT_FALSE(fs::exists(paths.editListFile())) << "no list in use: no names written";

    Grid grid(model(20, 20));
    ASSERT_TRUE(grid.page->RightBitBtnClick());
    ASSERT_TRUE(grid.typeInputName(0, "十七"));
    ASSERT_TRUE(grid.typeOutputName(2, "Three"));
    savePortNames(paths, *grid);
    EXPECT_EQ(iniReadString(paths.editListFile(), "MatrixInputStringList", "InputString16", ""),
              "十七");

    const StartupSettings settings = readStartupSettings(paths);
    EXPECT_TRUE(settings.MatrixInputEditEnable);
    EXPECT_TRUE(settings.MatrixOutputEditEnable);
    Grid reloaded(model(20, 20));
    reloaded->MatrixInputEditEnable = settings.MatrixInputEditEnable;
    reloaded->MatrixOutputEditEnable = settings.MatrixOutputEditEnable;
    loadPortNames(paths, *reloaded);
    EXPECT_EQ(reloaded->InputNames(), grid->InputNames());
    EXPECT_EQ(reloaded->OutputNames(), grid->OutputNames());
}

TEST_F(StartupFiles, AFolderThatCannotBeWrittenRaisesTheWriteError) {
    std::ofstream(dir / "Matrix Config") << "a file where the folder should be";
    Grid grid(model(4, 4));
    EXPECT_THROW(savePortNames(paths, *grid), IniWriteError);
}

}  // namespace
}  // namespace mc::test
