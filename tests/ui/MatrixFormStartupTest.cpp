// The control window as it is created: caption, grid, labels, hints, paging
// buttons, layer buttons, the status bar's fields and the port-open error box
// (the start-up steps themselves are tested on the session).

#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include "ui/MatrixFormTestUtil.h"

namespace mc::test {
namespace {

using MatrixFormStartup = MatrixFormTest;

TEST_F(MatrixFormStartup, FirstRunShowsTheDefaultModelAndTheOpenPort) {
    TMatrixForm& window = open();

    EXPECT_EQ(window.windowTitle(), QStringLiteral("DefaultMatrix 汇切台"));
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

    EXPECT_TRUE(button("RightBitBtn")->isVisible() && button("RightBitBtn")->isEnabled());
    EXPECT_TRUE(button("DownBitBtn")->isVisible() && button("DownBitBtn")->isEnabled());
    EXPECT_TRUE(button("LeftBitBtn")->isVisible() && !button("LeftBitBtn")->isEnabled());
    EXPECT_TRUE(button("UpBitBtn")->isVisible() && !button("UpBitBtn")->isEnabled());

    EXPECT_TRUE(radio("VideoRadioButton")->isChecked());
    EXPECT_TRUE(window.statusNote().isEmpty());
}

TEST_F(MatrixFormStartup, LayerButtonsShowTheSessionsLayer) {
    struct Row {
        bool pattern;
        const char* stored;
        bool enabled;
        const char* checked;  // null: none
    };
    for (const Row& row : {Row{false, "2", true, "AudioRadioButton"},
                           Row{true, "2", false, nullptr}, Row{false, "7", true, nullptr}}) {
        SCOPED_TRACE(row.stored);
        useModel(16, 16, row.pattern);
        setConfig("System config", "VideoOrAudio", row.stored);
        open();
        for (const char* name :
             {"VideoRadioButton", "AudioRadioButton", "VideoAndAudioRadioButton"}) {
            EXPECT_EQ(radio(name)->isEnabled(), row.enabled) << name;
            EXPECT_EQ(radio(name)->isChecked(),
                      row.checked != nullptr &&
                          QString::fromLatin1(name) == QString::fromLatin1(row.checked))
                << name;
        }
    }
}

TEST_F(MatrixFormStartup, PortFieldCountsTheFramesWaiting) {
    TMatrixForm& window = open();
    poster.runPending();
    EXPECT_TRUE(window.portStatusText().endsWith(QStringLiteral("待发 2 帧，约 0.4 秒")))
        << window.portStatusText().toStdString();
    click(box(0, 0));
    click(box(1, 0));
    poster.runPending();
    EXPECT_TRUE(window.portStatusText().contains(QStringLiteral("待发 4 帧")));
    frames();
    poster.runPending();
    EXPECT_FALSE(window.portStatusText().contains(QStringLiteral("待发")));
}

TEST_F(MatrixFormStartup, ClampedCountsAreNotedInTheStatusBar) {
    useModel(1000, 300);
    TMatrixForm& window = open();
    EXPECT_TRUE(window.statusNote().contains(QStringLiteral("256")))
        << window.statusNote().toStdString();
    EXPECT_TRUE(child<QLabel>(window, QStringLiteral("StatusNote"))->isVisibleTo(&window));
    EXPECT_EQ(gridRows(window), 16u);
}

TEST_F(MatrixFormStartup, PortThatCannotBeOpenedShowsTheErrorBoxAndTheGridWorks) {
    const std::string missing = dir.file("no-such-device");
    setConfig("Serial Port Map", "COM1", missing);
    TMatrixForm& window = open();

    ASSERT_EQ(dialogs.ignoreErrors.size(), 1u);
    EXPECT_EQ(dialogs.ignoreErrors[0].text, QStringLiteral("Error opening serial port"));
    EXPECT_TRUE(dialogs.ignoreErrors[0].detail.contains(QString::fromStdString(missing)))
        << dialogs.ignoreErrors[0].detail.toStdString();
    EXPECT_TRUE(window.portStatusText().contains(QStringLiteral("未打开")));

    frames();
    click(box(3, 1));
    EXPECT_TRUE(box(3, 1)->isChecked());
    EXPECT_EQ(frames(), std::vector<Bytes>{switchFrame(0x52, 1, 3)});
}

}  // namespace
}  // namespace mc::test
