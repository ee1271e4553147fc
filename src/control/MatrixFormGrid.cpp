// TMatrixForm: the grid's controls. They mirror the crosspoint state: every
// handler makes one call into the state and then sets the affected controls
// from the state's views. Ticks are set with the box's signals blocked and
// name texts with the field's signals blocked, so that bringing a control in
// line with the state never runs a handler.

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <algorithm>

#include "control/MatrixFormSupport.h"
#include "control/QXRMainControl.h"

namespace mc {

namespace {

constexpr int kNameFieldWidth = 50;  // W of the layout
constexpr int kNameMaxLength = 16;   // characters of a port name
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
    field->setMaxLength(kNameMaxLength);
    field->resize(width, height);
    return field;
}

}  // namespace

void TMatrixForm::createGrid() {
    const CrosspointState& state = *m_state;
    const std::int32_t rows = state.visibleRows();
    const std::int32_t columns = state.visibleColumns();
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
        OutputNameEdits[static_cast<std::size_t>(r)] = field;
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
            row[static_cast<std::size_t>(c)] = box;
        }
    }
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
}

void TMatrixForm::refreshGrid() {
    if (!m_state) return;
    applyLabels();
    for (std::size_t r = 0; r < GridBoxes.size(); ++r)
        applyRow(static_cast<std::int32_t>(r));
    applyNameFields();
    applyPagingButtons();
}

void TMatrixForm::applyBox(std::int32_t r, std::int32_t c) {
    QCheckBox* box = GridBoxes[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)];
    const BoxView view = m_state->box(r, c);
    {
        const QSignalBlocker blocker(box);
        if (box->isChecked() != view.checked) box->setChecked(view.checked);
    }
    box->setText(toQ(view.caption));
    setHint(box, toQ(view.hint));
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
        const LabelView view = m_state->label(static_cast<std::int32_t>(c));
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
            if (field->text() != text) field->setText(text);
        }
        setHint(field, toQ(view.hint));
        field->setVisible(view.visible);
    };
    for (std::size_t c = 0; c < InputNameEdits.size(); ++c) {
        apply(InputNameEdits[c], m_state->inputField(static_cast<std::int32_t>(c)));
    }
    for (std::size_t r = 0; r < OutputNameEdits.size(); ++r) {
        apply(OutputNameEdits[r], m_state->outputField(static_cast<std::int32_t>(r)));
    }
}

void TMatrixForm::applyPagingButtons() {
    const PagingButtons& buttons = m_state->pagingButtons();
    auto apply = [](QPushButton* button, const ButtonState& state) {
        button->setEnabled(state.enabled);
        button->setVisible(state.visible);
    };
    apply(UpBitBtn, buttons.up);
    apply(DownBitBtn, buttons.down);
    apply(LeftBitBtn, buttons.left);
    apply(RightBitBtn, buttons.right);
}

void TMatrixForm::CheckBoxClick(std::int32_t screenRow, std::int32_t screenColumn) {
    if (!m_state || screenRow < 0 || screenRow >= static_cast<std::int32_t>(GridBoxes.size())) {
        return;
    }
    const auto& row = GridBoxes[static_cast<std::size_t>(screenRow)];
    if (screenColumn < 0 || screenColumn >= static_cast<std::int32_t>(row.size())) return;
    const bool ticked = row[static_cast<std::size_t>(screenColumn)]->isChecked();
    m_state->CheckBoxClick(screenRow, screenColumn, ticked);
    applyRow(screenRow);
}

void TMatrixForm::UpBitBtnClick() {
    if (m_state && m_state->UpBitBtnClick()) refreshGrid();
}

void TMatrixForm::DownBitBtnClick() {
    if (m_state && m_state->DownBitBtnClick()) refreshGrid();
}

void TMatrixForm::LeftBitBtnClick() {
    if (m_state && m_state->LeftBitBtnClick()) refreshGrid();
}

void TMatrixForm::RightBitBtnClick() {
    if (m_state && m_state->RightBitBtnClick()) refreshGrid();
}

void TMatrixForm::InputStringEditChange(std::int32_t column) {
    if (!m_state || column < 0 || column >= static_cast<std::int32_t>(InputNameEdits.size())) {
        return;
    }
    QLineEdit* field = InputNameEdits[static_cast<std::size_t>(column)];
    const auto tooltip = m_state->inputNameEdited(column, fromQ(field->text()));
    if (!tooltip) return;
    setHint(field, toQ(*tooltip));
    applyColumnHints(column);
}

void TMatrixForm::OutputStringEditChange(std::int32_t row) {
    if (!m_state || row < 0 || row >= static_cast<std::int32_t>(OutputNameEdits.size())) return;
    QLineEdit* field = OutputNameEdits[static_cast<std::size_t>(row)];
    const auto tooltip = m_state->outputNameEdited(row, fromQ(field->text()));
    if (!tooltip) return;
    setHint(field, toQ(*tooltip));
    applyRow(row);
}

}  // namespace mc
