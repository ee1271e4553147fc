// The control window's close, rebuild and termination signals, its menu
// commands and the About box, and one run from a click to the bytes on a
// pseudo-terminal.

#include <poll.h>

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <chrono>
#include <csignal>
#include <filesystem>

#include "protocol/Frames.h"
#include "ui/AboutBox.h"
#include "ui/MatrixFormTestUtil.h"
#include "ui/ModeNameUnit.h"
#include "ui/PortStatusField.h"
#include "ui/TerminationWatch.h"

namespace mc::test {
namespace {

using MatrixFormLife = MatrixFormTest;

TEST_F(MatrixFormLife, ExitClosesTheSessionWithTheTypedNamesAndFreesTheGrid) {
    useModel(4, 4);
    TMatrixForm& window = open();
    inputEdit(window, 1)->setText(QStringLiteral("Cam 2"));
    child<QAction>(window, QStringLiteral("ExitItem"))->trigger();

    EXPECT_TRUE(window.closed());
    EXPECT_TRUE(session->closed());
    EXPECT_FALSE(session->portOpen());
    EXPECT_EQ(gridRows(window), 0u);
    EXPECT_EQ(config("Matrix Manage Message", "MatrixInputEditEnable"), "1");
    EXPECT_EQ(nameList("MatrixInputStringList", "InputString1"), "Cam 2");
}

TEST_F(MatrixFormLife, DestroyingWithoutCloseLeavesTheSessionOpen) {
    open();
    form.reset();
    EXPECT_FALSE(session->closed());
    EXPECT_TRUE(session->portOpen());
    EXPECT_EQ(config("Matrix Manage Message", "MatrixInputEditEnable"), "<missing>");
}

TEST_F(MatrixFormLife, HangUpShowsTheLineLost) {
    TMatrixForm& window = open();
    const QString caption = window.windowTitle();
    EXPECT_FALSE(caption.contains(QStringLiteral("串口断开")));
    pty.closeMaster();
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            poster.runPending();
            return window.portStatusText().contains(QStringLiteral("连接中断"));
        },
        5000))
        << window.portStatusText().toStdString();
    EXPECT_EQ(window.windowTitle(), caption + QStringLiteral("（串口断开）"));
    auto* field = window.findChild<PortStatusField*>(QStringLiteral("PortStatusField"));
    ASSERT_NE(field, nullptr);
    EXPECT_TRUE(field->lost());
}

TEST_F(MatrixFormLife, MenuCommandsShowTheirDialogs) {
    TMatrixForm& window = open();
    TAboutBox about;
    QDialog config;
    std::vector<QDialog*> shown;
    dialogs.onExec = [&](QDialog& dialog) {
        shown.push_back(&dialog);
        return QDialog::Accepted;
    };
    window.AboutMenuItemClick();
    window.ConfigMenuItemClick();  // none handed over yet: nothing
    window.setAboutBox(&about);
    window.setConfigForm(&config);
    child<QAction>(window, QStringLiteral("AboutMenuItem"))->trigger();
    child<QAction>(window, QStringLiteral("ConfigMenuItem"))->trigger();
    EXPECT_EQ(shown, (std::vector<QDialog*>{&about, &config}));
    window.setAboutBox(nullptr);
    window.setConfigForm(nullptr);
}

