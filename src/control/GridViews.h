#pragma once

// What the control window's grid controls show, as CrosspointState derives it.
// The window owns the widgets; after every call into the state it sets each
// widget from these views (ticks with the box's click handler suspended,
// texts with the field's change handler suspended) and keeps nothing itself.

#include <cstdint>
#include <string>

#include "store/SwitchNode.h"

namespace mc {

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
    std::string hint;      // tooltip: the same text (see inputNameEdited for edits)
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

// Outcome of CrosspointState::applyNodes.
struct ApplyResult {
    int applied = 0;  // nodes whose cell was selected and whose frame was queued
    int skipped = 0;  // nodes outside the state: nothing set, nothing queued
    int locked = 0;   // nodes of frozen (locked) outputs: nothing set, nothing queued

    bool operator==(const ApplyResult&) const = default;
};

}  // namespace mc
