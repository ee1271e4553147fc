// The configuration dialog's handlers against a real control window: what it
// shows, the fields stored at once, adding and deleting models, and Apply.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <filesystem>

#include "config/IniFile.h"
#include "ui/ConfigFormTestUtil.h"
#include "ui/HexEdit.h"
#include "ui/LabeledEdit.h"
#include "ui/SpinField.h"

namespace mc {
namespace {

using test::ConfigFormTest;
using test::readBytes;
using test::writeBytes;

const char* const kTwoModels =
    "[Hall]\nMatrixAddress=10\nMatrixInputNum=4\nMatrixOutputNum=8\nMatrixPattern=1\n"
    "MatrixCustomAddress=31\nMatrixCustomLogo=大厅\n"
    "[Stage]\nMatrixAddress=82\nMatrixInputNum=16\nMatrixOutputNum=16\nMatrixPattern=0\n";

void typeInto(QLineEdit* edit, const QString& text) {
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, text);
}

void loseFocus(QWidget* widget) {
    QFocusEvent event(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(widget, &event);
}

std::string readMain(const AppPaths& paths, const char* section, const char* key) {
    return iniReadString(paths.mainConfigFile(), section, key, "<missing>");
}

QStringList items(const QComboBox* box) {
    QStringList list;
    for (int i = 0; i < box->count(); ++i)
        list << box->itemText(i);
    return list;
}

// --- Opening ---------------------------------------------------------------

// The model in use has no section: the dialog shows what it runs with.
TEST_F(ConfigFormTest, OpeningWithoutConfigurationShowsDefaults) {
    writeMain("");
    start();
    open();
    const TConfigForm& f = *form;
    EXPECT_EQ(f.ComSelSpinEdit->text(), QStringLiteral("1"));
    EXPECT_EQ(f.BandComboBox->currentText(), QStringLiteral("9600"));
    EXPECT_EQ(f.CircleTimeSpinEdit->text(), QStringLiteral("1"));
    EXPECT_EQ(f.MatrixModelComboBox->currentText(), QStringLiteral("DefaultMatrix"));
    EXPECT_EQ(f.MatrixModelComboBox->count(), 0);
    EXPECT_EQ(f.MatrixAddressHexEdit->text(), QStringLiteral("52"));
    EXPECT_EQ(f.MatrixCustomAddressHexEdit->text(), QStringLiteral("01"));
    EXPECT_EQ(f.MatrixInputLabeledEdit->text(), QStringLiteral("32"));
    EXPECT_EQ(f.MatrixOutputLabeledEdit->text(), QStringLiteral("32"));
    EXPECT_FALSE(f.MatrixPatternCheckBox->isChecked());
    EXPECT_EQ(f.MatrixLogoLabeledEdit->text(), QStringLiteral("VELMORAN MATRIX"));
    EXPECT_EQ(modelText(), "<none>") << "opening writes no model";

    // A new name keeps those values as the start of the new model, address
    // included; Apply with them unchanged asks nothing.
    typeInto(form->MatrixModelComboBox->lineEdit(), QStringLiteral("Studio"));
    EXPECT_EQ(f.MatrixAddressHexEdit->text(), QStringLiteral("52"));
    form->AddMatrixModel->click();
    EXPECT_EQ(iniReadString(paths.modelConfigFile(), "Studio", "MatrixAddress", ""), "82");
    form->UpDataButton->click();
    EXPECT_TRUE(dialogs.questions.empty());
    EXPECT_EQ(session->state().MatrixAddress, 0x52);
}

TEST_F(ConfigFormTest, OpeningShowsStoredValuesAndPutsThemIntoRange) {
    writeMain(
        "[Serial Commucation Set]\nPortNum=COM1\nComPortNum=25\nPortBandRate=19200\n"
        "[Matrix Manage Message]\nMatrixNowUse=Hall\n[System config]\nCircleTime=12\n");
    writeModels(kTwoModels);
    start();
    open();
    const TConfigForm& f = *form;
    EXPECT_EQ(f.ComSelSpinEdit->text(), QStringLiteral("20"));
    EXPECT_EQ(f.BandComboBox->currentText(), QStringLiteral("9600"));
    EXPECT_EQ(f.CircleTimeSpinEdit->text(), QStringLiteral("12"));
    EXPECT_EQ(items(f.MatrixModelComboBox), (QStringList{"Hall", "Stage"}));
    EXPECT_EQ(f.MatrixModelComboBox->currentText(), QStringLiteral("Hall"));
    EXPECT_EQ(f.MatrixAddressHexEdit->text(), QStringLiteral("0A"));
    EXPECT_EQ(f.MatrixCustomAddressHexEdit->text(), QStringLiteral("1F"));
    EXPECT_EQ(f.MatrixInputLabeledEdit->text(), QStringLiteral("4"));
    EXPECT_EQ(f.MatrixOutputLabeledEdit->text(), QStringLiteral("8"));
    EXPECT_TRUE(f.MatrixPatternCheckBox->isChecked());
    EXPECT_EQ(f.MatrixLogoLabeledEdit->text(), QStringLiteral("大厅"));
    // A full two-digit address field refuses a further digit.
    f.MatrixAddressHexEdit->setCursorPosition(2);
    QTest::keyClick(f.MatrixAddressHexEdit, '5');
    EXPECT_EQ(f.MatrixAddressHexEdit->text(), QStringLiteral("0A"));
}

// --- Fields stored at once -------------------------------------------------------

TEST_F(ConfigFormTest, PortFieldIsPutIntoRangeWhileTyping) {
    writeMain("");
    start();
    open();
    SpinField* port = form->ComSelSpinEdit;
    typeInto(port->lineEdit(), QStringLiteral("25"));
    EXPECT_EQ(port->text(), QStringLiteral("20"));
    typeInto(port->lineEdit(), QStringLiteral("0"));
    EXPECT_EQ(port->text(), QStringLiteral("1"));
    typeInto(port->lineEdit(), QStringLiteral("7"));
    QTest::keyClick(port->lineEdit(), Qt::Key_Up);
    EXPECT_EQ(port->text(), QStringLiteral("8"));
    port->downButton()->click();
    port->downButton()->click();
    EXPECT_EQ(port->text(), QStringLiteral("6"));
    EXPECT_EQ(readMain(paths, "Serial Commucation Set", "ComPortNum"), "<missing>")
        << "the port is stored by Apply only";
}

TEST_F(ConfigFormTest, CycleFieldIsStoredAtOnceAndReachesTheControlWindow) {
    writeMain("");
    start();
    open();
    QLineEdit* cycle = form->CircleTimeSpinEdit->lineEdit();
    typeInto(cycle, QStringLiteral("7"));
    EXPECT_EQ(readMain(paths, "System config", "CircleTime"), "7");
    EXPECT_EQ(session->state().CircleTime, 7);
    QTest::keyClicks(cycle, QStringLiteral("50"));
    EXPECT_EQ(cycle->text(), QStringLiteral("750"));
    EXPECT_EQ(readMain(paths, "System config", "CircleTime"), "100")
        << "a value outside 1..100 is stored as the nearest limit";
    EXPECT_EQ(session->state().CircleTime, 100);
    loseFocus(cycle);
    EXPECT_EQ(cycle->text(), QStringLiteral("100"));
    form->CancleButton->click();
    EXPECT_EQ(readMain(paths, "System config", "CircleTime"), "100") << "Cancel undoes nothing";
}

TEST_F(ConfigFormTest, TypingModelNamesShowsKnownModelsAndStoresNothing) {
    writeMain("[Matrix Manage Message]\nMatrixNowUse=Stage\n");
    writeModels(kTwoModels);
    start();
    ASSERT_FALSE(session->state().MatrixPattern);
    open();
    ASSERT_FALSE(form->MatrixPatternCheckBox->isChecked());

    typeInto(form->MatrixModelComboBox->lineEdit(), QStringLiteral("Hall"));
    EXPECT_TRUE(form->MatrixPatternCheckBox->isChecked()) << "Hall's pattern is shown";
    EXPECT_EQ(form->MatrixAddressHexEdit->text(), QStringLiteral("0A"));
    EXPECT_EQ(form->MatrixLogoLabeledEdit->text(), QStringLiteral("大厅"));

    // A new name keeps what is shown.
    QTest::keyClicks(form->MatrixModelComboBox->lineEdit(), QStringLiteral("X"));
    EXPECT_TRUE(form->MatrixPatternCheckBox->isChecked());
    EXPECT_EQ(form->MatrixAddressHexEdit->text(), QStringLiteral("0A"));
    EXPECT_EQ(form->MatrixCustomAddressHexEdit->text(), QStringLiteral("1F"));
    EXPECT_EQ(form->MatrixInputLabeledEdit->text(), QStringLiteral("4"));

    EXPECT_EQ(modelText(), kTwoModels) << "no section for any prefix typed";
    EXPECT_FALSE(session->state().MatrixPattern) << "the control window is untouched";
}

TEST_F(ConfigFormTest, PickingAModelFromTheListShowsIt) {
    writeMain("[Matrix Manage Message]\nMatrixNowUse=Hall\n");
    writeModels(kTwoModels);
    start();
    open();
    QTest::keyClick(form->MatrixModelComboBox, Qt::Key_Down);
    EXPECT_EQ(form->MatrixModelComboBox->currentText(), QStringLiteral("Stage"));
    EXPECT_EQ(form->MatrixAddressHexEdit->text(), QStringLiteral("52"));
    EXPECT_EQ(form->MatrixInputLabeledEdit->text(), QStringLiteral("16"));
    EXPECT_FALSE(form->MatrixPatternCheckBox->isChecked());
    EXPECT_EQ(form->MatrixLogoLabeledEdit->text(), QStringLiteral("Velmoran Matrix"));
    EXPECT_EQ(modelText(), kTwoModels);
}

TEST_F(ConfigFormTest, OperatorsPatternClickIsStoredAndReachesTheControlWindow) {
    writeMain("[Matrix Manage Message]\nMatrixNowUse=Stage\n");
    writeModels(kTwoModels);
    start();
    open();
    form->MatrixPatternCheckBox->click();
    EXPECT_EQ(iniReadString(paths.modelConfigFile(), "Stage", "MatrixPattern", ""), "1");
    EXPECT_TRUE(session->state().MatrixPattern);
    form->MatrixPatternCheckBox->click();
    EXPECT_EQ(iniReadString(paths.modelConfigFile(), "Stage", "MatrixPattern", ""), "0");
    EXPECT_FALSE(session->state().MatrixPattern);
}

TEST_F(ConfigFormTest, PatternClickUnderAnUnusableNameIsRefused) {
    writeMain("[Matrix Manage Message]\nMatrixNowUse=Stage\n");
    writeModels(kTwoModels);
    start();
    open();
    typeInto(form->MatrixModelComboBox->lineEdit(), QStringLiteral("a]b"));
    form->MatrixPatternCheckBox->click();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_FALSE(form->MatrixPatternCheckBox->isChecked()) << "the box goes back";
    EXPECT_FALSE(session->state().MatrixPattern);
    EXPECT_EQ(modelText(), kTwoModels);
}

// --- Add and delete -------------------------------------------------------------

TEST_F(ConfigFormTest, AddWithInputsThatAreNoNumberWritesNothing) {
    writeMain("");
    start();
    open();
    typeInto(form->MatrixModelComboBox->lineEdit(), QStringLiteral("Hall"));
    form->MatrixInputLabeledEdit->setText(QStringLiteral("abc"));
    form->MatrixOutputLabeledEdit->setText(QStringLiteral("8"));
    form->AddMatrixModel->click();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0],
              QStringLiteral("EConvertError\n'abc' is not a valid integer value"));
    EXPECT_EQ(modelText(), "<none>");
    EXPECT_EQ(form->MatrixModelComboBox->count(), 0);
    EXPECT_EQ(readMain(paths, "Matrix Manage Message", "MatrixModelNumber"), "<missing>");
}

