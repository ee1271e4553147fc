#pragma once

// How MatrixSession talks to what sits on top of it (the control window, the
// network servers): the outcome each request returns, the typed change event
// it sends every observer after each step, and the questions it asks the
// operator.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "control/Line.h"
#include "control/PortStatus.h"

namespace mc {

// Why a request changed nothing.
enum class Refusal {
    None,
    OutOfRange,   // a port, layer or value this matrix does not have
    Locked,       // the output is locked by another owner (detail: that owner)
    Busy,         // the matrix is not built, or another step is still running
    FileError,    // a file could not be read or written (detail: the error's text)
    BadName,      // a port name with a control character
    Unavailable,  // not now: take mode off, a model without layers, nothing staged
    NotFound,     // no matrix mode of that name
    Exists,       // a matrix mode of that name exists (a save that may not overwrite)
    Waiting,      // a route on a layer a client named, aside from the operator's, still waits
};

// What a request of the window or a client came to: done, or refused with
// its reason. Converts to true when done.
struct Outcome {
    Refusal refusal = Refusal::None;
    std::string detail;  // the lock's owner or the file error's text; else ""

    bool done() const { return refusal == Refusal::None; }
    explicit operator bool() const { return done(); }
    static Outcome refused(Refusal why, std::string detail = {}) {
        return Outcome{why, std::move(detail)};
    }
};

// Outcome of loading a status file or a mode.
struct LoadOutcome : Outcome {
    int applied = 0;
    int skipped = 0;  // outside the matrix or unreadable
    int locked = 0;   // nodes of outputs that another owner has locked

    LoadOutcome() = default;
    LoadOutcome(Outcome outcome) : Outcome(std::move(outcome)) {}
};

// The three layer radio buttons as the session wants them shown.
struct LayerView {
    bool enabled = true;
    std::int32_t checked = 0;  // kLayerVideo.., or kLayerNone
    bool operator==(const LayerView&) const = default;
};

// What the device carries on one output and layer changed in one step (see
// Line): the value before the step and after it.
struct RouteChange {
    LineLayer layer = LineLayer::Video;
    std::int32_t output = 0;
    Carried from;
    Carried to;
    bool operator==(const RouteChange&) const = default;
};

// A port whose name changed: its name now ("" none) and the text clients
// show for it (the name, or the one-based number).
struct NameChange {
    std::int32_t port = 0;
    std::string name;
    std::string text;
    bool operator==(const NameChange&) const = default;
};

// An output whose lock was taken, released or broken: its owner now ("" none).
struct LockChange {
    std::int32_t output = 0;
    std::string owner;
    bool operator==(const LockChange&) const = default;
};

// What one step of the session changed, with the values after it. Observers
// bring exactly these parts of their views in line from what the event
// carries; nothing else changed.
struct SessionChange {
    // Who asked: MatrixSession::kWindowOwner, a network client's address, or
    // "" for what the session does by itself (the port, the queue figures).
    std::string origin;
    // What the line carries that changed, in the order of the frames.
    std::vector<RouteChange> routes;
    // Entries restored as last known whose stored value was queued again: the
    // device is now known to carry what they say (their value is unchanged).
    std::vector<std::pair<LineLayer, std::int32_t>> confirmed;
    // Outputs whose tick marks (the operator's selection) changed, in node order.
    std::vector<std::int32_t> selection;
    // Ports whose names changed, in order.
    std::vector<NameChange> inputNames;
    std::vector<NameChange> outputNames;
    std::vector<LockChange> locks;
    // A status file or a mode was loaded (a window that loaded it shows the
    // first page of its grid again).
    bool loaded = false;
    bool nameLists = false;  // a name list came into use: the name fields show its names
    std::optional<LayerView> layer;
    // The device came or went: Open, NotOpen or Lost.
    std::optional<PortState> presence;
    // The port field's whole status: its device, speed, state or the queue's
    // figures changed (the figures at most a few times a second).
    std::optional<PortStatus> port;
    std::optional<std::string> note;         // the note for the status bar
    std::optional<std::string> currentMode;  // the current mode's name ("" none)
    // The matrix-mode list after a save or a delete, in file order.
    std::optional<std::vector<std::string>> modes;
    std::optional<bool> takeMode;
    // What is staged now: per output its input, -1 for its close box.
    std::optional<std::map<std::int32_t, std::int32_t>> staged;
    // A new build: counts, addresses, names, page and locks are new; every
    // view must be made again. Also sent once after start(). Nothing else is
    // set with it.
    bool rebuilt = false;

    bool empty() const {
        return routes.empty() && confirmed.empty() && selection.empty() && inputNames.empty() &&
               outputNames.empty() && locks.empty() && !loaded && !nameLists && !layer &&
               !presence && !port && !note && !currentMode && !modes && !takeMode && !staged &&
               !rebuilt;
    }
};

// Told of every change of the session, once per step, on the user-interface
// thread, after the step is complete (the state is consistent when it reads
// the session). It must not attach or detach observers; it may read the
// session but should not start operations of its own.
class ISessionObserver {
public:
    virtual ~ISessionObserver() = default;
    virtual void sessionChanged(const SessionChange& change) = 0;
};

// Questions the session asks the operator. The window answers them with
// dialogs; a program without a window answers them without asking. None is
// asked while a step is open: a dialog's event loop never runs inside one.
class ISessionPrompts {
public:
    virtual ~ISessionPrompts() = default;
    // The port could not be opened: the error box with the single button
    // "&Ignore". True when it was closed with that button.
    virtual bool ignorePortError(const std::string& text, const std::string& detail) = 0;
    // An error ended an operation of the window's operator (a file that cannot
    // be written, a malformed mode file). Errors of network clients' requests
    // go back to them and to the note instead.
    virtual void showError(const std::string& text) = 0;
    // A plain message with an OK button.
    virtual void showMessage(const std::string& text) = 0;
    // The name of a new matrix mode; nullopt or "" when the operator gave none.
    virtual std::optional<std::string> askModeName() = 0;
};

}  // namespace mc
