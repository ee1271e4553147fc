// The journal dialog: the File menu's item opens it on the session's own
// journal, newest first, filtered by output and read again on "刷新"; and
// the texts and the filter it is built from.

#include <QAction>
#include <QComboBox>
#include <QDateTime>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QScrollBar>
#include <QTableWidget>
#include <filesystem>

#include "ui/JournalDialog.h"
#include "ui/MatrixFormTestUtil.h"
#include "ui/Translation.h"

namespace mc::test {
namespace {

using JournalDialogTest = MatrixFormTest;

// Each row's origin, action and changes, joined by " / ".
QStringList rowsOf(const JournalDialog& dialog) {
    QStringList rows;
    for (int r = 0; r < dialog.JournalTable->rowCount(); ++r) {
        QStringList cells;
        for (int c : {JournalDialog::OriginColumn, JournalDialog::ActionColumn,
                      JournalDialog::ChangesColumn})
            cells << dialog.JournalTable->item(r, c)->text();
        rows << cells.join(QStringLiteral(" / "));
    }
    return rows;
}

TEST_F(JournalDialogTest, FileMenuItemListsTheSessionsStepsNewestFirstByOutput) {
    useModel(4, 4);
    open();
    QAction* item = child<QAction>(*form, QStringLiteral("JournalItem"));
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->text(), QStringLiteral("操作记录(&J)"));
    const QList<QAction*> file = child<QMenu>(*form, QStringLiteral("FileSubMenu"))->actions();
    const qsizetype at = file.indexOf(item);
    ASSERT_GT(at, 0);
    EXPECT_EQ(file[at - 1]->objectName(), QStringLiteral("ResendStateItem"));
    EXPECT_TRUE(file[at + 1]->isSeparator());

    QStringList rows;
    QString status;
    dialogs.onExec = [&](QDialog& shown) {
        auto& dialog = dynamic_cast<JournalDialog&>(shown);
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("操作记录"));
        rows = rowsOf(dialog);
        status = dialog.JournalStatus->text();
        return 0;
    };
    item->trigger();
    EXPECT_TRUE(rows.isEmpty());
    EXPECT_TRUE(status.contains(QStringLiteral("还没有操作记录"))) << status.toStdString();

    click(box(0, 1));
    click(box(2, 0));
    ASSERT_TRUE(session->setOutputName("127.0.0.2", 0, "主屏"));
    ASSERT_TRUE(session->routeOutput("127.0.0.2", 2, -1));
    item->trigger();
    EXPECT_EQ(rows, QStringList({QStringLiteral("127.0.0.2 / 关闭输出 / 输出3：输入1 → 关闭"),
                                 QStringLiteral("127.0.0.2 / 命名 / "),
                                 QStringLiteral("本机操作台 / 切换 / 输出3：未知 → 输入1"),
                                 QStringLiteral("本机操作台 / 切换 / 输出1：未知 → 输入2")}));

    // Output 1's steps; a refresh reads the new ones and keeps the filter.
    // Each step keeps the name the output had then.
    dialogs.onExec = [&](QDialog& shown) {
        auto& dialog = dynamic_cast<JournalDialog&>(shown);
        EXPECT_EQ(dialog.OutputFilter->count(), 5);
        EXPECT_EQ(dialog.OutputFilter->itemText(1), QStringLiteral("1 主屏"));
        dialog.OutputFilter->setCurrentIndex(1);
        EXPECT_EQ(dialog.JournalTable->rowCount(), 2);
        session->routeOutput("127.0.0.3", 0, 3);
        session->setOutputName("127.0.0.3", 0, "副屏");
        session->routeOutput("127.0.0.3", 1, 3);
        dialog.RefreshButton->click();
        EXPECT_EQ(dialog.OutputFilter->currentIndex(), 1);
        EXPECT_EQ(dialog.OutputFilter->itemText(1), QStringLiteral("1 副屏"));
        rows = rowsOf(dialog);
        return 0;
    };
    item->trigger();
    EXPECT_EQ(rows, QStringList({QStringLiteral("127.0.0.3 / 命名 / "),
                                 QStringLiteral("127.0.0.3 / 切换 / 输出1（主屏）：输入2 → 输入4"),
                                 QStringLiteral("127.0.0.2 / 命名 / "),
                                 QStringLiteral("本机操作台 / 切换 / 输出1：未知 → 输入2")}));
}

