#include "ui/JournalDialog.h"

#include <QComboBox>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <vector>

#include "control/MatrixSession.h"
#include "ui/MatrixFormSupport.h"

namespace mc {

namespace {

// The filter item that shows every entry.
constexpr int kAllOutputs = -1;

}  // namespace

JournalDialog::JournalDialog(const MatrixSession& session, QWidget* parent)
    : QDialog(parent), m_session(session) {
    setObjectName(QStringLiteral("JournalDialog"));
    setWindowTitle(tr("操作记录"));
    setModal(true);

    auto* filterLabel = new QLabel(tr("显示："), this);
    OutputFilter = new QComboBox(this);
    OutputFilter->setObjectName(QStringLiteral("OutputFilter"));
    OutputFilter->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    OutputFilter->setToolTip(tr("只显示与所选输出有关的操作"));
    filterLabel->setBuddy(OutputFilter);

    JournalTable = new QTableWidget(0, 6, this);
    JournalTable->setObjectName(QStringLiteral("JournalTable"));
    JournalTable->setHorizontalHeaderLabels(
        {tr("时间"), tr("来源"), tr("操作"), tr("切换"), tr("内容"), tr("发送的帧")});
    JournalTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    JournalTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    JournalTable->setAlternatingRowColors(true);
    JournalTable->setWordWrap(false);
    JournalTable->verticalHeader()->hide();
    JournalTable->verticalHeader()->setDefaultSectionSize(JournalTable->fontMetrics().height() + 8);
    JournalTable->horizontalHeader()->setStretchLastSection(true);
    const int tableWidth = fitColumns();

    JournalStatus = new QLabel(this);
    JournalStatus->setObjectName(QStringLiteral("JournalStatus"));
    JournalStatus->setWordWrap(true);

    RefreshButton = new QPushButton(tr("刷新"), this);
    RefreshButton->setObjectName(QStringLiteral("RefreshButton"));
    RefreshButton->setToolTip(tr("重新读取操作记录"));
    RefreshButton->setAutoDefault(false);
    CloseButton = new QPushButton(tr("关闭"), this);
    CloseButton->setObjectName(QStringLiteral("CloseButton"));
    CloseButton->setDefault(true);

    auto* top = new QHBoxLayout;
    top->addWidget(filterLabel);
    top->addWidget(OutputFilter);
    top->addStretch();
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(JournalStatus, 1);
    bottom->addWidget(RefreshButton);
    bottom->addWidget(CloseButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(JournalTable, 1);
    layout->addLayout(bottom);
    const QMargins margins = layout->contentsMargins();
    resize(std::max(1000, tableWidth + margins.left() + margins.right()), 560);

    connect(OutputFilter, &QComboBox::currentIndexChanged, this, [this] { OutputFilterChange(); });
    connect(RefreshButton, &QPushButton::clicked, this, [this] { RefreshButtonClick(); });
    connect(CloseButton, &QPushButton::clicked, this, &QDialog::accept);
    m_followTimer = new QTimer(this);
    m_followTimer->setSingleShot(true);
    m_followTimer->setInterval(kFollowDelay);
    connect(m_followTimer, &QTimer::timeout, this, [this] { followJournal(); });

    RefreshButtonClick();
}

int JournalDialog::fitColumns() {
    // A sample of the longer texts of each column: a change to and from
    // named ports and a cycle, a name given, a frame.
    JournalEntry sample;
    sample.action = journal::kLabel;
    sample.kind = journal::kInputPort;
    sample.port = 11;
    sample.text = tr("摄像机").toStdString();
    JournalChange& change = sample.changes.emplace_back();
    change.output = 11;
    change.outputName = tr("主屏").toStdString();
    change.to = 9;
    change.toName = *sample.text;
    change.fromKind = journal::kCycle;
    change.fromInputs = {9, 10};
    const QStringList samples[] = {
        {QStringLiteral("2026-12-09 12:20:21.123")},
        {QStringLiteral("255.255.255.255"), ownerText(journal::kLocalOrigin)},
        journalActionTexts(),
        {journalChangesText(sample)},
        {journalDetailsText(sample)},
        {QStringLiteral("EB 52 02 02 01 02 59")}};
    const QFontMetrics metrics(JournalTable->font());
    const int pad = 2 * metrics.averageCharWidth() + 8;
    QHeaderView* header = JournalTable->horizontalHeader();
    int total =
        JournalTable->frameWidth() * 2 + JournalTable->verticalScrollBar()->sizeHint().width();
    for (int column = TimeColumn; column <= FramesColumn; ++column) {
        int width = header->sectionSizeHint(column);
        for (const QString& text : samples[column])
            width = std::max(width, metrics.horizontalAdvance(text) + pad);
        if (column < FramesColumn) JournalTable->setColumnWidth(column, width);
        total += width;
    }
    return total;
}

void JournalDialog::RefreshButtonClick() {
    m_outputNames =
        m_session.hasState() ? m_session.state().OutputNames() : std::vector<std::string>();
    m_read = readJournal(m_session.paths().configDir(), kEntries);
    fillFilter();
    OutputFilterChange();
}

void JournalDialog::followSession() {
    if (!m_followTimer->isActive()) m_followTimer->start();
}

void JournalDialog::followJournal() {
    // The newest steps come first: rows added above the ones in view move
    // them down, so the view moves with them unless it is at the top.
    QScrollBar* scroll = JournalTable->verticalScrollBar();
    const int position = scroll->value();
    const int rowsBefore = JournalTable->rowCount();
    RefreshButtonClick();
    if (position == 0) return;
    JournalTable->doItemsLayout();  // the scroll range of the new rows
    scroll->setValue(position + JournalTable->rowCount() - rowsBefore);
}

void JournalDialog::fillFilter() {
    const int chosen =
        OutputFilter->count() > 0 ? OutputFilter->currentData().toInt() : kAllOutputs;
    const int outputs = m_session.hasState() ? m_session.state().MatrixOutputNum() : 0;
    const QSignalBlocker blocker(OutputFilter);
    OutputFilter->clear();
    OutputFilter->addItem(tr("全部输出"), kAllOutputs);
    for (int o = 0; o < outputs; ++o)
        OutputFilter->addItem(journalOutputItem(o, m_outputNames), o);
    OutputFilter->setCurrentIndex(std::max(0, OutputFilter->findData(chosen)));
}

void JournalDialog::OutputFilterChange() {
    const int output = OutputFilter->currentData().toInt();
    std::vector<const JournalEntry*> shown;
    bool dash = false;
    for (const JournalEntry& entry : m_read.entries) {
        if (output != kAllOutputs && !journalConcernsOutput(entry, output)) continue;
        shown.push_back(&entry);
        dash = dash || journalShowsDash(entry);
    }

    JournalTable->setUpdatesEnabled(false);
    JournalTable->clearContents();
    JournalTable->setRowCount(static_cast<int>(shown.size()));
    for (int row = 0; row < static_cast<int>(shown.size()); ++row) {
        const JournalEntry& entry = *shown[static_cast<std::size_t>(row)];
        const QString texts[] = {journalTimeText(entry.time),     ownerText(entry.origin),
                                 journalActionText(entry.action), journalChangesText(entry),
                                 journalDetailsText(entry),       journalFramesText(entry)};
        for (int column = TimeColumn; column <= FramesColumn; ++column) {
            auto* item = new QTableWidgetItem(texts[column]);
            if (column >= ChangesColumn) item->setToolTip(texts[column]);
            JournalTable->setItem(row, column, item);
        }
    }
    JournalTable->setUpdatesEnabled(true);

    QString status;
    if (m_read.missing) {
        status = tr("还没有操作记录：%1 尚不存在")
                     .arg(pathToQ(m_session.paths().configFile(Journal::kFileName)));
    } else if (m_read.entries.empty() && m_read.error.isEmpty()) {
        status = tr("操作记录中没有可读的条目");
    } else if (!m_read.entries.empty()) {
        status = output == kAllOutputs ? tr("最近 %1 条操作，最新的在最上面").arg(shown.size())
                                       : tr("最近 %1 条操作中有 %2 条与“%3”有关")
                                             .arg(m_read.entries.size())
                                             .arg(shown.size())
                                             .arg(OutputFilter->currentText());
        if (dash) status += tr("。“—”：较早的记录未区分关闭、未知和循环");
    }
    if (!m_read.error.isEmpty())
        status = status.isEmpty() ? m_read.error : tr("%1；%2").arg(m_read.error, status);
    JournalStatus->setText(status);
}

}  // namespace mc