TEST_F(ConfigFormTest, AddOverwritesAModelAndTheListDoesNotGrow) {
    writeMain("");
    writeModels(kTwoModels);
    start();
    open();
    typeInto(form->MatrixModelComboBox->lineEdit(), QStringLiteral("HALL"));
    form->MatrixInputLabeledEdit->setText(QStringLiteral("32"));
    form->MatrixOutputLabeledEdit->setText(QStringLiteral("16"));
    typeInto(form->MatrixAddressHexEdit, QStringLiteral("a1"));
    form->AddMatrixModel->click();
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(items(form->MatrixModelComboBox), (QStringList{"Hall", "Stage"}));
    EXPECT_EQ(form->MatrixModelComboBox->currentText(), QStringLiteral("HALL")) << "text stays";
    EXPECT_EQ(iniReadInteger(paths.modelConfigFile(), "Hall", "MatrixInputNum", 0), 32);
    EXPECT_EQ(iniReadInteger(paths.modelConfigFile(), "Hall", "MatrixAddress", 0), 0xA1);
    EXPECT_EQ(readMain(paths, "Matrix Manage Message", "MatrixModelNumber"), "2");

    typeInto(form->MatrixModelComboBox->lineEdit(), QStringLiteral("Bar"));
    form->MatrixInputLabeledEdit->setText(QStringLiteral("8"));
    form->MatrixOutputLabeledEdit->setText(QStringLiteral("8"));
    form->AddMatrixModel->click();
    EXPECT_EQ(items(form->MatrixModelComboBox), (QStringList{"Hall", "Stage", "Bar"}));
    EXPECT_EQ(readMain(paths, "Matrix Manage Message", "MatrixModelNumber"), "3");
}

