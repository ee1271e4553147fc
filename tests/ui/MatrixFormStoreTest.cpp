// The control window's File menu, matrix modes and layer buttons: the file and
// name dialogs asked through the seam, their answers handed to the session,
// and the grid, name fields, mode list and notes that follow (what the
// session does with the files is tested on the session).

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <filesystem>

#include "ui/MatrixFormTestUtil.h"
#include "ui/ModeNameUnit.h"

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
    void trigger(const char* item) { child<QAction>(*form, QString::fromLatin1(item))->trigger(); }
    QString statusFile(const char* name) {
        return QString::fromStdString(paths.statusDir() + "/" + name);
    }

    TModeNameForm nameForm{dialogs};
};

TEST_F(MatrixFormStore, ResendItemSendsStartUpFramesAndTheSelectionAgain) {
    openRouted();
    QAction* item = child<QAction>(*form, QStringLiteral("ResendStateItem"));
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->text(), QStringLiteral("重新发送当前状态"));
    item->trigger();
    const std::vector<Bytes> expected = {onOffFrame(0x52), layerFrame(0x52, 1),
                                         switchFrame(0x52, 2, 0), closeFrame(0x52, 1)};
    EXPECT_EQ(frames(), expected);
}

TEST_F(MatrixFormStore, StatusFilesAreAskedForAndTheTicksFollowTheLoad) {
    openRouted();
    trigger("ReadItem");  // cancelled
    trigger("SaveMatrixStatusItem");
    EXPECT_TRUE(std::filesystem::is_empty(paths.statusDir())) << "the folder is made to ask in";

    dialogs.saveAnswers.push_back(statusFile("a.ms"));
    trigger("SaveMatrixStatusItem");
    ASSERT_EQ(dialogs.saves.size(), 2u);
    EXPECT_EQ(dialogs.saves[1].directory, QString::fromStdString(paths.statusDir()));
    EXPECT_EQ(dialogs.saves[1].filter, QStringLiteral("矩阵状态文件 (*.ms)"));
    EXPECT_EQ(dialogs.saves[1].suffix, QStringLiteral("ms"));
    EXPECT_TRUE(std::filesystem::exists(paths.statusDir() + "/a.ms"));

    trigger("NewMatrixModeN");
    EXPECT_FALSE(box(0, 2)->isChecked());
    dialogs.openAnswers.push_back(statusFile("a.ms"));
    trigger("ReadItem");
    ASSERT_EQ(dialogs.opens.size(), 2u);
    EXPECT_EQ(dialogs.opens[1].filter, QStringLiteral("矩阵状态文件 (*.ms);;所有文件 (*)"));
    EXPECT_TRUE(box(0, 2)->isChecked() && box(1, 4)->isChecked());
    expectTicksMatchState();

    dialogs.openAnswers.push_back(statusFile("missing.ms"));
    trigger("ReadItem");
    EXPECT_EQ(dialogs.messages, std::vector<QString>{QStringLiteral("调用的文件与但前矩阵不匹配")});
    EXPECT_TRUE(dialogs.errors.empty());
}

TEST_F(MatrixFormStore, StatusFileNamesReachTheFieldsAndSkippedNodesTheNote) {
    TMatrixForm& window = openRouted();
    paths.ensureStatusDir();
    const std::string file = paths.statusDir() + "/named.ms";
    writeBytes(file,
               "[Matrix Message]\nMatrixInputNum=4\nMatrixOutputNum=9\nSwitchNodeNum=2\n"
               "[SwitchNode1]\nI=3\nJ=1\n[SwitchNode2]\nI=7\nJ=1\n"
               "[MatrixInputStringList]\nInputString1=Cam\n");
    dialogs.openAnswers.push_back(QString::fromStdString(file));
    window.ReadItemClick();

    EXPECT_EQ(inputEdit(window, 1)->text(), QStringLiteral("Cam"));
    EXPECT_EQ(box(3, 1)->toolTip(), QStringLiteral("Cam => 4"));
    EXPECT_TRUE(box(3, 1)->isChecked());
    EXPECT_FALSE(box(0, 2)->isChecked());
    EXPECT_EQ(window.statusNote(), QString::fromStdString(session->note()));
    EXPECT_FALSE(window.statusNote().isEmpty());
}