TEST(AboutBox, FixedDialogWithTheProgramsTexts) {
    TAboutBox about;
    EXPECT_EQ(about.windowTitle(), QStringLiteral("关于汇切台"));
    EXPECT_EQ(about.size(), QSize(298, 213));
    EXPECT_EQ(about.minimumSize(), about.maximumSize());
    EXPECT_EQ(about.ProgramIcon->size(), QSize(269, 57));
    ASSERT_FALSE(about.ProgramIcon->pixmap().isNull());
    EXPECT_EQ(about.ProductName->text(), QStringLiteral("matrix-control"));
    EXPECT_EQ(about.Version->text(), QStringLiteral("Version  2.0 "));
    EXPECT_EQ(about.Comments->text(), QStringLiteral("Comments"));
    EXPECT_TRUE(about.Comments->wordWrap());
    // A long folder is shortened to the line's width, in full as the hint.
    const QString folder = QStringLiteral("/home/operator/.config/") + QString(60, u'x');
    about.setProgramFolder(folder);
    const QString text = about.Comments->text();
    EXPECT_TRUE(text.startsWith(QStringLiteral("程序文件夹：/home/"))) << text.toStdString();
    EXPECT_LE(about.Comments->fontMetrics().horizontalAdvance(text), about.Comments->width());
    EXPECT_EQ(about.Comments->toolTip(), folder);
    EXPECT_TRUE(about.OKButton->isDefault());
    about.show();
    QTest::mouseClick(about.OKButton, Qt::LeftButton);
    EXPECT_FALSE(about.isVisible());
    EXPECT_EQ(about.result(), QDialog::Accepted);
}

TEST_F(MatrixFormLife, TerminationSignalClosesLikeTheCloseBox) {
    for (int signal : {SIGTERM, SIGHUP, SIGINT}) {
        SCOPED_TRACE(signal);
        std::filesystem::remove(paths.mainConfigFile());
        setConfig("Serial Port Map", "COM1", pty.slavePath());
        TMatrixForm& window = open();
        {
            TerminationWatch watch(window);
            ASSERT_EQ(std::raise(signal), 0);
            EXPECT_TRUE(QTest::qWaitFor([&] { return window.closed(); }, 5000));
            EXPECT_EQ(watch.received(), signal);
        }
        EXPECT_EQ(config("Matrix Manage Message", "MatrixOutputEditEnable"), "0");
        EXPECT_TRUE(session->closed());
    }
}

TEST_F(MatrixFormLife, ASignalClosesAnOpenBoxAsItsOnlyButtonThenTheWindow) {
    TMatrixForm& window = open();
    TerminationWatch watch(window);
    // Should the box stay open, it is closed after 3 s so the test can fail.
    QTimer::singleShot(3000, [] {
        if (QWidget* modal = QApplication::activeModalWidget()) modal->hide();
    });
    QTimer::singleShot(50, [] { std::raise(SIGTERM); });
    QtDialogs real;
    const auto started = std::chrono::steady_clock::now();
    EXPECT_TRUE(real.ignoreError(&window, QStringLiteral("port"), QString()))
        << "closed with \"&Ignore\"";
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2));
    EXPECT_TRUE(QTest::qWaitFor([&] { return window.closed(); }, 2000));
    EXPECT_EQ(config("Matrix Manage Message", "MatrixOutputEditEnable"), "0");

    // From now on no box is shown: what it would say goes to standard error.
    ASSERT_TRUE(TerminationWatch::ending());
    testing::internal::CaptureStderr();
    real.showError(&window, QStringLiteral("Unable to write to x"));
    real.showMessage(&window, QStringLiteral("message"));
    EXPECT_TRUE(real.ignoreError(&window, QStringLiteral("again"), QStringLiteral("detail")));
    EXPECT_FALSE(real.openFileName(&window, QString(), QString()));
    EXPECT_FALSE(real.saveFileName(&window, QString(), QString(), QString()));
    TModeNameForm nameForm(real);
    EXPECT_EQ(real.exec(nameForm), QDialog::Rejected);
    const std::string printed = testing::internal::GetCapturedStderr();
    EXPECT_NE(printed.find("Unable to write to x\n"), std::string::npos) << printed;
    EXPECT_NE(printed.find("message\n"), std::string::npos) << printed;
    EXPECT_NE(printed.find("again (detail)\n"), std::string::npos) << printed;
}

