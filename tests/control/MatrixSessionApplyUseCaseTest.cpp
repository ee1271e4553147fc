// The configuration dialog's Apply run on the session without any window: the
// port and model stored, the fallback to COM1 when the chosen port cannot be
// opened, names, modes and the line kept for the same matrix and erased for
// another, and a rebuild from what is stored whatever fails on the way.

#include <filesystem>
#include <string>

#include "control/SessionTestUtil.h"
#include "store/ModeStore.h"

namespace mc::test {
namespace {

const char* const kTwoModels =
    "[Hall]\nMatrixAddress=10\nMatrixInputNum=4\nMatrixOutputNum=8\nMatrixPattern=1\n"
    "MatrixCustomAddress=31\nMatrixCustomLogo=大厅\n"
    "[Stage]\nMatrixAddress=82\nMatrixInputNum=16\nMatrixOutputNum=16\nMatrixPattern=0\n";

// COM1 and COM2 are pseudo-terminals, COM3 a device that does not exist.
class SessionApply : public SessionTest {
public:
    SessionApply() {
        setConfig("Serial Port Map", "COM2", com2.slavePath());
        setConfig("Serial Port Map", "COM3", "/nonexistent/ttyCFG");
    }
    // The session may hold COM2 open: it goes first.
    ~SessionApply() override { session.reset(); }
    // Apply as the dialog hands it over.
    bool apply(std::int32_t port, std::int32_t rate, const std::string& model) {
        ConfigChoice choice;
        choice.comPort = port;
        choice.baudRate = rate;
        choice.model = model;
        return session->applyConfiguration(choice);
    }
    std::string serial(const char* key) const { return config("Serial Commucation Set", key); }
    std::string manage(const char* key) const { return config("Matrix Manage Message", key); }