// Each column is as wide as its header and texts in either language; the
// frames column, which takes the rest, too.
TEST_F(JournalDialogTest, ColumnsFitTheirTextsInBothLanguages) {
    useModel(4, 4);
    open();
    ASSERT_TRUE(session->setOutputName("127.0.0.2", 3, "Main"));
    ASSERT_TRUE(session->routeOutput("127.0.0.2", 3, 2));
    ASSERT_TRUE(session->saveModeAs("127.0.0.2", "Show", false));
    ASSERT_TRUE(session->applyMode("Show", "127.0.0.2").done());
    ASSERT_TRUE(session->lockOutput(MatrixSession::kWindowOwner, 3, LockRequest::Lock));
    for (const Language language : {Language::English, Language::Chinese}) {
        ASSERT_TRUE(installLanguage(*qApp, language));
        JournalDialog dialog(*session);
        dialog.show();
        const QTableWidget& table = *dialog.JournalTable;
        for (int c = JournalDialog::TimeColumn; c <= JournalDialog::FramesColumn; ++c) {
            EXPECT_GE(table.columnWidth(c), table.horizontalHeader()->sectionSizeHint(c)) << c;
            for (int r = 0; r < table.rowCount(); ++r) {
                const QString text = table.item(r, c)->text();
                EXPECT_GE(table.columnWidth(c), table.fontMetrics().horizontalAdvance(text) + 6)
                    << text.toStdString();
            }
        }
    }
    removeLanguage(*qApp);
}

// While open, the dialog follows new steps, keeping its filter and the rows
// the operator scrolled to; at the top, the newest come into view.
TEST_F(JournalDialogTest, FollowsNewStepsKeepingFilterAndPlace) {
    useModel(4, 4);
    open();
    // Rows enough to scroll whatever the fonts make of their height.
    for (int i = 0; i < 160; ++i)
        ASSERT_TRUE(session->routeOutput("127.0.0.2", i % 2, i % 4));
    bool followed = false;
    dialogs.onExec = [&](QDialog& shown) {
        auto& dialog = dynamic_cast<JournalDialog&>(shown);
        dialog.show();
        dialog.OutputFilter->setCurrentIndex(1);  // output 1: 80 steps
        QTableWidget* table = dialog.JournalTable;
        QScrollBar* scroll = table->verticalScrollBar();
        scroll->setValue(10);
        EXPECT_EQ(scroll->value(), 10);
        session->routeOutput("127.0.0.3", 0, 1);
        session->routeOutput("127.0.0.3", 1, 1);
        session->routeOutput("127.0.0.3", 0, 2);
        followed = QTest::qWaitFor([&] { return table->rowCount() == 82; }, 5000);
        EXPECT_EQ(dialog.OutputFilter->currentIndex(), 1);
        EXPECT_EQ(scroll->value(), 12) << "the same rows stay in view";
        scroll->setValue(0);
        session->routeOutput("127.0.0.4", 0, 3);
        EXPECT_TRUE(QTest::qWaitFor([&] { return table->rowCount() == 83; }, 5000));
        EXPECT_EQ(scroll->value(), 0);
        EXPECT_EQ(table->item(0, JournalDialog::OriginColumn)->text(), QStringLiteral("127.0.0.4"));
        return 0;
    };
    form->JournalItemClick();
    EXPECT_TRUE(followed);
}

