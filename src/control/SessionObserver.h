#pragma once

// How MatrixSession talks to what sits on top of it (the control window, the
// network server): observers it reports every change to, and the questions it
// asks the operator.

#include <cstdint>
#include <optional>
#include <string>

namespace mc {

// Told of every change of the session, on the user-interface thread, after the
// change is complete (the state is consistent when a callback reads it). A
// callback must not attach or detach observers; it may read the session but
// should not start operations of its own. Defaults do nothing.
class ISessionObserver {
public:
    virtual ~ISessionObserver() = default;

    // The cells of output `output` changed (a click, a route request, the
    // empty-output rule).
    virtual void outputChanged(std::int32_t output) { (void)output; }
    // Many cells, the page, the name lists or the labels changed at once (a
    // status file, a mode, a new mode, paging): every view may differ.
    virtual void gridChanged() {}
    // The name of one port changed (its field, a label request).
    virtual void inputNameChanged(std::int32_t input) { (void)input; }
    virtual void outputNameChanged(std::int32_t output) { (void)output; }
    // The lock of an output was taken, released or broken.
    virtual void lockChanged(std::int32_t output) { (void)output; }
    // The layer buttons' state (layer()) changed.
    virtual void layerChanged() {}
    // The port's device, speed or state, or the queue's figures (portStatus()).
    virtual void portStatusChanged() {}
    // The session's note for the status bar (note()) changed.
    virtual void noteChanged() {}
    // The matrix-mode list may have changed (a save, a delete, Apply).
    virtual void modeListChanged() {}
    // A new build: counts, addresses, names, page and locks are new; every
    // view must be made again. Also sent once after start().
    virtual void rebuilt() {}
};

// Questions the session asks the operator. The window answers them with
// dialogs; a program without a window answers them without asking.
class ISessionPrompts {
public:
    virtual ~ISessionPrompts() = default;
    // The port could not be opened: the error box with the single button
    // "&Ignore". True when it was closed with that button.
    virtual bool ignorePortError(const std::string& text, const std::string& detail) = 0;
    // An error ended an operation (a file that cannot be written, a malformed
    // mode file).
    virtual void showError(const std::string& text) = 0;
    // A plain message with an OK button.
    virtual void showMessage(const std::string& text) = 0;
    // The name of a new matrix mode; nullopt or "" when the operator gave none.
    virtual std::optional<std::string> askModeName() = 0;
};

}  // namespace mc
