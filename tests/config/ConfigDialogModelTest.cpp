// The configuration dialog's file work: what it shows, adding, overwriting
// and deleting models, the settings stored at once, and Apply's file steps.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "config/AppPaths.h"
#include "config/ConfigDialogModel.h"
#include "config/ConfigTestUtil.h"
#include "config/IniFile.h"
#include "config/Settings.h"
#include "store/ModeStore.h"

namespace mc {
namespace {

using test::readBytes;
using test::TempDir;
using test::writeBytes;

using Names = std::vector<std::string>;

// A program folder in a temporary folder, with its configuration folder.
class DialogFiles : public ::testing::Test {
protected:
    DialogFiles() : paths(dir.path()) {}

    void writeMain(const std::string& text) {
        paths.ensureConfigDir();
        writeBytes(paths.mainConfigFile(), text);
    }
    void writeModels(const std::string& text) {
        paths.ensureConfigDir();
        writeBytes(paths.modelConfigFile(), text);
    }
    std::string mainText() const { return readBytes(paths.mainConfigFile()).value_or("<none>"); }
    std::string modelText() const { return readBytes(paths.modelConfigFile()).value_or("<none>"); }
    std::int32_t modelNumber() const {
        return iniReadInteger(paths.mainConfigFile(), "Matrix Manage Message", "MatrixModelNumber",
                              -1);
    }