TEST_F(MatrixFormLife, ASignalCancelsTheProgramsOwnDialogs) {
    TMatrixForm& window = open();
    TerminationWatch watch(window);
    QTimer::singleShot(3000, [] {
        if (QWidget* modal = QApplication::activeModalWidget()) modal->hide();
    });
    QtDialogs real;
    TModeNameForm nameForm(real, &window);
    QTimer::singleShot(50, [&] {
        nameForm.ModeNameEdit->setText(QStringLiteral("typed"));
        std::raise(SIGHUP);
    });
    EXPECT_EQ(real.exec(nameForm), QDialog::Rejected);
    EXPECT_EQ(nameForm.CurrentModeName(), "") << "as its cancel button";
    EXPECT_TRUE(QTest::qWaitFor([&] { return window.closed(); }, 2000));
}

TEST_F(MatrixFormLife, TheWindowIsClosedOnlyAfterTheBoxesLoopHasReturned) {
    TMatrixForm& window = open();
    TerminationWatch watch(window);
    QtDialogs real;
    bool closedInside = true;
    QTimer::singleShot(50, [] { std::raise(SIGTERM); });
    QTimer::singleShot(3000, [] {
        if (QWidget* modal = QApplication::activeModalWidget()) modal->hide();
    });
    QEventLoop outer;  // the program's own event loop, as in main()
    QTimer::singleShot(0, [&] {
        real.showError(&window, QStringLiteral("box"));
        closedInside = window.closed();
        outer.quit();
    });
    outer.exec();
    EXPECT_FALSE(closedInside) << "the handler that showed the box still runs";
    EXPECT_TRUE(QTest::qWaitFor([&] { return window.closed(); }, 2000));
}

TEST_F(MatrixFormLife, RebuildMakesTheGridAgain) {
    TMatrixForm& window = open();
    click(box(0, 3));

    useModel(8, 20, false, 0x52, 9);
    window.MatrixFree();
    EXPECT_EQ(gridRows(window), 0u) << "the window frees its grid; the port is the session's";
    EXPECT_TRUE(session->portOpen());
    window.RedrawMatrixForm(true);

    EXPECT_EQ(session->state().MatrixInputNum(), 8);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("TestMatrix 汇切台"));
    EXPECT_EQ(gridRows(window), 16u);
    EXPECT_EQ(gridColumns(window), 9u);
    EXPECT_TRUE(button("DownBitBtn")->isVisibleTo(&window));
    EXPECT_FALSE(button("RightBitBtn")->isVisibleTo(&window));
    EXPECT_FALSE(box(0, 3)->isChecked());
    EXPECT_EQ(box(0, 0)->toolTip(), QStringLiteral("1 => 1"));
    expectTicksMatchState();

    frames();
    const int width = window.width();
    window.RedrawMatrixForm(false);
    EXPECT_EQ(window.width(), width);
    EXPECT_TRUE(frames().empty()) << "no rebuild, so no start-up frames";
}

// Reads from the pseudo-terminal's master until `count` bytes came or the
// limit passed.
Bytes readMaster(int master, std::size_t count, std::chrono::milliseconds limit) {
    Bytes got;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (got.size() < count && std::chrono::steady_clock::now() < deadline) {
        pollfd ready{master, POLLIN, 0};
        if (::poll(&ready, 1, 50) <= 0) continue;
        std::uint8_t buffer[256];
        const ssize_t n = ::read(master, buffer, sizeof buffer);
        if (n > 0) got.insert(got.end(), buffer, buffer + n);
    }
    return got;
}

TEST_F(MatrixFormLife, ClickReachesTheSerialLine) {
    open(true);
    click(box(4, 9));

    Bytes expected;
    for (const Bytes& frame : {onOffFrame(0x52), layerFrame(0x52, 1), switchFrame(0x52, 9, 4)}) {
        expected.insert(expected.end(), frame.begin(), frame.end());
    }
    ASSERT_EQ(switchFrame(0x52, 9, 4).size(), 7u);
    EXPECT_EQ(readMaster(pty.master(), expected.size(), std::chrono::seconds(10)), expected);

    // The status field learnt that the queue drained.
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            poster.runPending();
            return !form->portStatusText().contains(QStringLiteral("待发"));
        },
        5000));
    form->close();
}

}  // namespace
}  // namespace mc::test
