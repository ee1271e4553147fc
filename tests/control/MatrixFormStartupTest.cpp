// The control window's creation: start-up frames, caption, port, layer
// buttons, clamped counts and a port that cannot be opened.

#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <cstring>

#include "control/MatrixFormTestUtil.h"
#include "protocol/Frames.h"

namespace mc::test {
namespace {

Bytes layerFrame(std::int32_t address, std::int32_t layer) {
    Bytes out;
    composeLayer(out, address, layer);
    return out;
}

using MatrixFormStartup = MatrixFormTest;

TEST_F(MatrixFormStartup, FirstRunWithoutModelTable) {
    TMatrixForm& window = open();

    EXPECT_EQ(window.windowTitle(), QStringLiteral("DefaultMatrix 汇切台"));
    EXPECT_EQ(window.session().port().CommName(), "COM1");
    EXPECT_EQ(window.session().port().BaudRate(), 9600u);
    EXPECT_TRUE(window.session().port().isOpen());
    EXPECT_TRUE(window.portStatusText().contains(QString::fromStdString(pty.slavePath())));
    EXPECT_TRUE(window.portStatusText().contains(QStringLiteral("9600 bit/s 已打开")));
    EXPECT_TRUE(dialogs.ignoreErrors.empty());

    // 32 × 32: 16 rows of 16 input boxes and a close box.
    ASSERT_EQ(gridRows(window), 16u);
    EXPECT_EQ(gridColumns(window), 17u);
    EXPECT_EQ(columnLabelCount(window), 17u);
    EXPECT_EQ(columnLabel(window, 0)->text(), QStringLiteral(" 1 "));
    EXPECT_EQ(columnLabel(window, 16)->text(), QStringLiteral("关闭"));
    EXPECT_EQ(box(2, 16)->text(), QStringLiteral("输出3"));
    EXPECT_EQ(box(2, 16)->toolTip(), QStringLiteral("关闭或打开输出端口3"));
    EXPECT_EQ(box(2, 4)->toolTip(), QStringLiteral("5 => 3"));
    EXPECT_EQ(box(2, 4)->statusTip(), box(2, 4)->toolTip());

    EXPECT_TRUE(child<QPushButton>(window, QStringLiteral("RightBitBtn"))->isVisible() &&
                child<QPushButton>(window, QStringLiteral("RightBitBtn"))->isEnabled());
    EXPECT_TRUE(child<QPushButton>(window, QStringLiteral("DownBitBtn"))->isVisible() &&
                child<QPushButton>(window, QStringLiteral("DownBitBtn"))->isEnabled());
    EXPECT_TRUE(child<QPushButton>(window, QStringLiteral("LeftBitBtn"))->isVisible() &&
                !child<QPushButton>(window, QStringLiteral("LeftBitBtn"))->isEnabled());
    EXPECT_TRUE(child<QPushButton>(window, QStringLiteral("UpBitBtn"))->isVisible() &&
                !child<QPushButton>(window, QStringLiteral("UpBitBtn"))->isEnabled());

    EXPECT_TRUE(child<QRadioButton>(window, QStringLiteral("VideoRadioButton"))->isChecked());
    EXPECT_EQ(config("System config", "VideoOrAudio"), "1");
    EXPECT_EQ(frames(), (std::vector<Bytes>{onOffFrame(0x52), layerFrame(0x52, 1)}));
    EXPECT_TRUE(window.session().state().CurrentModeName.empty());
    EXPECT_TRUE(window.statusNote().isEmpty());
}

TEST_F(MatrixFormStartup, PortFieldCountsTheFramesWaiting) {
    TMatrixForm& window = open();
    poster.runPending();
    EXPECT_TRUE(window.portStatusText().endsWith(QStringLiteral("待发 2 帧，约 0.4 秒")))
        << window.portStatusText().toStdString();
    click(box(0, 0));
    click(box(1, 0));
    // One refresh is posted for the burst, not one per frame.
    EXPECT_LE(poster.pending(), 1u);
    poster.runPending();
    EXPECT_TRUE(window.portStatusText().contains(QStringLiteral("待发 4 帧")));
    frames();
    poster.runPending();
    EXPECT_FALSE(window.portStatusText().contains(QStringLiteral("待发")));
}

TEST_F(MatrixFormStartup, CustomAddressQueuesAddressFramesBeforeTheLayer) {
    useModel(32, 32, false, 0x52, 5);
    setConfig("System config", "VideoOrAudio", "2");
    TMatrixForm& window = open();

    EXPECT_EQ(window.windowTitle(), QStringLiteral("TestMatrix 汇切台"));
    EXPECT_EQ(window.session().state().ActiveAddress, 5);
    EXPECT_TRUE(child<QRadioButton>(window, QStringLiteral("AudioRadioButton"))->isChecked());
    EXPECT_EQ(frames(), (std::vector<Bytes>{onOffFrame(0x52), onOffFrame(5),
                                            setAddressFrame(0x52, 5), layerFrame(5, 2)}));
}

TEST_F(MatrixFormStartup, PatternModelDisablesTheLayerButtons) {
    useModel(16, 16, true);
    setConfig("System config", "VideoOrAudio", "2");
    TMatrixForm& window = open();

    for (QRadioButton* button :
         {child<QRadioButton>(window, QStringLiteral("VideoRadioButton")),
          child<QRadioButton>(window, QStringLiteral("AudioRadioButton")),
          child<QRadioButton>(window, QStringLiteral("VideoAndAudioRadioButton"))}) {
        EXPECT_FALSE(button->isEnabled());
        EXPECT_FALSE(button->isChecked());
    }
    EXPECT_EQ(frames(), std::vector<Bytes>{onOffFrame(0x52)});
}

TEST_F(MatrixFormStartup, StoredLayerOutsideTheRangeChecksNoneAndSendsNothing) {
    setConfig("System config", "VideoOrAudio", "7");
    TMatrixForm& window = open();
    EXPECT_FALSE(child<QRadioButton>(window, QStringLiteral("VideoRadioButton"))->isChecked());
    EXPECT_FALSE(child<QRadioButton>(window, QStringLiteral("AudioRadioButton"))->isChecked());
    EXPECT_FALSE(
        child<QRadioButton>(window, QStringLiteral("VideoAndAudioRadioButton"))->isChecked());
    EXPECT_EQ(frames(), std::vector<Bytes>{onOffFrame(0x52)});
    EXPECT_EQ(config("System config", "VideoOrAudio"), "7");
}

struct CountCase {
    std::int32_t inputs;
    std::int32_t outputs;
    std::int32_t usedInputs;
    std::int32_t usedOutputs;
    bool note;
};

class MatrixFormCounts : public MatrixFormTest, public ::testing::WithParamInterface<CountCase> {};

TEST_P(MatrixFormCounts, CountsAreClampedWithANoteAndTheGridWorks) {
    const CountCase& count = GetParam();
    useModel(count.inputs, count.outputs);
    TMatrixForm& window = open();

    EXPECT_EQ(window.session().state().MatrixInputNum(), count.usedInputs);
    EXPECT_EQ(window.session().state().MatrixOutputNum(), count.usedOutputs);
    EXPECT_EQ(!window.statusNote().isEmpty(), count.note) << window.statusNote().toStdString();
    if (count.note) {
        EXPECT_TRUE(window.statusNote().contains(QString::number(count.usedInputs)));
    }
    frames();
    click(box(0, 0));
    EXPECT_EQ(frames(), std::vector<Bytes>{switchFrame(0x52, 0, 0)});
}

INSTANTIATE_TEST_SUITE_P(Models, MatrixFormCounts,
                         ::testing::Values(CountCase{0, -4, 1, 1, true},
                                           CountCase{1000, 300, 256, 256, true},
                                           CountCase{256, 256, 256, 256, false},
                                           CountCase{1, 1, 1, 1, false}));

TEST_F(MatrixFormStartup, PortThatCannotBeOpenedIsIgnoredAndTheWindowWorks) {
    const std::string missing = programDir + "/no-such-device";
    setConfig("Serial Port Map", "COM1", missing);
    TMatrixForm& window = open();

    ASSERT_EQ(dialogs.ignoreErrors.size(), 1u);
    EXPECT_EQ(dialogs.ignoreErrors[0].text, QStringLiteral("Error opening serial port"));
    const QString detail = dialogs.ignoreErrors[0].detail;
    EXPECT_TRUE(detail.contains(QString::fromLocal8Bit(std::strerror(ENOENT))))
        << detail.toStdString();
    EXPECT_TRUE(detail.contains(QString::fromStdString(missing))) << detail.toStdString();
    EXPECT_FALSE(window.session().port().isOpen());
    EXPECT_TRUE(window.portStatusText().contains(QStringLiteral("未打开")));

    frames();
    click(box(3, 1));
    EXPECT_TRUE(box(3, 1)->isChecked());
    EXPECT_EQ(frames(), std::vector<Bytes>{switchFrame(0x52, 1, 3)});
}

}  // namespace
}  // namespace mc::test
