// The page of the grid one window shows: offsets, paging buttons, and every
// view derived from the crosspoint state, so paging never needs to touch a
// cell.

#include "control/GridPage.h"

#include <algorithm>
#include <string>

#include "text/Text.h"

namespace mc {

namespace {

const char* const kCloseBoxCaption = MC_TEXT("GridPage", "输出%1");
const char* const kCloseBoxHint = MC_TEXT("GridPage", "关闭或打开输出端口%1");
const char* const kCloseLabel = MC_TEXT("GridPage", "关闭");
const char* const kPagedCloseLabel = MC_TEXT("GridPage", "关闭 ");

}  // namespace

GridPage::GridPage(const CrosspointState& state) : m_state(state) {
    resetPagingButtons();
}

std::int32_t GridPage::visibleRows() const {
    return std::min(m_state.MatrixOutputNum(), kRowPageSize);
}

std::int32_t GridPage::visibleColumns() const {
    return std::min(m_state.MatrixInputNum(), kColumnPageSize);
}

std::int32_t GridPage::closeColumn() const {
    return std::min(visibleColumns(), m_state.MatrixInputNum() - m_columnOffset);
}

bool GridPage::boxShown(std::int32_t r, std::int32_t c) const {
    if (r < 0 || r >= visibleRows() || c < 0 || c > visibleColumns()) return false;
    return m_rowOffset + r < m_state.MatrixOutputNum() &&
           m_columnOffset + c <= m_state.MatrixInputNum();
}

std::optional<GridCell> GridPage::cellAt(std::int32_t r, std::int32_t c) const {
    if (!boxShown(r, c)) return std::nullopt;
    const std::int32_t k = c == closeColumn() ? m_state.MatrixInputNum() : m_columnOffset + c;
    return GridCell{m_rowOffset + r, k};
}

std::optional<std::int32_t> GridPage::outputAt(std::int32_t r) const {
    if (r < 0 || r >= visibleRows() || m_rowOffset + r >= m_state.MatrixOutputNum()) {
        return std::nullopt;
    }
    return m_rowOffset + r;
}

std::optional<std::int32_t> GridPage::inputAt(std::int32_t c) const {
    if (c < 0 || c >= visibleColumns() || m_columnOffset + c >= m_state.MatrixInputNum()) {
        return std::nullopt;
    }
    return m_columnOffset + c;
}

std::optional<std::int32_t> GridPage::rowOf(std::int32_t output) const {
    const std::int32_t r = output - m_rowOffset;
    if (output < 0 || output >= m_state.MatrixOutputNum() || r < 0 || r >= visibleRows()) {
        return std::nullopt;
    }
    return r;
}

std::optional<std::int32_t> GridPage::columnOf(std::int32_t input) const {
    const std::int32_t c = input - m_columnOffset;
    if (input < 0 || input >= m_state.MatrixInputNum() || c < 0 || c >= visibleColumns()) {
        return std::nullopt;
    }
    return c;
}

void GridPage::resetPagingButtons() {
    const bool columnsPaged = m_state.MatrixInputNum() > kColumnPageSize;
    const bool rowsPaged = m_state.MatrixOutputNum() > kRowPageSize;
    m_buttons.left = ButtonState{columnsPaged, false};
    m_buttons.right = ButtonState{columnsPaged, columnsPaged};
    m_buttons.up = ButtonState{rowsPaged, false};
    m_buttons.down = ButtonState{rowsPaged, rowsPaged};
}

void GridPage::returnToFirstPage() {
    m_rowOffset = 0;
    m_columnOffset = 0;
    resetPagingButtons();
    m_labelStyle = LabelStyle::FirstPage;
}

bool GridPage::showOutput(std::int32_t output) {
    if (output < 0 || output >= m_state.MatrixOutputNum()) return false;
    const std::int32_t rows = visibleRows();
    m_rowOffset = output / rows * rows;
    m_buttons.up.enabled = m_buttons.up.visible && m_rowOffset > 0;
    m_buttons.down.enabled =
        m_buttons.down.visible && m_rowOffset < m_state.MatrixOutputNum() - rows;
    return true;
}

bool GridPage::showInput(std::int32_t input) {
    if (input < 0 || input >= m_state.MatrixInputNum()) return false;
    const std::int32_t columns = visibleColumns();
    m_columnOffset = input / columns * columns;
    m_buttons.left.enabled = m_buttons.left.visible && m_columnOffset > 0;
    m_buttons.right.enabled =
        m_buttons.right.visible && m_columnOffset < m_state.MatrixInputNum() - columns;
    m_labelStyle = LabelStyle::Paged;
    return true;
}

GridPage::Span GridPage::outputSpan() const {
    const std::int32_t count = m_state.MatrixOutputNum();
    return Span{m_rowOffset, std::min(m_rowOffset + visibleRows(), count) - 1, count};
}

GridPage::Span GridPage::inputSpan() const {
    const std::int32_t count = m_state.MatrixInputNum();
    return Span{m_columnOffset, std::min(m_columnOffset + visibleColumns(), count) - 1, count};
}

bool GridPage::UpBitBtnClick() {
    if (!m_buttons.up.visible || !m_buttons.up.enabled) return false;
    m_rowOffset -= visibleRows();
    if (m_rowOffset < 1) m_rowOffset = 0;
    if (m_rowOffset == 0) m_buttons.up.enabled = false;
    m_buttons.down.enabled = true;
    return true;
}

bool GridPage::DownBitBtnClick() {
    if (!m_buttons.down.visible || !m_buttons.down.enabled) return false;
    m_rowOffset += visibleRows();
    if (m_rowOffset >= m_state.MatrixOutputNum() - visibleRows()) m_buttons.down.enabled = false;
    m_buttons.up.enabled = true;
    return true;
}

bool GridPage::LeftBitBtnClick() {
    if (!m_buttons.left.visible || !m_buttons.left.enabled) return false;
    m_columnOffset -= visibleColumns();
    if (m_columnOffset < 1) m_columnOffset = 0;
    if (m_columnOffset == 0) m_buttons.left.enabled = false;
    m_buttons.right.enabled = true;
    m_labelStyle = LabelStyle::Paged;
    return true;
}

bool GridPage::RightBitBtnClick() {
    if (!m_buttons.right.visible || !m_buttons.right.enabled) return false;
    m_columnOffset += visibleColumns();
    if (m_columnOffset >= m_state.MatrixInputNum() - visibleColumns()) {
        m_buttons.right.enabled = false;
    }
    m_buttons.left.enabled = true;
    m_labelStyle = LabelStyle::Paged;
    return true;
}

BoxView GridPage::box(std::int32_t r, std::int32_t c) const {
    BoxView view;
    const std::optional<GridCell> cell = cellAt(r, c);
    if (!cell) return view;
    const std::int32_t o = cell->output;
    view.visible = true;
    view.enabled = true;
    view.checked = m_state.selected(o, cell->cell);
    if (cell->cell == m_state.MatrixInputNum()) {
        view.caption =
            formatText(translated("GridPage", kCloseBoxCaption), {std::to_string(o + 1)});
        view.hint = formatText(translated("GridPage", kCloseBoxHint), {m_state.outputText(o)});
    } else {
        view.hint = m_state.inputText(cell->cell) + " => " + m_state.outputText(o);
    }
    return view;
}

LabelView GridPage::label(std::int32_t c) const {
    LabelView view;
    const std::int32_t last = visibleColumns();
    if (c < 0 || c > last) return view;
    switch (m_labelStyle) {
        case LabelStyle::Created:
            view.caption = c == last ? translated("GridPage", kCloseLabel)
                           : c == 0  ? " 1 "
                                     : std::to_string(c + 1);
            break;
        case LabelStyle::FirstPage:
            view.caption = c == last ? translated("GridPage", kCloseLabel) : std::to_string(c + 1);
            break;
        case LabelStyle::Paged: {
            const std::int32_t i = m_columnOffset + c;
            if (i > m_state.MatrixInputNum()) return view;
            view.caption = (i == m_state.MatrixInputNum() || c == last)
                               ? translated("GridPage", kPagedCloseLabel)
                               : std::to_string(i + 1);
            break;
        }
    }
    view.visible = true;
    view.enabled = true;
    return view;
}

NameFieldView GridPage::inputField(std::int32_t c) const {
    NameFieldView view;
    const std::optional<std::int32_t> input = inputAt(c);
    if (!input) return view;
    view.visible = true;
    if (m_state.MatrixInputEditEnable) {
        view.text = m_state.InputNames()[static_cast<std::size_t>(*input)];
        view.hint = view.text;
    }
    return view;
}

NameFieldView GridPage::outputField(std::int32_t r) const {
    NameFieldView view;
    const std::optional<std::int32_t> output = outputAt(r);
    if (!output) return view;
    view.visible = true;
    if (m_state.MatrixOutputEditEnable) {
        view.text = m_state.OutputNames()[static_cast<std::size_t>(*output)];
        view.hint = view.text;
    }
    return view;
}

}  // namespace mc
