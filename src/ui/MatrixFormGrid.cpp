// TMatrixForm: the grid's controls. They mirror the crosspoint state: every
// handler makes one call into the session, whose observer callbacks then set
// the affected controls from the state's views. Ticks are set with the box's signals blocked and
// name texts with the field's signals blocked, so that bringing a control in
// line with the state never runs a handler.

#include <QCheckBox>
#include <QContextMenuEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QSignalBlocker>
#include <algorithm>

#include "ui/JournalText.h"
#include "ui/MatrixFormSupport.h"
#include "ui/QXRMainControl.h"

namespace mc {

namespace {

constexpr int kNameFieldWidth = 50;  // W of the layout
constexpr int kLabelHeight = 30;

void setHint(QWidget* widget, const QString& hint) {
    if (widget->toolTip() != hint) widget->setToolTip(hint);
    if (widget->statusTip() != hint) widget->setStatusTip(hint);
}

// The height of a single-line edit field in the window's font; the grid's
// rows use it too.
int nameFieldHeight(QWidget* parent) {
    QLineEdit probe(parent);
    return std::max(21, probe.sizeHint().height());
}

QLineEdit* nameField(QWidget* parent, int width, int height) {
    auto* field = new QLineEdit(parent);
    field->setMaxLength(kPortNameMaxLength);
    field->resize(width, height);
    return field;
}

// A small padlock, drawn once.
QIcon lockIcon() {
    static const QIcon icon = [] {
        QPixmap pixmap(16, 16);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(QColor(0x80, 0x60, 0x00), 2));
        painter.drawArc(QRectF(4.5, 1.5, 7, 9), 0, 180 * 16);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0xC8, 0x96, 0x00));
        painter.drawRoundedRect(QRectF(2.5, 6.5, 11, 8), 1.5, 1.5);
        return QIcon(pixmap);
    }();
    return icon;
}

QString lockHint(const std::string& owner) {
    return TMatrixForm::tr("已被 %1 锁定").arg(ownerText(owner));
}

}  // namespace

void TMatrixForm::createGrid() {
    m_page = std::make_unique<GridPage>(m_session.state());
    const std::int32_t rows = m_page->visibleRows();
    const std::int32_t columns = m_page->visibleColumns();
    const int height = nameFieldHeight(GroupBox);

    InputNameEdits.resize(static_cast<std::size_t>(columns));
    for (std::int32_t c = 0; c < columns; ++c) {
        QLineEdit* field = nameField(InputGroupBox, kNameFieldWidth, height);
        field->setObjectName(QStringLiteral("InputNameEdit%1").arg(c));
        connect(field, &QLineEdit::textChanged, this, [this, c] { InputStringEditChange(c); });
        InputNameEdits[static_cast<std::size_t>(c)] = field;
    }

    OutputNameEdits.resize(static_cast<std::size_t>(rows));
    for (std::int32_t r = 0; r < rows; ++r) {
        QLineEdit* field = nameField(GroupBox, kNameFieldWidth + 6, height);
        field->setObjectName(QStringLiteral("OutputNameEdit%1").arg(r));
        connect(field, &QLineEdit::textChanged, this, [this, r] { OutputStringEditChange(r); });
        field->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(field, &QLineEdit::customContextMenuRequested, this,
                [this, r, field](const QPoint& at) { OutputLockMenu(r, field->mapToGlobal(at)); });
        OutputNameEdits[static_cast<std::size_t>(r)] = field;
    }
    // The lock mark stands beside the output's name field, never over its
    // text.
    OutputLockMarks.resize(static_cast<std::size_t>(rows));
    for (std::int32_t r = 0; r < rows; ++r) {
        auto* mark = new QLabel(GroupBox);
        mark->setObjectName(QStringLiteral("OutputLock%1").arg(r));
        mark->setPixmap(lockIcon().pixmap(16, 16));
        mark->resize(16, 16);
        mark->hide();
        OutputLockMarks[static_cast<std::size_t>(r)] = mark;
    }
    // A name field without the focus shows the start of its name. Leaving it
    // or Enter ends the edit: its journal line is written.
    for (auto* fields : {&InputNameEdits, &OutputNameEdits}) {
        for (QLineEdit* field : *fields) {
            field->installEventFilter(this);
            connect(field, &QLineEdit::editingFinished, this,
                    [this] { m_session.finishNameEdit(); });
        }
    }

    ColumnLabels.resize(static_cast<std::size_t>(columns) + 1);
    for (std::int32_t c = 0; c <= columns; ++c) {
        auto* label = new QLabel(InputGroupBox);
        label->setObjectName(QStringLiteral("ColumnLabel%1").arg(c));
        label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        label->resize(c == columns ? kNameFieldWidth : kNameFieldWidth - 10, kLabelHeight);
        ColumnLabels[static_cast<std::size_t>(c)] = label;
    }

    GridBoxes.assign(static_cast<std::size_t>(rows), {});
    for (std::int32_t r = 0; r < rows; ++r) {
        auto& row = GridBoxes[static_cast<std::size_t>(r)];
        row.resize(static_cast<std::size_t>(columns) + 1);
        for (std::int32_t c = 0; c <= columns; ++c) {
            auto* box = new QCheckBox(GroupBox);
            box->setObjectName(QStringLiteral("GridBox%1_%2").arg(r).arg(c));
            box->resize(c == columns ? kNameFieldWidth + 20 : kNameFieldWidth - 10, height);
            connect(box, &QCheckBox::clicked, this, [this, r, c] { CheckBoxClick(r, c); });
            box->setContextMenuPolicy(Qt::CustomContextMenu);
            connect(box, &QCheckBox::customContextMenuRequested, this,
                    [this, r, box](const QPoint& at) { OutputLockMenu(r, box->mapToGlobal(at)); });
            row[static_cast<std::size_t>(c)] = box;
        }
    }
    createRouteLabels();
    refreshGrid();
}

