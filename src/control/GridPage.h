#pragma once

// GridPage: the page of the crosspoint grid that one view (the control
// window) shows, and what each of its controls shows. The session knows ports
// only and never holds a page: screen positions live here, in an object the
// window owns, one per build (it makes a new one whenever the session is
// rebuilt). The window sets every grid widget from these views (ticks with the
// box's click handler suspended, texts with the field's change handler
// suspended) and keeps nothing else itself.
//
// Geometry: visible rows = min(MatrixOutputNum, 16), visible columns =
// min(MatrixInputNum, 16). The grid has visible rows × (visible columns + 1)
// boxes; box [r][c] shows output RowOffset + r. Column c shows input
// ColumnOffset + c, except the close column closeColumn() =
// min(visible columns, MatrixInputNum - ColumnOffset), whose box is the close
// box of the row's output. Boxes right of the close column and rows beyond the
// last output (last, partial pages) are hidden.
//
// Paging moves the offsets by whole pages and sets the buttons; it never
// touches a cell.

#include <cstdint>
#include <optional>
#include <string>

#include "control/CrosspointState.h"

namespace mc {

// Rows and columns of one page of the grid.
inline constexpr std::int32_t kRowPageSize = 16;
inline constexpr std::int32_t kColumnPageSize = 16;

// One check box of the grid, GridBoxes[r][c].
struct BoxView {
    bool visible = false;
    bool enabled = false;
    bool checked = false;
    std::string caption;  // "输出" + (o + 1) for a close box, else empty
    std::string hint;     // tooltip; empty for a hidden box
};

// One column label above the grid, ColumnLabels[c].
struct LabelView {
    bool visible = false;
    bool enabled = false;
    std::string caption;
};

// One input or output name field.
struct NameFieldView {
    bool visible = false;  // false for a field beyond the last input or output
    std::string text;      // the name when the list is in use, else empty
    std::string hint;      // tooltip: the same text
};

// One paging button (UpBitBtn, DownBitBtn, LeftBitBtn, RightBitBtn).
struct ButtonState {
    bool visible = false;
    bool enabled = false;

    bool operator==(const ButtonState&) const = default;
};

struct PagingButtons {
    ButtonState up;
    ButtonState down;
    ButtonState left;
    ButtonState right;

    bool operator==(const PagingButtons&) const = default;
};

// A grid box as a port cell: output o, cell k (an input, or MatrixInputNum for
// the output's close box).
struct GridCell {
    std::int32_t output = 0;
    std::int32_t cell = 0;
};

class GridPage {
public:
    // The first page of `state`, its labels as the window's creation captions
    // them, the paging buttons as resetPagingButtons leaves them.
    // REQUIRES: state outlives the page.
    explicit GridPage(const CrosspointState& state);

    std::int32_t RowOffset() const { return m_rowOffset; }
    std::int32_t ColumnOffset() const { return m_columnOffset; }
    std::int32_t visibleRows() const;
    std::int32_t visibleColumns() const;
    std::int32_t closeColumn() const;

    // --- Screen positions and ports ----------------------------------------
    // The cell box [r][c] stands for; nothing for a hidden box or one outside
    // the grid.
    std::optional<GridCell> cellAt(std::int32_t r, std::int32_t c) const;
    // The output of row r / the input of name field c; nothing when hidden.
    std::optional<std::int32_t> outputAt(std::int32_t r) const;
    std::optional<std::int32_t> inputAt(std::int32_t c) const;
    // The row showing output o / the column showing input i; nothing when it
    // is on another page.
    std::optional<std::int32_t> rowOf(std::int32_t output) const;
    std::optional<std::int32_t> columnOf(std::int32_t input) const;

    // --- Paging ------------------------------------------------------------
    // Move one page. A click on a button that is hidden or disabled does
    // nothing and returns false.
    bool UpBitBtnClick();
    bool DownBitBtnClick();
    bool LeftBitBtnClick();
    bool RightBitBtnClick();
    const PagingButtons& pagingButtons() const { return m_buttons; }
    // Up/Down shown when there are more than 16 outputs, Left/Right when more
    // than 16 inputs; Up and Left disabled, Down and Right enabled; hidden
    // buttons disabled.
    void resetPagingButtons();
    // Offsets 0, buttons reset, column labels "1".."N" and "关闭".
    void returnToFirstPage();

    // --- Views ---------------------------------------------------------------
    // REQUIRES for every view: 0 <= r < visibleRows(), 0 <= c <= visibleColumns()
    // (labelCount() labels, visibleColumns() input fields, visibleRows() output
    // fields); out of range gives a hidden view.
    BoxView box(std::int32_t r, std::int32_t c) const;
    std::int32_t labelCount() const { return visibleColumns() + 1; }
    LabelView label(std::int32_t c) const;
    NameFieldView inputField(std::int32_t c) const;
    NameFieldView outputField(std::int32_t r) const;

private:
    enum class LabelStyle { Created, Paged, FirstPage };

    bool boxShown(std::int32_t r, std::int32_t c) const;

    const CrosspointState& m_state;
    std::int32_t m_rowOffset = 0;
    std::int32_t m_columnOffset = 0;
    PagingButtons m_buttons;
    LabelStyle m_labelStyle = LabelStyle::Created;
};

}  // namespace mc