    TempDir dir;
    AppPaths paths;
};

NewModel model(std::string name, std::string inputs = "16", std::string outputs = "8") {
    NewModel m;
    m.name = std::move(name);
    m.addressText = "52";
    m.customAddressText = "01";
    m.inputsText = std::move(inputs);
    m.outputsText = std::move(outputs);
    m.pattern = true;
    m.logo = "大厅";
    return m;
}

TEST(ConfigDialogRates, ListEntriesAndRates) {
    struct Row {
        std::int32_t rate;
        int index;
    };
    const Row rows[] = {{9600, 0},  {56000, 1}, {57600, 2}, {115200, 3},
                        {19200, 0}, {0, 0},     {-1, 0},    {1152000, 0}};
    for (const Row& row : rows)
        EXPECT_EQ(baudRateIndex(row.rate), row.index) << row.rate;
    EXPECT_EQ(baudRateAt(0), 9600);
    EXPECT_EQ(baudRateAt(1), 56000);
    EXPECT_EQ(baudRateAt(2), 57600);
    EXPECT_EQ(baudRateAt(3), 115200);
    EXPECT_EQ(baudRateAt(-1), 9600);
    EXPECT_EQ(baudRateAt(4), 9600);
}

TEST(ConfigDialogHex, AtLeastTwoUpperCaseDigits) {
    struct Row {
        std::int32_t value;
        const char* text;
    };
    const Row rows[] = {{0, "00"},   {5, "05"},    {10, "0A"},       {0x52, "52"},
                        {255, "FF"}, {256, "100"}, {-1, "FFFFFFFF"}, {0xABCDE, "ABCDE"}};
    for (const Row& row : rows)
        EXPECT_EQ(hexDisplay(row.value), row.text) << row.value;
}

TEST_F(DialogFiles, OpeningWithoutFilesShowsDefaultsAndCreatesOnlyTheFolder) {
    const DialogValues v = loadDialogValues(paths);
    EXPECT_EQ(v.MatrixNowUse, "DefaultMatrix");
    EXPECT_EQ(v.ComPortNum, 1);
    EXPECT_EQ(baudRateIndex(v.PortBandRate), 0);
    EXPECT_EQ(v.CircleTime, 1);
    EXPECT_TRUE(v.models.empty());
    EXPECT_EQ(v.fields.MatrixAddress, 0);
    EXPECT_EQ(v.fields.MatrixCustomAddress, 1);
    EXPECT_EQ(v.fields.MatrixInputNum, 0);
    EXPECT_EQ(v.fields.MatrixOutputNum, 0);
    EXPECT_FALSE(v.fields.MatrixPattern);
    EXPECT_EQ(v.fields.MatrixCustomLogo, "VELMORAN MATRIX");
    EXPECT_TRUE(std::filesystem::is_directory(paths.configDir()));
    EXPECT_TRUE(std::filesystem::is_empty(paths.configDir()));
}

TEST_F(DialogFiles, OpeningReadsTheStoredSettings) {
    writeMain(
        "[Serial Commucation Set]\nPortNum=COM7\nComPortNum=7\nPortBandRate=57600\n"
        "[Matrix Manage Message]\nMatrixNowUse=hall\n[System config]\nCircleTime=12\n");
    writeModels(
        "[Stage]\nMatrixAddress=1\n[Hall]\nMatrixAddress=$52\nMatrixInputNum=16\n"
        "MatrixOutputNum=8\nMatrixPattern=1\nMatrixCustomAddress=0x10\nMatrixCustomLogo=大厅\n"
        "[Empty]\n");
    const DialogValues v = loadDialogValues(paths);
    EXPECT_EQ(v.MatrixNowUse, "hall");
    EXPECT_EQ(v.ComPortNum, 7);
    EXPECT_EQ(baudRateIndex(v.PortBandRate), 2);
    EXPECT_EQ(v.CircleTime, 12);
    EXPECT_EQ(v.models, (Names{"Stage", "Hall", "Empty"}));
    EXPECT_EQ(v.fields.MatrixAddress, 82);
    EXPECT_EQ(v.fields.MatrixInputNum, 16);
    EXPECT_EQ(v.fields.MatrixOutputNum, 8);
    EXPECT_TRUE(v.fields.MatrixPattern);
    EXPECT_EQ(v.fields.MatrixCustomAddress, 16);
    EXPECT_EQ(v.fields.MatrixCustomLogo, "大厅");
}

TEST_F(DialogFiles, OpeningPutsPortIntoRangeAndUnknownRateOnFirstEntry) {
    struct Row {
        const char* port;
        const char* rate;
        std::int32_t shownPort;
        int rateIndex;
    };
    const Row rows[] = {{"25", "19200", 20, 0},
                        {"0", "115200", 1, 3},
                        {"-3", "56000", 1, 1},
                        {"abc", "fast", 1, 0}};
    for (const Row& row : rows) {
        writeMain(std::string("[Serial Commucation Set]\nComPortNum=") + row.port +
                  "\nPortBandRate=" + row.rate + "\n");
        const DialogValues v = loadDialogValues(paths);
        EXPECT_EQ(v.ComPortNum, row.shownPort) << row.port;
        EXPECT_EQ(baudRateIndex(v.PortBandRate), row.rateIndex) << row.rate;
    }
}

TEST_F(DialogFiles, ModelWithoutSectionTakesTheLogoDefaultGiven) {
    writeModels("[Hall]\nMatrixInputNum=4\n");
    const ModelFields opening = readModelFields(paths, "Stage", dialogDefaults::LogoOnOpening);
    EXPECT_EQ(opening.MatrixCustomLogo, "VELMORAN MATRIX");
    const ModelFields changed = readModelFields(paths, "Stage", dialogDefaults::LogoOnNameChange);
    EXPECT_EQ(changed.MatrixCustomLogo, "Velmoran Matrix");
    EXPECT_EQ(changed.MatrixAddress, 0);
    EXPECT_EQ(changed.MatrixCustomAddress, 1);
    EXPECT_EQ(readModelFields(paths, "HALL", dialogDefaults::LogoOnNameChange).MatrixInputNum, 4);
    EXPECT_EQ(modelText(), "[Hall]\nMatrixInputNum=4\n") << "reading writes nothing";
}

TEST(ConfigDialogNames, UsableModelNames) {
    struct Row {
        const char* name;
        bool usable;
    };
    const Row rows[] = {{"Hall", true},   {"会议室 A", true}, {"QXR-V 16x16", true},
                        {"[x", true},     {";x", true},       {"a=b", true},
                        {"", false},      {"a]b", false},     {"]", false},
                        {"a\nb", false},  {"a\rb", false},    {" Hall", false},
                        {"Hall ", false}, {"\tHall", false},  {"   ", false}};
    for (const Row& row : rows)
        EXPECT_EQ(!modelNameProblem(row.name).has_value(), row.usable) << '"' << row.name << '"';
}

TEST_F(DialogFiles, AddWritesTheSixKeysInOrderAndCountsModels) {
    writeModels("[Stage]\nMatrixAddress=1\n");
    const AddResult result = addModel(paths, model("Hall"));
    ASSERT_FALSE(result.refusal.has_value()) << *result.refusal;
    EXPECT_EQ(result.models, (Names{"Stage", "Hall"}));
    EXPECT_EQ(modelText(),
              "[Stage]\nMatrixAddress=1\n[Hall]\nMatrixAddress=82\nMatrixInputNum=16\n"
              "MatrixOutputNum=8\nMatrixPattern=1\nMatrixCustomAddress=1\n"
              "MatrixCustomLogo=大厅\n");
    EXPECT_EQ(modelNumber(), 2);
}

TEST_F(DialogFiles, AddOverwritesAModelOfTheSameNameInAnyCase) {
    writeModels(
        "[Hall]\nMatrixAddress=1\nMatrixInputNum=4\nMatrixOutputNum=4\nMatrixPattern=0\n"
        "MatrixCustomAddress=5\nMatrixCustomLogo=old\n[Stage]\n");
    NewModel m = model("HALL", "32", "16");
    m.addressText = "a0";
    m.customAddressText = "1";
    const AddResult result = addModel(paths, m);
    ASSERT_FALSE(result.refusal.has_value());
    EXPECT_EQ(result.models, (Names{"Hall", "Stage"})) << "the list does not grow";
    EXPECT_EQ(modelText(),
              "[Hall]\nMatrixAddress=160\nMatrixInputNum=32\nMatrixOutputNum=16\nMatrixPattern=1\n"
              "MatrixCustomAddress=1\nMatrixCustomLogo=大厅\n[Stage]\n");
    EXPECT_EQ(modelNumber(), 2);
}

TEST_F(DialogFiles, AddRefusesAFieldThatIsNoIntegerAndWritesNothing) {
    const AddResult inputs = addModel(paths, model("Hall", "abc"));
    ASSERT_TRUE(inputs.refusal.has_value());
    EXPECT_EQ(*inputs.refusal, "EConvertError\n'abc' is not a valid integer value");
    const AddResult outputs = addModel(paths, model("Hall", "16", " 8x"));
    ASSERT_TRUE(outputs.refusal.has_value());
    EXPECT_EQ(*outputs.refusal, "EConvertError\n' 8x' is not a valid integer value");
    const AddResult empty = addModel(paths, model("Hall", ""));
    ASSERT_TRUE(empty.refusal.has_value());
    EXPECT_EQ(*empty.refusal, "EConvertError\n'' is not a valid integer value");
    EXPECT_EQ(modelText(), "<none>");
    EXPECT_EQ(mainText(), "<none>");
}

TEST_F(DialogFiles, AddRefusesUnusableFieldsAndLeavesTheFilesAlone) {
    writeModels("[Stage]\nMatrixAddress=1\n");
    struct Row {
        const char* what;
        NewModel m;
    };
    std::vector<Row> rows;
    rows.push_back({"inputs 0", model("Hall", "0")});
    rows.push_back({"inputs 257", model("Hall", "257")});
    rows.push_back({"outputs -1", model("Hall", "16", "-1")});
    rows.push_back({"empty name", model("")});
    rows.push_back({"name with ]", model("Hall]1")});
    rows.push_back({"name with blank", model("Hall ")});
    NewModel badAddress = model("Hall");
    badAddress.addressText = "G1";
    rows.push_back({"address G1", badAddress});
    badAddress.addressText = "";
    rows.push_back({"address empty", badAddress});
    badAddress.addressText = "100";
    rows.push_back({"address 100", badAddress});
    NewModel badCustom = model("Hall");
    badCustom.customAddressText = "1-";
    rows.push_back({"custom address 1-", badCustom});
    for (const Row& row : rows) {
        const AddResult result = addModel(paths, row.m);
        ASSERT_TRUE(result.refusal.has_value()) << row.what;
        EXPECT_FALSE(result.refusal->empty()) << row.what;
        EXPECT_EQ(modelText(), "[Stage]\nMatrixAddress=1\n") << row.what;
    }
    EXPECT_EQ(mainText(), "<none>");
}

TEST_F(DialogFiles, AddTakesTheLimitsOfTheRanges) {
    NewModel m = model("Big", "256", "1");
    m.addressText = "0FF";
    m.customAddressText = "0";
    const AddResult result = addModel(paths, m);
    ASSERT_FALSE(result.refusal.has_value()) << *result.refusal;
    const ModelFields f = readModelFields(paths, "Big", dialogDefaults::LogoOnNameChange);
    EXPECT_EQ(f.MatrixInputNum, 256);
    EXPECT_EQ(f.MatrixOutputNum, 1);
    EXPECT_EQ(f.MatrixAddress, 255);
    EXPECT_EQ(f.MatrixCustomAddress, 0);
    EXPECT_EQ(addModel(paths, model("Big", "$10", " 8")).refusal, std::nullopt)
        << "the configuration files' integer syntax";
    EXPECT_EQ(readModelFields(paths, "Big", dialogDefaults::LogoOnNameChange).MatrixInputNum, 16);
}

TEST_F(DialogFiles, DeleteOfTheLastModelLeavesAnEmptyList) {
    writeModels("[Hall]\nMatrixAddress=1\n");
    const DeleteResult result = deleteModel(paths, "hall");
    EXPECT_TRUE(result.models.empty());
    EXPECT_EQ(result.shown, "");
    EXPECT_EQ(modelText(), "");
    EXPECT_EQ(modelNumber(), 0);
}

TEST_F(DialogFiles, DeleteShowsTheFirstModelAndLeavesTheModelInUse) {
    writeMain("[Matrix Manage Message]\nMatrixNowUse=Stage\n");
    writeModels("[Hall]\nMatrixAddress=1\n[Stage]\nMatrixAddress=2\n[Bar]\n");
    const DeleteResult result = deleteModel(paths, "Stage");
    EXPECT_EQ(result.models, (Names{"Hall", "Bar"}));
    EXPECT_EQ(result.shown, "Hall");
    EXPECT_EQ(modelNumber(), 2);
    EXPECT_EQ(iniReadString(paths.mainConfigFile(), "Matrix Manage Message", "MatrixNowUse", ""),
              "Stage");
}

TEST_F(DialogFiles, DeleteOfANameWithoutSectionErasesNothing) {
    writeModels("[Hall]\nMatrixAddress=1\n");
    const DeleteResult result = deleteModel(paths, "Stage");
    EXPECT_EQ(result.models, (Names{"Hall"}));
    EXPECT_EQ(result.shown, "Hall");
    EXPECT_EQ(modelText(), "[Hall]\nMatrixAddress=1\n");
    EXPECT_EQ(modelNumber(), 1);
}

TEST_F(DialogFiles, PatternIsStoredOnlyUnderAUsableName) {
    writeModels("[Hall]\nMatrixPattern=0\n");
    EXPECT_EQ(storeMatrixPattern(paths, "HALL", true), std::nullopt);
    EXPECT_EQ(modelText(), "[Hall]\nMatrixPattern=1\n");
    EXPECT_TRUE(storeMatrixPattern(paths, "", true).has_value());
    EXPECT_TRUE(storeMatrixPattern(paths, "a]b", false).has_value());
    EXPECT_EQ(modelText(), "[Hall]\nMatrixPattern=1\n");
}

TEST_F(DialogFiles, CycleTimeIsStoredWithinItsRange) {
    struct Row {
        std::int32_t value;
        std::int32_t stored;
    };
    const Row rows[] = {{7, 7}, {1, 1}, {100, 100}, {0, 1}, {-5, 1}, {150, 100}};
    for (const Row& row : rows) {
        EXPECT_EQ(storeCircleTime(paths, row.value), row.stored) << row.value;
        EXPECT_EQ(iniReadInteger(paths.mainConfigFile(), "System config", "CircleTime", -1),
                  row.stored)
            << row.value;
    }
}

TEST_F(DialogFiles, ApplyPortSettingsAndFallback) {
    writeMain("[Serial Commucation Set]\nPortNum=COM2\nComPortNum=2\nPortBandRate=9600\n");
    writePortSettings(paths, 3, 57600);
    EXPECT_EQ(mainText(),
              "[Serial Commucation Set]\nPortNum=COM3\nComPortNum=3\nPortBandRate=57600\n");
    writePortFallback(paths);
    EXPECT_EQ(mainText(),
              "[Serial Commucation Set]\nPortNum=COM1\nComPortNum=1\nPortBandRate=9600\n");
    writeModelInUse(paths, 57600, "Hall");
    EXPECT_EQ(mainText(),
              "[Serial Commucation Set]\nPortNum=COM1\nComPortNum=1\nPortBandRate=57600\n"
              "[Matrix Manage Message]\nMatrixNowUse=Hall\nMatrixInputEditEnable=0\n"
              "MatrixOutputEditEnable=0\n");
    EXPECT_EQ(commName(12), "COM12");
}

TEST_F(DialogFiles, ApplyCreatesTheFolderForThePortSettings) {
    writePortSettings(paths, 20, 115200);
    EXPECT_EQ(iniReadString(paths.mainConfigFile(), "Serial Commucation Set", "PortNum", ""),
              "COM20");
}

TEST_F(DialogFiles, ApplyErasesBothNameListsOnly) {
    paths.ensureConfigDir();
    writeBytes(paths.editListFile(),
               "[MatrixInputStringList]\nInputString0=Cam\n[Other]\nk=1\n"
               "[MatrixOutputStringList]\nOutputString0=TV\n");
    erasePortNameFile(paths);
    EXPECT_EQ(readBytes(paths.editListFile()), "[Other]\nk=1\n");
}

}  // namespace
}  // namespace mc