void TMatrixForm::freeGrid() {
    for (auto& row : GridBoxes) {
        for (QCheckBox* box : row)
            delete box;
    }
    GridBoxes.clear();
    for (QLabel* label : ColumnLabels)
        delete label;
    ColumnLabels.clear();
    for (QLineEdit* field : InputNameEdits)
        delete field;
    InputNameEdits.clear();
    for (QLineEdit* field : OutputNameEdits)
        delete field;
    OutputNameEdits.clear();
    for (QLabel* mark : OutputLockMarks)
        delete mark;
    OutputLockMarks.clear();
    freeRouteLabels();
    m_page.reset();
    m_markedOutput = -1;
    m_markedInput = -1;
}

void TMatrixForm::refreshGrid() {
    if (!m_session.hasState() || !m_page) return;
    applyLabels();
    for (std::size_t r = 0; r < GridBoxes.size(); ++r)
        applyRow(static_cast<std::int32_t>(r));
    applyNameFields();
    applyRouteLabels();
    applyPagingButtons();
    applyMarks();
}

void TMatrixForm::applyBox(std::int32_t r, std::int32_t c) {
    QCheckBox* box = GridBoxes[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)];
    const BoxView view = m_page->box(r, c);
    const std::optional<GridCell> cell = m_page->cellAt(r, c);
    const std::string& owner = cell ? m_session.lockOwner(cell->output) : std::string();
    const QString hint =
        owner.empty() ? toQ(view.hint) : tr("%1（%2）").arg(toQ(view.hint), lockHint(owner));
    // A staged box shows partially checked; the output's current box stays ticked.
    const auto staged = cell ? m_session.staged().find(cell->output) : m_session.staged().end();
    const auto inCycle = [&] {
        const std::vector<std::int32_t> cycle = m_session.stagedCycle();
        return std::find(cycle.begin(), cycle.end(), cell->cell) != cycle.end();
    };
    const bool stagedHere = staged != m_session.staged().end() &&
                            (staged->second == cell->cell || (staged->first == 0 && inCycle()));
    const Qt::CheckState shown = stagedHere     ? Qt::PartiallyChecked
                                 : view.checked ? Qt::Checked
                                                : Qt::Unchecked;
    {
        const QSignalBlocker blocker(box);
        if (box->checkState() != shown) box->setCheckState(shown);
    }
    box->setText(toQ(view.caption));
    setHint(box, hint);
    box->setEnabled(view.enabled);
    box->setVisible(view.visible);
}