TEST_F(ConfigFormTest, DeleteOfTheLastModelLeavesAnEmptyList) {
    writeMain("[Matrix Manage Message]\nMatrixNowUse=Hall\n");
    writeModels("[Hall]\nMatrixAddress=10\nMatrixInputNum=4\n");
    start();
    open();
    form->Button3->click();
    EXPECT_EQ(form->MatrixModelComboBox->count(), 0);
    EXPECT_EQ(form->MatrixModelComboBox->currentText(), QString());
    EXPECT_EQ(form->MatrixAddressHexEdit->text(), QStringLiteral("00"));
    EXPECT_EQ(form->MatrixLogoLabeledEdit->text(), QStringLiteral("Velmoran Matrix"));
    EXPECT_EQ(modelText(), "");
    EXPECT_EQ(readMain(paths, "Matrix Manage Message", "MatrixModelNumber"), "0");
    EXPECT_EQ(readMain(paths, "Matrix Manage Message", "MatrixNowUse"), "Hall");
}

TEST_F(ConfigFormTest, DeleteOfTheModelInUseLeavesItInUse) {
    writeMain("[Matrix Manage Message]\nMatrixNowUse=Stage\n");
    writeModels(kTwoModels);
    start();
    open();
    form->Button3->click();
    EXPECT_EQ(items(form->MatrixModelComboBox), (QStringList{"Hall"}));
    EXPECT_EQ(form->MatrixModelComboBox->currentText(), QStringLiteral("Hall"));
    EXPECT_EQ(form->MatrixAddressHexEdit->text(), QStringLiteral("0A")) << "Hall's fields shown";
    EXPECT_EQ(readMain(paths, "Matrix Manage Message", "MatrixNowUse"), "Stage");
    EXPECT_EQ(readMain(paths, "Matrix Manage Message", "MatrixModelNumber"), "1");
}

