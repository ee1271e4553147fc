// The session's status files and matrix modes without any window: what they
// write, the frames a load queues, the names and notes it brings, and the
// questions asked on the way.

#include <filesystem>
#include <string>
#include <vector>

#include "control/SessionTestUtil.h"

namespace mc::test {
namespace {

using Frames = std::vector<Bytes>;

class SessionStore : public SessionTest {
protected:
    // A 4 × 4 matrix with output 1 on input 3 and output 2 closed.
    void startRouted() {
        useModel(4, 4);
        start();
        session->clickBox(0, 2, true);
        session->clickBox(1, 4, true);
        frames();
    }
    std::string statusFile(const char* name) const { return paths.statusDir() + "/" + name; }
};

TEST_F(SessionStore, StatusFileRoundTrip) {
    startRouted();
    paths.ensureStatusDir();
    ASSERT_TRUE(session->saveStatusFile(statusFile("a.ms")));
    EXPECT_EQ(iniReadString(statusFile("a.ms"), "SwitchNode2", "J", ""), "4");
    const auto routed = state().selectedNodes();

    const std::size_t before = events.changes.size();
    session->newMode();
    EXPECT_TRUE(state().selectedNodes().empty());
    ASSERT_EQ(events.changes.size(), before + 1);
    EXPECT_EQ(events.changes.back().routes, (std::vector<RouteChange>{{0, 2, -1}, {1, -1, -1}}))
        << "the new mode clears both outputs";
    const LoadOutcome outcome = session->loadStatusFile(statusFile("a.ms"));
    EXPECT_TRUE(outcome.done());
    EXPECT_EQ(outcome.applied, 2);
    EXPECT_EQ(frames(), (Frames{switchFrame(0x52, 2, 0), closeFrame(0x52, 1)}));
    EXPECT_EQ(state().selectedNodes(), routed);
    EXPECT_EQ(events.loads, 1) << "the load shows the first page";
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_TRUE(prompts.errors.empty());
}

TEST_F(SessionStore, StatusFileBringsItsNamesAndNotesSkippedNodes) {
    startRouted();
    paths.ensureStatusDir();
    const std::string file = statusFile("named.ms");
    writeBytes(file,
               "[Matrix Message]\nMatrixInputNum=4\nMatrixOutputNum=9\nSwitchNodeNum=2\n"
               "[SwitchNode1]\nI=3\nJ=1\n[SwitchNode2]\nI=7\nJ=1\n"
               "[MatrixInputStringList]\nInputString1=Cam\n");
    const LoadOutcome outcome = session->loadStatusFile(file);

    EXPECT_EQ(outcome.applied, 1);
    EXPECT_EQ(outcome.skipped, 1);
    EXPECT_EQ(frames(), Frames{switchFrame(0x52, 1, 3)});
    EXPECT_TRUE(selectedOf(state(), 0).empty()) << "the earlier selection is cleared";
    EXPECT_EQ(state().InputNames().at(1), "Cam");
    EXPECT_TRUE(state().MatrixInputEditEnable);
    EXPECT_NE(session->note().find("已跳过 1 个"), std::string::npos) << session->note();
    EXPECT_EQ(events.notes, 1);
}

// The names go into the first page's fields: only a field whose text changes
// puts its list in use.
TEST_F(SessionStore, StatusFileNamesBeyondTheFirstPageAloneLeaveTheListOutOfUse) {
    useModel(20, 20);
    start();
    paths.ensureStatusDir();
    const std::string file = statusFile("far.ms");
    writeBytes(file,
               "[Matrix Message]\nMatrixInputNum=20\nMatrixOutputNum=20\nSwitchNodeNum=0\n"
               "[MatrixInputStringList]\nInputString17=Far\n"
               "[MatrixOutputStringList]\nOutputString15=Near\n");
    ASSERT_TRUE(session->loadStatusFile(file).done());
    EXPECT_EQ(state().InputNames().at(17), "Far") << "stored all the same";
    EXPECT_FALSE(state().MatrixInputEditEnable);
    EXPECT_TRUE(state().MatrixOutputEditEnable) << "output 16 is on the first page";
}

TEST_F(SessionStore, MismatchedStatusFileChangesNothing) {
    startRouted();
    const auto before = state().selectedNodes();
    const LoadOutcome outcome = session->loadStatusFile(statusFile("missing.ms"));
    EXPECT_FALSE(outcome.done());
    EXPECT_EQ(prompts.messages, std::vector<std::string>{"调用的文件与但前矩阵不匹配"});
    EXPECT_EQ(state().selectedNodes(), before);
    EXPECT_TRUE(frames().empty());
    EXPECT_EQ(events.loads, 0);
}

TEST_F(SessionStore, AStatusFileThatCannotBeReadIsReportedAsSuch) {
    startRouted();
    const auto before = state().selectedNodes();
    std::filesystem::create_directories(statusFile("folder.ms"));
    EXPECT_FALSE(session->loadStatusFile(statusFile("folder.ms")).done());
    EXPECT_EQ(
        prompts.messages,
        std::vector<std::string>{"无法读取状态文件 " + statusFile("folder.ms") + "：是一个文件夹"});
    EXPECT_EQ(state().selectedNodes(), before);
    EXPECT_TRUE(frames().empty());
}

TEST_F(SessionStore, ModeSavedAppliedAndDeleted) {
    startRouted();
    prompts.modeNames.push_back("Mode会议");
    EXPECT_TRUE(session->saveMode());
    EXPECT_EQ(prompts.nameAsks, 1);
    EXPECT_EQ(session->currentModeName(), "Mode会议");
    EXPECT_EQ(session->modeList(), std::vector<std::string>{"会议"});
    EXPECT_EQ(events.modeLists, 1);

    EXPECT_TRUE(session->saveMode()) << "the current mode is saved again";
    EXPECT_EQ(prompts.nameAsks, 1) << "without asking";
    EXPECT_EQ(session->modeList().size(), 1u);

    session->newMode();
    EXPECT_TRUE(session->currentModeName().empty());
    EXPECT_TRUE(state().selectedNodes().empty());
    session->clickBox(3, 3, true);
    frames();

    const LoadOutcome outcome = session->applyMode("会议");
    EXPECT_TRUE(outcome.done());
    EXPECT_EQ(frames(), (Frames{switchFrame(0x52, 2, 0), closeFrame(0x52, 1)}));
    EXPECT_TRUE(selectedOf(state(), 3).empty());
    EXPECT_EQ(session->currentModeName(), "Mode会议");

    EXPECT_TRUE(session->deleteMode("会议"));
    EXPECT_TRUE(session->modeList().empty());
    EXPECT_TRUE(state().selectedNodes().empty());
    EXPECT_TRUE(session->currentModeName().empty());
    EXPECT_TRUE(frames().empty());
    EXPECT_TRUE(prompts.errors.empty());
}

TEST_F(SessionStore, ModeWithoutANameIsNotSaved) {
    startRouted();
    prompts.modeNames.push_back("");
    EXPECT_FALSE(session->saveMode());
    EXPECT_FALSE(session->saveMode());  // the dialog cancelled
    EXPECT_EQ(prompts.nameAsks, 2);
    EXPECT_TRUE(session->modeList().empty());
    EXPECT_TRUE(session->currentModeName().empty());
}

TEST_F(SessionStore, MalformedModeFileIsReportedAndKept) {
    const std::string broken = "<?xml version=\"1.0\"?>\n<MatrixMode><Mode1></MatrixMode>\n";
    writeBytes(paths.modeFile(), broken);
    startRouted();
    EXPECT_TRUE(session->modeList().empty());
    ASSERT_EQ(prompts.errors.size(), 1u);
    EXPECT_NE(prompts.errors[0].find(paths.modeFile()), std::string::npos) << prompts.errors[0];

    prompts.modeNames.push_back("Modex");
    EXPECT_FALSE(session->saveMode());
    EXPECT_EQ(prompts.nameAsks, 0) << "stopped before asking a name";
    EXPECT_EQ(prompts.errors.size(), 2u);
    EXPECT_FALSE(session->applyMode("1").done());
    EXPECT_TRUE(frames().empty());
    EXPECT_EQ(readBytes(paths.modeFile()), broken);
}

}  // namespace
}  // namespace mc::test