void TMatrixForm::applyRow(std::int32_t r) {
    const auto columns = static_cast<std::int32_t>(GridBoxes[static_cast<std::size_t>(r)].size());
    for (std::int32_t c = 0; c < columns; ++c)
        applyBox(r, c);
}

void TMatrixForm::applyColumnHints(std::int32_t c) {
    for (std::size_t r = 0; r < GridBoxes.size(); ++r)
        applyBox(static_cast<std::int32_t>(r), c);
}

void TMatrixForm::applyLabels() {
    for (std::size_t c = 0; c < ColumnLabels.size(); ++c) {
        const LabelView view = m_page->label(static_cast<std::int32_t>(c));
        QLabel* label = ColumnLabels[c];
        label->setText(toQ(view.caption));
        label->setEnabled(view.enabled);
        label->setVisible(view.visible);
    }
}

void TMatrixForm::applyNameFields() {
    auto apply = [](QLineEdit* field, const NameFieldView& view) {
        {
            const QSignalBlocker blocker(field);
            const QString text = toQ(view.text);
            if (field->text() != text) {
                field->setText(text);
                if (!field->hasFocus()) field->setCursorPosition(0);
            }
        }
        setHint(field, toQ(view.hint));
        field->setVisible(view.visible);
    };
    for (std::size_t c = 0; c < InputNameEdits.size(); ++c)
        apply(InputNameEdits[c], m_page->inputField(static_cast<std::int32_t>(c)));
    for (std::size_t r = 0; r < OutputNameEdits.size(); ++r) {
        const auto row = static_cast<std::int32_t>(r);
        apply(OutputNameEdits[r], m_page->outputField(row));
        const std::optional<std::int32_t> output = m_page->outputAt(row);
        const std::string& owner = output ? m_session.lockOwner(*output) : std::string();
        QLabel* lock = OutputLockMarks[r];
        lock->setVisible(!owner.empty());
        lock->setToolTip(owner.empty() ? QString() : lockHint(owner));
    }
}

void TMatrixForm::applyPagingButtons() {
    const PagingButtons& buttons = m_page->pagingButtons();
    auto apply = [](QPushButton* button, const ButtonState& state) {
        button->setEnabled(state.enabled);
        button->setVisible(state.visible);
    };
    apply(UpBitBtn, buttons.up);
    apply(DownBitBtn, buttons.down);
    apply(LeftBitBtn, buttons.left);
    apply(RightBitBtn, buttons.right);
    applyPageLabels();
}

std::int32_t TMatrixForm::screenRowOf(std::int32_t output) const {
    if (!m_page) return -1;
    return m_page->rowOf(output).value_or(-1);
}

// --- Handlers -------------------------------------------------------------------

void TMatrixForm::CheckBoxClick(std::int32_t screenRow, std::int32_t screenColumn) {
    if (screenRow < 0 || screenRow >= static_cast<std::int32_t>(GridBoxes.size())) return;
    const auto& row = GridBoxes[static_cast<std::size_t>(screenRow)];
    if (screenColumn < 0 || screenColumn >= static_cast<std::int32_t>(row.size())) return;
    const bool ticked = row[static_cast<std::size_t>(screenColumn)]->isChecked();
    if (const std::optional<GridCell> cell = m_page->cellAt(screenRow, screenColumn))
        m_session.clickBox(cell->output, cell->cell, ticked);
    // Also when nothing changed (a refused click, a close box that closes
    // again): the boxes show the state, not the click.
    applyRow(screenRow);
}

void TMatrixForm::UpBitBtnClick() {
    if (m_page && m_page->UpBitBtnClick()) refreshGrid();
}

void TMatrixForm::DownBitBtnClick() {
    if (m_page && m_page->DownBitBtnClick()) refreshGrid();
}

