// TMatrixForm: finding a port. The finder (PortFinder.h) names the port; the
// window pages its grid there (GridPage::showOutput / showInput) and marks
// the port's row or column for a few seconds. The page labels beside the
// paging buttons say which ports the page shows.

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVariant>

#include "ui/QXRMainControl.h"

namespace mc {

namespace {

const char* const kMarkProperty = "portFound";

void mark(QWidget* widget, bool marked) {
    if (widget->property(kMarkProperty).toBool() == marked) return;
    widget->setProperty(kMarkProperty, marked);
    widget->setStyleSheet(marked ? QStringLiteral("background-color: #ffd966;") : QString());
}

}  // namespace

void TMatrixForm::createFinder() {
    m_finder = new PortFinder(this);
    connect(m_finder, &PortFinder::chosen, this,
            [this](const PortMatch& match) { FoundPortChosen(match); });
    m_markTimer = new QTimer(this);
    m_markTimer->setSingleShot(true);
    connect(m_markTimer, &QTimer::timeout, this, [this] { clearMarks(); });
}

void TMatrixForm::FindPortItemClick() {
    if (!m_session.hasState() || m_closed) return;
    // Over the grid's top right corner, under the tool bar.
    const QWidget* area = centralWidget();
    m_finder->move(area->x() + area->width() - m_finder->width() - 8, area->y() + 4);
    m_finder->open(m_session.state());
}

void TMatrixForm::FoundPortChosen(const PortMatch& match) {
    if (!m_page) return;
    const bool moved =
        match.output ? m_page->showOutput(match.port) : m_page->showInput(match.port);
    if (!moved) return;
    m_markedOutput = match.output ? match.port : -1;
    m_markedInput = match.output ? -1 : match.port;
    m_markTimer->start(kPortMarkTime);
    refreshGrid();
    // The keyboard goes to the port's name field, ready for its name or a
    // context menu.
    QLineEdit* field = nullptr;
    if (match.output) {
        if (const auto r = m_page->rowOf(match.port))
            field = OutputNameEdits[static_cast<std::size_t>(*r)];
    } else if (const auto c = m_page->columnOf(match.port)) {
        field = InputNameEdits[static_cast<std::size_t>(*c)];
    }
    if (field != nullptr) field->setFocus(Qt::OtherFocusReason);
}

void TMatrixForm::clearMarks() {
    m_markedOutput = -1;
    m_markedInput = -1;
    applyMarks();
}

void TMatrixForm::applyMarks() {
    if (!m_page) return;
    const std::int32_t row = m_markedOutput >= 0 ? m_page->rowOf(m_markedOutput).value_or(-1) : -1;
    const std::int32_t column =
        m_markedInput >= 0 ? m_page->columnOf(m_markedInput).value_or(-1) : -1;
    for (std::size_t r = 0; r < GridBoxes.size(); ++r) {
        for (std::size_t c = 0; c < GridBoxes[r].size(); ++c) {
            mark(GridBoxes[r][c],
                 static_cast<std::int32_t>(r) == row || static_cast<std::int32_t>(c) == column);
        }
    }
    for (std::size_t r = 0; r < OutputNameEdits.size(); ++r)
        mark(OutputNameEdits[r], static_cast<std::int32_t>(r) == row);
    for (std::size_t c = 0; c < InputNameEdits.size(); ++c) {
        mark(InputNameEdits[c], static_cast<std::int32_t>(c) == column);
        mark(ColumnLabels[c], static_cast<std::int32_t>(c) == column);
    }
}

void TMatrixForm::applyPageLabels() {
    const GridPage::Span inputs = m_page->inputSpan();
    const GridPage::Span outputs = m_page->outputSpan();
    InputPageLabel->setText(
        tr("输入 %1–%2 / %3").arg(inputs.first + 1).arg(inputs.last + 1).arg(inputs.count));
    OutputPageLabel->setText(
        tr("输出 %1–%2 / %3").arg(outputs.first + 1).arg(outputs.last + 1).arg(outputs.count));
    for (QLabel* label : {InputPageLabel, OutputPageLabel})
        label->adjustSize();
    InputPageLabel->move(LeftBitBtn->x() + LeftBitBtn->width() + 6,
                         LeftBitBtn->y() + (LeftBitBtn->height() - InputPageLabel->height()) / 2);
    OutputPageLabel->move(DownBitBtn->x() - OutputPageLabel->width() - 6,
                          DownBitBtn->y() + (DownBitBtn->height() - OutputPageLabel->height()) / 2);
    InputPageLabel->setVisible(m_page->pagingButtons().left.visible);
    OutputPageLabel->setVisible(m_page->pagingButtons().down.visible);
}

}  // namespace mc