// A mode shows the first page again: its name fields are typed anew with the
// first page's names, and no name changes on the way.
TEST_F(MatrixFormStore, AModeAppliedOnAnotherPageRetypesTheFirstPagesNameFields) {
    useModel(20, 20);
    TMatrixForm& window = open();
    window.setModeNameForm(&nameForm);
    inputEdit(window, 0)->setText(QStringLiteral("Cam"));
    answerName(QStringLiteral("会议"));
    trigger("SaveMatrixModeN");
    click(button("RightBitBtn"));
    inputEdit(window, 0)->setText(QStringLiteral("Far"));  // input 17
    const std::vector<std::string> names = session->state().InputNames();

    modeBox()->setCurrentIndex(0);
    emit modeBox()->activated(0);
    EXPECT_EQ(window.gridPage().ColumnOffset(), 0);
    EXPECT_EQ(inputEdit(window, 0)->text(), QStringLiteral("Cam"));
    EXPECT_EQ(inputEdit(window, 1)->text(), QString());
    EXPECT_FALSE(button("LeftBitBtn")->isEnabled());
    EXPECT_EQ(session->state().InputNames(), names);
    expectTicksMatchState();
}

TEST_F(MatrixFormStore, ModesThroughTheMenuAndTheComboBox) {
    openRouted();
    answerName(std::nullopt);
    trigger("SaveMatrixModeN");
    EXPECT_EQ(dialogs.execs, 1);
    EXPECT_EQ(modeBox()->count(), 0) << "a cancelled name saves nothing";

    answerName(QStringLiteral("会议"));
    trigger("SaveMatrixModeN");
    EXPECT_EQ(dialogs.execs, 2);
    EXPECT_EQ(session->currentModeName(), "Mode会议");
    ASSERT_EQ(modeBox()->count(), 1);
    EXPECT_EQ(modeBox()->itemText(0), QStringLiteral("会议"));
    EXPECT_EQ(modeBox()->currentIndex(), -1);

    trigger("NewMatrixModeN");
    EXPECT_FALSE(box(0, 2)->isChecked());
    click(box(3, 3));
    frames();

    // Picking the mode in the box applies it.
    modeBox()->setCurrentIndex(0);
    emit modeBox()->activated(0);
    EXPECT_EQ(frames(), (std::vector<Bytes>{switchFrame(0x52, 2, 0), closeFrame(0x52, 1)}));
    EXPECT_TRUE(box(0, 2)->isChecked());
    EXPECT_FALSE(box(3, 3)->isChecked());
    expectTicksMatchState();

    // Delete removes the mode shown in the box.
    trigger("DeleteMatrixModeN");
    EXPECT_EQ(modeBox()->count(), 0);
    EXPECT_TRUE(session->modeList().empty());
    EXPECT_FALSE(box(0, 2)->isChecked());
    EXPECT_TRUE(dialogs.errors.empty());
}

TEST_F(MatrixFormStore, MalformedModeFileIsReportedWhenTheListIsFilled) {
    writeBytes(paths.modeFile(), "<?xml version=\"1.0\"?>\n<MatrixMode><Mode1></MatrixMode>\n");
    openRouted();
    ASSERT_EQ(dialogs.errors.size(), 1u);
    EXPECT_TRUE(dialogs.errors[0].contains(QString::fromStdString(paths.modeFile())));
    EXPECT_EQ(modeBox()->count(), 0);
}

TEST_F(MatrixFormStore, LayerButtonsReachTheSession) {
    openRouted();
    click(radio("VideoRadioButton"));  // already checked
    EXPECT_TRUE(frames().empty());
    click(radio("AudioRadioButton"));
    EXPECT_EQ(session->layer().checked, 2);
    EXPECT_EQ(frames(), std::vector<Bytes>{layerFrame(0x52, 2)});
    EXPECT_FALSE(radio("VideoRadioButton")->isChecked());
}

}  // namespace
}  // namespace mc::test