void TMatrixForm::LeftBitBtnClick() {
    if (m_page && m_page->LeftBitBtnClick()) refreshGrid();
}

void TMatrixForm::RightBitBtnClick() {
    if (m_page && m_page->RightBitBtnClick()) refreshGrid();
}

void TMatrixForm::InputStringEditChange(std::int32_t column) {
    if (!m_page || column < 0 || column >= static_cast<std::int32_t>(InputNameEdits.size())) return;
    if (const std::optional<std::int32_t> input = m_page->inputAt(column)) {
        m_session.setInputName(MatrixSession::kWindowOwner, *input,
                               fromQ(InputNameEdits[static_cast<std::size_t>(column)]->text()),
                               NameEntry::Typing);
    }
}

void TMatrixForm::OutputStringEditChange(std::int32_t row) {
    if (!m_page || row < 0 || row >= static_cast<std::int32_t>(OutputNameEdits.size())) return;
    if (const std::optional<std::int32_t> output = m_page->outputAt(row)) {
        m_session.setOutputName(MatrixSession::kWindowOwner, *output,
                                fromQ(OutputNameEdits[static_cast<std::size_t>(row)]->text()),
                                NameEntry::Typing);
    }
}

void TMatrixForm::OutputLockMenu(std::int32_t row, const QPoint& globalPosition) {
    if (!m_page) return;
    const std::optional<std::int32_t> shown = m_page->outputAt(row);
    if (!shown) return;
    const std::int32_t output = *shown;
    const std::string& owner = m_session.lockOwner(output);
    const std::string self = MatrixSession::kWindowOwner;
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("OutputLockMenu"));
    QAction* lock = menu.addAction(tr("锁定输出 %1").arg(output + 1));
    lock->setEnabled(owner.empty());
    QAction* unlock = menu.addAction(tr("解锁输出 %1").arg(output + 1));
    unlock->setEnabled(owner == self);
    QAction* force = menu.addAction(tr("强制解锁（%1）").arg(lockHint(owner)));
    force->setVisible(!owner.empty() && owner != self);
    menu.addSeparator();
    QAction* previous = menu.addAction(tr("返回上一个输入"));
    previous->setObjectName(QStringLiteral("ReturnToPreviousInputItem"));
    previous->setEnabled(m_session.hasPreviousInput(output) && (owner.empty() || owner == self));
    QAction* chosen = menu.exec(globalPosition);
    if (chosen == previous) m_session.returnToPreviousInput(output);
    if (chosen == lock) m_session.lockOutput(self, output, LockRequest::Lock);
    if (chosen == unlock) m_session.lockOutput(self, output, LockRequest::Unlock);
    if (chosen == force) m_session.lockOutput(self, output, LockRequest::ForceUnlock);
}

// --- Session observer ---------------------------------------------------------------

void TMatrixForm::outputChanged(std::int32_t output) {
    const std::int32_t r = screenRowOf(output);
    if (r >= 0) applyRow(r);
}

void TMatrixForm::firstPageShown() {
    if (!m_page) return;
    m_page->returnToFirstPage();
    refreshGrid();
}

void TMatrixForm::inputNameChanged(std::int32_t input, const std::string& text) {
    if (!m_page) return;
    const std::int32_t c = m_page->columnOf(input).value_or(-1);
    if (c < 0 || c >= static_cast<std::int32_t>(InputNameEdits.size())) return;
    applyNameFields();
    // The edited field's hint is the input's text: its name, or its number.
    setHint(InputNameEdits[static_cast<std::size_t>(c)], toQ(text));
    applyColumnHints(c);
}

void TMatrixForm::outputNameChanged(std::int32_t output, const std::string& text) {
    const std::int32_t r = screenRowOf(output);
    if (r < 0) return;
    applyNameFields();
    setHint(OutputNameEdits[static_cast<std::size_t>(r)], toQ(text));
    applyRow(r);
}

void TMatrixForm::lockChanged(std::int32_t output) {
    const std::int32_t r = screenRowOf(output);
    if (r < 0) return;
    applyNameFields();
    applyRow(r);
}

}  // namespace mc