TEST(JournalText, ShowsEveryPartOneBasedWithTheNamesKeptAndFiltersByOutput) {
    JournalEntry entry;
    entry.action = "take";
    entry.changes = {{2, 1, -1, "video", "主屏", "", "摄像机", {}, "unknown", "", {}},
                     {0, -1, 4, "video", "", "cycle", "", {1, 2}, "", "", {}},
                     {1, -1, -1, "", "", "closed", "", {}, "", "", {}}};  // `to` of an older line
    entry.frames = {{0xEB, 0x52, 0x02, 0x0A}, {0x5B}};
    EXPECT_EQ(journalChangesText(entry),
              QStringLiteral("输出3（主屏）：输入2（摄像机） → 未知；输出1：循环 2、3 → 输入5；"
                             "输出2：关闭 → —"));
    EXPECT_TRUE(journalShowsDash(entry));
    EXPECT_EQ(journalFramesText(entry), QStringLiteral("EB 52 02 0A | 5B"));
    EXPECT_TRUE(journalConcernsOutput(entry, 0));
    EXPECT_FALSE(journalConcernsOutput(entry, 3));
    entry.action = "close";
    EXPECT_TRUE(journalChangesText(entry).endsWith(QStringLiteral("输出2：关闭 → 关闭")));
    EXPECT_FALSE(journalShowsDash(entry));

    EXPECT_EQ(journalActionText("force-unlock"), QStringLiteral("强制解锁"));
    EXPECT_EQ(journalActionText("status-file"), QStringLiteral("读入数据"));
    EXPECT_EQ(journalActionText("jump"), QStringLiteral("jump"));

    // Details; a label's port is an input or an output as its kind says, a
    // lock's output has the name it had.
    auto details = [&](const char* action, std::optional<std::int32_t> port,
                       std::optional<std::string> text, bool concernsPort,
                       const char* kindOrName = "") {
        JournalEntry step;
        step.action = action;
        step.port = port;
        step.text = std::move(text);
        (step.action == "label" ? step.kind.emplace() : step.portName) = kindOrName;
        EXPECT_EQ(journalConcernsOutput(step, port.value_or(0)), concernsPort) << action;
        return journalDetailsText(step);
    };
    EXPECT_EQ(details("label", 1, "摄像机", false, "input"),
              QStringLiteral("输入2 命名为“摄像机”"));
    EXPECT_EQ(details("label", 0, "", true, "output"), QStringLiteral("输出1 名称清除"));
    EXPECT_EQ(details("force-unlock", 2, std::nullopt, true, "主屏"),
              QStringLiteral("输出3（主屏）"));
    EXPECT_EQ(details("layer", std::nullopt, "2", false), QStringLiteral("音频控制"));
    EXPECT_EQ(details("resend", std::nullopt, "串口已重新连接", false),
              QStringLiteral("串口已重新连接"));
    EXPECT_EQ(details("jump", 4, "x", false), QStringLiteral("端口5；x"));
    entry.mode = "晚会";
    EXPECT_TRUE(journalDetailsText(entry).startsWith(QStringLiteral("模式：晚会")));

    const std::vector<std::string> outputs{"", "", "主屏"};
    EXPECT_EQ(journalOutputItem(2, outputs), QStringLiteral("3 主屏"));
    EXPECT_EQ(journalOutputItem(1, outputs), QStringLiteral("输出2"));
    const QDateTime local(QDate(2026, 12, 9), QTime(12, 20, 21, 123));
    EXPECT_EQ(journalTimeText(std::chrono::system_clock::time_point(
                  std::chrono::milliseconds(local.toMSecsSinceEpoch()))),
              QStringLiteral("2026-12-09 12:20:21.123"));
}

TEST(JournalText, ReadingSaysWhetherThereIsNoJournalOrWhyItCannotBeRead) {
    ProgramFolder folder;
    const std::string dir = folder.paths.configDir();
    JournalRead read = readJournal(dir, 10);
    EXPECT_TRUE(read.missing);
    EXPECT_TRUE(read.error.isEmpty());
    std::filesystem::create_directory(dir + "/" + Journal::kFileName);
    read = readJournal(dir, 10);
    EXPECT_FALSE(read.missing);
    EXPECT_TRUE(read.error.contains(QString::fromLatin1(Journal::kFileName)))
        << read.error.toStdString();
}

}  // namespace
}  // namespace mc::test
