// Paging of the grid and the views of its controls. Paging moves the offsets
// by whole pages and sets the buttons; everything a control shows is derived
// from the state here, so paging never needs to touch a cell.

#include <string>

#include "control/CrosspointState.h"

namespace mc {

namespace {

const std::string kCloseBoxCaption = "输出";
const std::string kCloseBoxHint = "关闭或打开输出端口";
const std::string kCloseLabel = "关闭";
const std::string kPagedCloseLabel = "关闭 ";

}  // namespace

void CrosspointState::resetPagingButtons() {
    const bool columnsPaged = m_inputs > kColumnPageSize;
    const bool rowsPaged = m_outputs > kRowPageSize;
    m_buttons.left = ButtonState{columnsPaged, false};
    m_buttons.right = ButtonState{columnsPaged, columnsPaged};
    m_buttons.up = ButtonState{rowsPaged, false};
    m_buttons.down = ButtonState{rowsPaged, rowsPaged};
}

void CrosspointState::returnToFirstPage() {
    m_rowOffset = 0;
    m_columnOffset = 0;
    resetPagingButtons();
    m_labelStyle = LabelStyle::FirstPage;
}

bool CrosspointState::UpBitBtnClick() {
    if (!m_buttons.up.visible || !m_buttons.up.enabled) return false;
    m_rowOffset -= visibleRows();
    if (m_rowOffset < 1) m_rowOffset = 0;
    if (m_rowOffset == 0) m_buttons.up.enabled = false;
    m_buttons.down.enabled = true;
    return true;
}

bool CrosspointState::DownBitBtnClick() {
    if (!m_buttons.down.visible || !m_buttons.down.enabled) return false;
    m_rowOffset += visibleRows();
    if (m_rowOffset >= m_outputs - visibleRows()) m_buttons.down.enabled = false;
    m_buttons.up.enabled = true;
    return true;
}

bool CrosspointState::LeftBitBtnClick() {
    if (!m_buttons.left.visible || !m_buttons.left.enabled) return false;
    m_columnOffset -= visibleColumns();
    if (m_columnOffset < 1) m_columnOffset = 0;
    if (m_columnOffset == 0) m_buttons.left.enabled = false;
    m_buttons.right.enabled = true;
    m_labelStyle = LabelStyle::Paged;
    return true;
}

bool CrosspointState::RightBitBtnClick() {
    if (!m_buttons.right.visible || !m_buttons.right.enabled) return false;
    m_columnOffset += visibleColumns();
    if (m_columnOffset >= m_inputs - visibleColumns()) m_buttons.right.enabled = false;
    m_buttons.left.enabled = true;
    m_labelStyle = LabelStyle::Paged;
    return true;
}

std::string CrosspointState::inputText(std::int32_t i) const {
    if (i >= 0 && i < m_inputs && !m_inputNames[static_cast<std::size_t>(i)].empty()) {
        return m_inputNames[static_cast<std::size_t>(i)];
    }
    return std::to_string(i + 1);
}

std::string CrosspointState::outputText(std::int32_t o) const {
    if (o >= 0 && o < m_outputs && !m_outputNames[static_cast<std::size_t>(o)].empty()) {
        return m_outputNames[static_cast<std::size_t>(o)];
    }
    return std::to_string(o + 1);
}

BoxView CrosspointState::box(std::int32_t r, std::int32_t c) const {
    BoxView view;
    if (!boxShown(r, c)) return view;
    const std::int32_t o = m_rowOffset + r;
    view.visible = true;
    view.enabled = true;
    if (c == closeColumn()) {
        view.checked = m_selected[index(o, m_inputs)] != 0;
        view.caption = kCloseBoxCaption + std::to_string(o + 1);
        view.hint = kCloseBoxHint + outputText(o);
    } else {
        const std::int32_t i = m_columnOffset + c;
        view.checked = m_selected[index(o, i)] != 0;
        view.hint = inputText(i) + " => " + outputText(o);
    }
    return view;
}

LabelView CrosspointState::label(std::int32_t c) const {
    LabelView view;
    const std::int32_t last = visibleColumns();
    if (c < 0 || c > last) return view;
    switch (m_labelStyle) {
        case LabelStyle::Created:
            view.caption = c == last ? kCloseLabel : c == 0 ? " 1 " : std::to_string(c + 1);
            break;
        case LabelStyle::FirstPage:
            view.caption = c == last ? kCloseLabel : std::to_string(c + 1);
            break;
        case LabelStyle::Paged: {
            const std::int32_t i = m_columnOffset + c;
            if (i > m_inputs) return view;
            view.caption = (i == m_inputs || c == last) ? kPagedCloseLabel : std::to_string(i + 1);
            break;
        }
    }
    view.visible = true;
    view.enabled = true;
    return view;
}

NameFieldView CrosspointState::inputField(std::int32_t c) const {
    NameFieldView view;
    if (c < 0 || c >= visibleColumns() || m_columnOffset + c >= m_inputs) return view;
    view.visible = true;
    if (MatrixInputEditEnable) {
        view.text = m_inputNames[static_cast<std::size_t>(m_columnOffset + c)];
        view.hint = view.text;
    }
    return view;
}

NameFieldView CrosspointState::outputField(std::int32_t r) const {
    NameFieldView view;
    if (r < 0 || r >= visibleRows() || m_rowOffset + r >= m_outputs) return view;
    view.visible = true;
    if (MatrixOutputEditEnable) {
        view.text = m_outputNames[static_cast<std::size_t>(m_rowOffset + r)];
        view.hint = view.text;
    }
    return view;
}

}  // namespace mc