// --- Apply (its steps are tested on the session) -----------------------------

TEST_F(ConfigFormTest, ApplyHandsTheShownChoiceToTheSessionAndCloses) {
    writeMain(
        "[Serial Commucation Set]\nPortNum=COM2\nComPortNum=2\nPortBandRate=115200\n"
        "[Matrix Manage Message]\nMatrixNowUse=Hall\n");
    writeModels(kTwoModels);
    writeBytes(paths.modeFile(),
               "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<MatrixMode><Mode会议><SwitchNode1>"
               "<InputPort>1</InputPort><OutputPort>0</OutputPort></SwitchNode1></Mode会议>"
               "</MatrixMode>\n");
    start();
    window->show();  // fills the mode list
    open();
    auto* modes = test::child<QComboBox>(*window, QStringLiteral("MatrixModeComboBox"));
    ASSERT_EQ(modes->count(), 1);
    EXPECT_EQ(form->ComSelSpinEdit->text(), QStringLiteral("2"));
    EXPECT_EQ(form->BandComboBox->currentText(), QStringLiteral("115200"));
    typeInto(form->MatrixModelComboBox->lineEdit(), QStringLiteral("Stage"));
    // Another matrix: what will be erased is said first, and No applies nothing.
    dialogs.answerAsk = IDialogs::Answer::No;
    form->UpDataButton->click();
    ASSERT_EQ(dialogs.questions,
              std::vector<QString>{QStringLiteral("将删除 0 个端口名称和 1 个矩阵模式")});
    EXPECT_EQ(readMain(paths, "Matrix Manage Message", "MatrixNowUse"), "Hall");
    EXPECT_EQ(modes->count(), 1);
    dialogs.answerAsk = IDialogs::Answer::Yes;
    form->UpDataButton->click();

    EXPECT_TRUE(dialogs.errors.empty());
    EXPECT_TRUE(std::filesystem::exists(paths.modeFile() + ".bak"));
    EXPECT_EQ(readMain(paths, "Matrix Manage Message", "MatrixNowUse"), "Stage");
    EXPECT_EQ(session->port().CommName(), "COM2");
    EXPECT_EQ(session->port().BaudRate(), 115200u);
    EXPECT_EQ(session->state().MatrixInputNum(), 16);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Stage 汇切台"));
    EXPECT_EQ(test::gridColumns(*window), 17u) << "the grid is made again for 16 inputs";
    EXPECT_EQ(modes->count(), 0);
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(form->result(), QDialog::Accepted);
}

