// The control window's File menu, matrix modes and layer buttons, with the
// dialogs answered through the seam.

#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <filesystem>
#include <fstream>

#include "control/MatrixFormTestUtil.h"
#include "protocol/Frames.h"
#include "store/ModeNameUnit.h"

namespace mc::test {
namespace {

class MatrixFormStore : public MatrixFormTest {
protected:
    // A 4 × 4 window with output 1 on input 3 and output 2 closed.
    TMatrixForm& openRouted() {
        useModel(4, 4);
        TMatrixForm& window = open();
        window.setModeNameForm(&nameForm);
        click(box(0, 2));
        click(box(1, 4));
        frames();
        return window;
    }
    // Answers the name dialog with `name` (nullopt: cancel).
    void answerName(std::optional<QString> name) {
        dialogs.onExec = [name](QDialog& dialog) {
            auto& form = dynamic_cast<TModeNameForm&>(dialog);
            if (!name) {
                form.ModeNameCancleButtonClick();
            } else {
                form.ModeNameEdit->setText(*name);
                form.ModeNameOKButtonClick();
            }
            return form.result();
        };
    }
    QString statusFile(const char* name) {
        return QString::fromStdString(paths.statusDir() + "/" + name);
    }

    TModeNameForm nameForm{dialogs};
};

TEST_F(MatrixFormStore, StatusFileRoundTrip) {
    TMatrixForm& window = openRouted();
    dialogs.saveAnswers.push_back(statusFile("a.ms"));
    window.SaveMatrixStatusItemClick();
    ASSERT_EQ(dialogs.saves.size(), 1u);
    EXPECT_EQ(dialogs.saves[0].directory, QString::fromStdString(paths.statusDir()));
    EXPECT_EQ(dialogs.saves[0].filter, QStringLiteral("矩阵状态文件 (*.ms)"));
    EXPECT_EQ(dialogs.saves[0].suffix, QStringLiteral("ms"));
    const std::string saved = paths.statusDir() + "/a.ms";
    EXPECT_EQ(iniReadString(saved, "SwitchNode2", "J", ""), "4");

    window.NewMatrixModeNClick();
    window.RightBitBtnClick();  // no effect on a 4 × 4 matrix
    EXPECT_FALSE(box(0, 2)->isChecked());
    dialogs.openAnswers.push_back(statusFile("a.ms"));
    window.ReadItemClick();
    EXPECT_EQ(dialogs.opens.at(0).filter, QStringLiteral("矩阵状态文件 (*.ms);;所有文件 (*)"));
    EXPECT_EQ(frames(), (std::vector<Bytes>{switchFrame(0x52, 2, 0), closeFrame(0x52, 1)}));
    EXPECT_TRUE(box(0, 2)->isChecked() && box(1, 4)->isChecked());
    expectTicksMatchState();
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_TRUE(dialogs.errors.empty());
}

TEST_F(MatrixFormStore, StatusFileNamesReachTheFieldsAndSkippedNodesAreNoted) {
    TMatrixForm& window = openRouted();
    std::filesystem::create_directories(paths.statusDir());
    const std::string file = paths.statusDir() + "/named.ms";
    {
        std::ofstream out(file);
        out << "[Matrix Message]\nMatrixInputNum=4\nMatrixOutputNum=9\nSwitchNodeNum=2\n"
               "[SwitchNode1]\nI=3\nJ=1\n[SwitchNode2]\nI=7\nJ=1\n"
               "[MatrixInputStringList]\nInputString1=Cam\n";
    }
    dialogs.openAnswers.push_back(QString::fromStdString(file));
    window.ReadItemClick();

    EXPECT_EQ(frames(), std::vector<Bytes>{switchFrame(0x52, 1, 3)});
    EXPECT_EQ(window.InputNameEdits[1]->text(), QStringLiteral("Cam"));
    EXPECT_TRUE(window.state().MatrixInputEditEnable);
    EXPECT_EQ(box(3, 1)->toolTip(), QStringLiteral("Cam => 4"));
    EXPECT_FALSE(box(0, 2)->isChecked());
    EXPECT_TRUE(window.statusNote().contains(QStringLiteral("1")));
}

TEST_F(MatrixFormStore, MismatchedOrCancelledStatusFilesChangeNothing) {
    TMatrixForm& window = openRouted();
    const auto before = window.state().selectedNodes();

    window.ReadItemClick();  // cancelled
    window.SaveMatrixStatusItemClick();
    EXPECT_TRUE(std::filesystem::is_empty(paths.statusDir()));

    dialogs.openAnswers.push_back(statusFile("missing.ms"));
    window.ReadItemClick();
    EXPECT_EQ(dialogs.messages, std::vector<QString>{QStringLiteral("调用的文件与但前矩阵不匹配")});
    EXPECT_EQ(window.state().selectedNodes(), before);
    EXPECT_TRUE(frames().empty());
    EXPECT_TRUE(box(0, 2)->isChecked());
}

TEST_F(MatrixFormStore, AStatusFileThatCannotBeReadIsReportedAsSuch) {
    TMatrixForm& window = openRouted();
    const auto before = window.state().selectedNodes();
    std::filesystem::create_directories(paths.statusDir() + "/folder.ms");
    dialogs.openAnswers.push_back(statusFile("folder.ms"));
    window.ReadItemClick();
    EXPECT_EQ(dialogs.messages,
              std::vector<QString>{QStringLiteral("无法读取状态文件 ") + statusFile("folder.ms") +
                                   QStringLiteral("：是一个文件夹")});
    EXPECT_EQ(window.state().selectedNodes(), before);
    EXPECT_TRUE(frames().empty());
}

TEST_F(MatrixFormStore, ModeSavedAppliedAndDeleted) {
    TMatrixForm& window = openRouted();
    answerName(QStringLiteral("会议"));
    window.SaveMatrixModeNClick();
    EXPECT_EQ(dialogs.execs, 1);
    EXPECT_EQ(window.state().CurrentModeName, "Mode会议");
    ASSERT_EQ(window.MatrixModeComboBox->count(), 1);
    EXPECT_EQ(window.MatrixModeComboBox->itemText(0), QStringLiteral("会议"));
    EXPECT_EQ(window.MatrixModeComboBox->currentIndex(), -1);

    window.SaveMatrixModeNClick();  // the current mode: no dialog
    EXPECT_EQ(dialogs.execs, 1);
    EXPECT_EQ(window.MatrixModeComboBox->count(), 1);

    window.NewMatrixModeNClick();
    EXPECT_TRUE(window.state().CurrentModeName.empty());
    EXPECT_FALSE(box(0, 2)->isChecked());
    click(box(3, 3));
    frames();

    window.MatrixModeComboBox->setCurrentIndex(0);
    window.MatrixModeComboBoxChange(0);
    EXPECT_EQ(frames(), (std::vector<Bytes>{switchFrame(0x52, 2, 0), closeFrame(0x52, 1)}));
    EXPECT_FALSE(box(3, 3)->isChecked());
    expectTicksMatchState();

    window.DeleteMatrixModeNClick();
    EXPECT_EQ(window.MatrixModeComboBox->count(), 0);
    EXPECT_TRUE(window.state().selectedNodes().empty());
    EXPECT_TRUE(window.state().CurrentModeName.empty());
    EXPECT_TRUE(frames().empty());
    EXPECT_TRUE(dialogs.errors.empty());
}

TEST_F(MatrixFormStore, CancelledNameDialogSavesNothing) {
    TMatrixForm& window = openRouted();
    answerName(std::nullopt);
    window.SaveMatrixModeNClick();
    EXPECT_EQ(dialogs.execs, 1);
    EXPECT_EQ(window.MatrixModeComboBox->count(), 0);
    EXPECT_TRUE(window.state().CurrentModeName.empty());
}

TEST_F(MatrixFormStore, MalformedModeFileIsReportedAndKept) {
    const std::string broken = "<?xml version=\"1.0\"?>\n<MatrixMode><Mode1></MatrixMode>\n";
    {
        std::ofstream out(paths.modeFile());
        out << broken;
    }
    TMatrixForm& window = openRouted();  // FormShow's list reports it once
    ASSERT_EQ(dialogs.errors.size(), 1u);
    EXPECT_TRUE(dialogs.errors[0].contains(QString::fromStdString(paths.modeFile())));
    answerName(QStringLiteral("x"));
    window.SaveMatrixModeNClick();
    EXPECT_EQ(dialogs.execs, 0);  // stopped before asking a name
    EXPECT_EQ(dialogs.errors.size(), 2u);
    std::ifstream in(paths.modeFile());
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), broken);
}

TEST_F(MatrixFormStore, LayerButtonsQueueTheirFrameAndStoreTheChoice) {
    TMatrixForm& window = openRouted();
    Bytes audio, video;
    composeLayer(audio, 0x52, 2);
    composeLayer(video, 0x52, 1);

    click(window.VideoRadioButton);  // already checked
    EXPECT_TRUE(frames().empty());
    click(window.AudioRadioButton);
    click(window.VideoRadioButton);
    EXPECT_EQ(frames(), (std::vector<Bytes>{audio, video}));
    EXPECT_EQ(config("System config", "VideoOrAudio"), "1");
}

}  // namespace
}  // namespace mc::test