    Pty com2;
};

TEST_F(SessionApply, PortThatCannotBeOpenedFallsBackToCom1) {
    start();
    ASSERT_TRUE(session->portOpen());
    EXPECT_TRUE(apply(3, 57600, "DefaultMatrix"));

    ASSERT_EQ(prompts.portErrors.size(), 1u);
    EXPECT_NE(prompts.portErrors[0].detail.find("/nonexistent/ttyCFG"), std::string::npos);
    EXPECT_EQ(serial("PortNum"), "COM1");
    EXPECT_EQ(serial("ComPortNum"), "1");
    EXPECT_EQ(serial("PortBandRate"), "57600");
    EXPECT_EQ(session->port().CommName(), "COM1");
    EXPECT_EQ(session->port().BaudRate(), 57600u);
    EXPECT_TRUE(session->portOpen()) << "the rebuild opens COM1";
    EXPECT_TRUE(session->hasState());
    EXPECT_EQ(events.rebuilds, 2);
}

TEST_F(SessionApply, ErrorBoxNotAnsweredIgnoreKeepsTheChosenPort) {
    start();
    prompts.answerIgnore = false;
    apply(3, 9600, "DefaultMatrix");
    EXPECT_EQ(serial("PortNum"), "COM3");
    EXPECT_EQ(serial("ComPortNum"), "3");
    EXPECT_EQ(prompts.portErrors.size(), 2u) << "Apply's box, then the rebuild's";
    EXPECT_FALSE(session->portOpen());
    EXPECT_EQ(session->portStatus().state, PortState::NotOpen);
    EXPECT_TRUE(session->hasState());
}

// Hall as the model in use, with a name on each side and the mode 会议.
void prepareHall(SessionApply& t);

TEST_F(SessionApply, TheSameMatrixKeepsNamesModesAndTheLine) {
    prepareHall(*this);
    start();
    ASSERT_TRUE(session->applyMode("会议").done());
    frames();                                              // on the line
    ASSERT_TRUE(session->routeOutput("127.0.0.2", 2, 3));  // still waiting at the rebuild
    ASSERT_TRUE(session->setInputName(MatrixSession::kWindowOwner, 1, "Desk"));
    const int rebuilds = events.rebuilds;
    ConfigChoice choice;
    choice.model = "Hall";
    EXPECT_FALSE(session->applyLoss(choice).matrixChanges);

    EXPECT_TRUE(apply(2, 115200, "Hall"));
    EXPECT_TRUE(prompts.errors.empty());
    EXPECT_EQ(state().InputNames().at(0), "Cam");
    EXPECT_EQ(state().InputNames().at(1), "Desk") << "saved for the rebuild";
    EXPECT_EQ(ModeStore(paths.modeFile()).listModes(), std::vector<std::string>{"会议"});
    EXPECT_EQ(manage("MatrixInputEditEnable"), "1");
    EXPECT_EQ(session->line().carried(LineLayer::All, 0), Carried::routed(1));
    EXPECT_FALSE(session->line().entry(LineLayer::All, 0).lastKnown) << "kept, not restored";
    EXPECT_FALSE(session->line().carried(LineLayer::All, 2).known()) << "its frame was dropped";
    EXPECT_EQ(manage("MatrixNowUse"), "Hall");
    EXPECT_EQ(serial("PortBandRate"), "115200");
    EXPECT_EQ(session->caption(), "Hall 汇切台");
    EXPECT_EQ(events.rebuilds, rebuilds + 1);
    EXPECT_EQ(session->port().CommName(), "COM2");
}

TEST_F(SessionApply, AnotherMatrixErasesNamesAndModesKeepingCopies) {
    prepareHall(*this);
    const std::string modes = readBytes(paths.modeFile()).value_or("");
    const std::string names = readBytes(paths.editListFile()).value_or("");
    start();
    ConfigChoice choice;
    choice.model = "Stage";
    const ApplyLoss loss = session->applyLoss(choice);
    EXPECT_TRUE(loss.matrixChanges);
    EXPECT_EQ(loss.names, 2);
    EXPECT_EQ(loss.modes, 1);

    EXPECT_TRUE(apply(2, 115200, "Stage"));
    EXPECT_EQ(readBytes(paths.editListFile()), "");
    EXPECT_TRUE(ModeStore(paths.modeFile()).listModes().empty());
    EXPECT_EQ(readBytes(paths.modeFile() + ".bak"), modes);
    EXPECT_EQ(readBytes(paths.editListFile() + ".bak"), names);
    EXPECT_EQ(manage("MatrixInputEditEnable"), "0");
    EXPECT_FALSE(state().MatrixInputEditEnable);
    EXPECT_EQ(state().InputNames().at(0), "");
    EXPECT_EQ(state().MatrixInputNum(), 16);
    EXPECT_FALSE(session->line().carried(LineLayer::Video, 0).known()) << "the line starts unknown";
}

void prepareHall(SessionApply& t) {
    t.setConfig("Serial Commucation Set", "PortNum", "COM2");
    t.setConfig("Serial Commucation Set", "ComPortNum", "2");
    t.setConfig("Serial Commucation Set", "PortBandRate", "115200");
    t.setConfig("Matrix Manage Message", "MatrixNowUse", "Hall");
    t.setConfig("Matrix Manage Message", "MatrixInputEditEnable", "1");
    t.setConfig("Matrix Manage Message", "MatrixOutputEditEnable", "1");
    writeBytes(t.paths.modelConfigFile(), kTwoModels);
    writeBytes(t.paths.editListFile(),
               "[MatrixInputStringList]\nInputString0=Cam\n[MatrixOutputStringList]\n"
               "OutputString0=TV\n");
    writeBytes(t.paths.modeFile(),
               "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<MatrixMode><Mode会议><SwitchNode1>"
               "<InputPort>1</InputPort><OutputPort>0</OutputPort></SwitchNode1></Mode会议>"
               "</MatrixMode>\n");
}

TEST_F(SessionApply, ModelWithoutSectionStartsWithTheDefaults) {
    setConfig("Matrix Manage Message", "MatrixNowUse", "Hall");
    writeBytes(paths.modelConfigFile(), kTwoModels);
    start();
    ASSERT_EQ(state().MatrixInputNum(), 4);
    EXPECT_TRUE(apply(1, 9600, "NoSuch"));
    EXPECT_EQ(manage("MatrixNowUse"), "NoSuch");
    EXPECT_EQ(state().MatrixInputNum(), 32);
    EXPECT_EQ(state().MatrixOutputNum(), 32);
    EXPECT_EQ(state().ActiveAddress, 0x52);
    EXPECT_EQ(session->caption(), "NoSuch 汇切台");
    EXPECT_EQ(readBytes(paths.modelConfigFile()), kTwoModels) << "Apply creates no model";
}

TEST_F(SessionApply, MalformedModeFileIsReportedAndTheMatrixRebuilt) {
    const std::string broken = "<MatrixMode><Mode会议></MatrixMode>";
    writeBytes(paths.modeFile(), broken);
    writeBytes(paths.modelConfigFile(), kTwoModels);
    start();
    EXPECT_TRUE(apply(1, 9600, "Stage")) << "no file write failed";
    ASSERT_EQ(prompts.errors.size(), 1u);
    EXPECT_NE(prompts.errors[0].find("MatrixMode.xml"), std::string::npos) << prompts.errors[0];
    EXPECT_EQ(readBytes(paths.modeFile()), broken);
    EXPECT_TRUE(session->hasState());
    EXPECT_TRUE(session->portOpen());
    EXPECT_EQ(events.rebuilds, 2);
}

TEST_F(SessionApply, CreatesAMissingModeFile) {
    writeBytes(paths.modelConfigFile(), kTwoModels);
    start();
    EXPECT_TRUE(apply(1, 9600, "Stage"));
    EXPECT_TRUE(prompts.errors.empty());
    EXPECT_TRUE(std::filesystem::exists(paths.modeFile()));
    EXPECT_TRUE(ModeStore(paths.modeFile()).listModes().empty());
}

TEST_F(SessionApply, WriteThatFailsStillRebuildsTheMatrix) {
    // The names file is a link to a file whose name leaves no room for the
    // temporary file of a write: erasing the names fails after the port is
    // closed.
    const std::string target = dir.file(std::string(250, 'n'));
    writeBytes(target, "[MatrixInputStringList]\nInputString0=Cam\n");
    std::filesystem::create_symlink(target, paths.editListFile());
    writeBytes(paths.modelConfigFile(), kTwoModels);
    start();
    EXPECT_FALSE(apply(1, 9600, "Hall"));
    ASSERT_EQ(prompts.errors.size(), 1u);
    EXPECT_EQ(prompts.errors[0].rfind("Unable to write to", 0), 0u) << prompts.errors[0];
    EXPECT_TRUE(session->hasState());
    EXPECT_TRUE(session->portOpen());
    EXPECT_EQ(events.rebuilds, 2);
    EXPECT_EQ(manage("MatrixNowUse"), "Hall") << "what was written before the error stays";
    EXPECT_EQ(readBytes(target), "[MatrixInputStringList]\nInputString0=Cam\n");
}

}  // namespace
}  // namespace mc::test