// Changed address or counts of the model shown are not dropped unasked.
TEST_F(ConfigFormTest, ApplyAsksWhetherToSaveChangedModelValues) {
    writeMain("[Matrix Manage Message]\nMatrixNowUse=Stage\n");
    writeModels(kTwoModels);
    start();
    open();
    typeInto(form->MatrixAddressHexEdit, QStringLiteral("5A"));
    dialogs.answerAsk = IDialogs::Answer::Cancel;
    form->UpDataButton->click();
    ASSERT_EQ(dialogs.questions,
              std::vector<QString>{QStringLiteral("型号参数已修改，保存到型号表？")});
    EXPECT_TRUE(form->isVisible()) << "Cancel stops Apply";
    EXPECT_EQ(modelText(), kTwoModels);

    dialogs.answerAsk = IDialogs::Answer::No;
    form->UpDataButton->click();
    EXPECT_EQ(modelText(), kTwoModels) << "No drops them";
    EXPECT_EQ(session->state().MatrixAddress, 0x52);

    open();
    typeInto(form->MatrixInputLabeledEdit, QStringLiteral("8"));
    dialogs.answerAsk = IDialogs::Answer::Yes;
    form->UpDataButton->click();
    EXPECT_EQ(iniReadString(paths.modelConfigFile(), "Stage", "MatrixInputNum", ""), "8");
    EXPECT_EQ(session->state().MatrixInputNum(), 8);
    EXPECT_EQ(dialogs.questions.size(), 3u);
}

TEST_F(ConfigFormTest, ApplyStoresTheShownRateForAnUnknownStoredRate) {
    writeMain("[Serial Commucation Set]\nPortNum=COM1\nComPortNum=1\nPortBandRate=19200\n");
    start();
    EXPECT_EQ(session->port().BaudRate(), 19200u) << "the session uses it unchanged";
    open();
    form->UpDataButton->click();
    EXPECT_EQ(readMain(paths, "Serial Commucation Set", "PortBandRate"), "9600");
    EXPECT_EQ(session->port().BaudRate(), 9600u);
}

TEST_F(ConfigFormTest, ApplyThatCannotWriteShowsTheErrorAndStaysOpen) {
    writeMain("[Matrix Manage Message]\nMatrixNowUse=Hall\nMatrixInputEditEnable=1\n");
    // The names file is a link to a file whose name leaves no room for the
    // temporary file of a write: saving the names for the rebuild fails.
    const std::string target = dir.file(std::string(250, 'n'));
    writeBytes(target, "[MatrixInputStringList]\nInputString0=Cam\n");
    std::filesystem::create_symlink(target, paths.editListFile());
    start();
    open();
    form->UpDataButton->click();
    ASSERT_EQ(dialogs.errors.size(), 1u);
    EXPECT_TRUE(dialogs.errors[0].startsWith(QStringLiteral("Unable to write to")))
        << dialogs.errors[0].toStdString();
    EXPECT_NE(test::gridRows(*window), 0u) << "the grid is made again all the same";
    EXPECT_TRUE(form->isVisible()) << "the dialog stays open after an error";
}

TEST_F(ConfigFormTest, CancelStoresNothing) {
    writeMain("[Serial Commucation Set]\nPortNum=COM1\nComPortNum=1\n");
    start();
    const std::string before = mainText();
    open();
    form->ComSelSpinEdit->setValue(5);
    form->BandComboBox->setCurrentIndex(3);
    form->CancleButton->click();
    EXPECT_EQ(mainText(), before);
    EXPECT_EQ(session->port().CommName(), "COM1");
    EXPECT_TRUE(session->port().isOpen());
}

}  // namespace
}  // namespace mc
