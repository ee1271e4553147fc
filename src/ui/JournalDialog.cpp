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
    const QFontMetrics metrics(JournalTable->font());
    const int pad = 2 * metrics.averageCharWidth() + 8;
    auto width = [&](const QString& sample) { return metrics.horizontalAdvance(sample) + pad; };
    JournalTable->setColumnWidth(TimeColumn, width(QStringLiteral("2026-12-09 12:20:21.123")));
    JournalTable->setColumnWidth(OriginColumn, width(QStringLiteral("255.255.255.255")));
    JournalTable->setColumnWidth(ActionColumn, width(journalActionText(journal::kForceUnlock)));
    JournalTable->setColumnWidth(ChangesColumn,
                                 width(tr("输出12（主屏）：输入10（摄像机） → 输入11")));
    JournalTable->setColumnWidth(DetailsColumn, width(tr("输入12 命名为“摄像机”")));

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
    resize(1000, 560);

    connect(OutputFilter, &QComboBox::currentIndexChanged, this, [this] { OutputFilterChange(); });
    connect(RefreshButton, &QPushButton::clicked, this, [this] { RefreshButtonClick(); });
    connect(CloseButton, &QPushButton::clicked, this, &QDialog::accept);
    m_followTimer = new QTimer(this);
    m_followTimer->setSingleShot(true);
    m_followTimer->setInterval(kFollowDelay);
    connect(m_followTimer, &QTimer::timeout, this, [this] { followJournal(); });

    RefreshButtonClick();
}

void JournalDialog::RefreshButtonClick() {
    m_names = {};
    if (m_session.hasState()) {
        m_names.inputs = m_session.state().InputNames();
        m_names.outputs = m_session.state().OutputNames();
    }
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
        OutputFilter->addItem(journalOutputItem(o, m_names), o);
    OutputFilter->setCurrentIndex(std::max(0, OutputFilter->findData(chosen)));
}

void JournalDialog::OutputFilterChange() {
    const int output = OutputFilter->currentData().toInt();
    std::vector<const JournalEntry*> shown;
    for (const JournalEntry& entry : m_read.entries)
        if (output == kAllOutputs || journalConcernsOutput(entry, output)) shown.push_back(&entry);

    JournalTable->setUpdatesEnabled(false);
    JournalTable->clearContents();
    JournalTable->setRowCount(static_cast<int>(shown.size()));
    for (int row = 0; row < static_cast<int>(shown.size()); ++row) {
        const JournalEntry& entry = *shown[static_cast<std::size_t>(row)];
        const QString texts[] = {
            journalTimeText(entry.time),        ownerText(entry.origin),
            journalActionText(entry.action),    journalChangesText(entry, m_names),
            journalDetailsText(entry, m_names), journalFramesText(entry)};
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
        status += tr("。“—”表示关闭、尚未切换或循环切换多个输入");
    }
    if (!m_read.error.isEmpty())
        status = status.isEmpty() ? m_read.error : tr("%1；%2").arg(m_read.error, status);
    JournalStatus->setText(status);
}

}  // namespace mc
