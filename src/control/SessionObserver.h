#pragma once

// How MatrixSession talks to what sits on top of it (the control window, the
// network server): the typed change event it sends every observer after each
// step, and the questions it asks the operator.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace mc {

// An output whose cells changed in one step, with the input it carried
// before and after: the one selected input, or -1 (closed, never switched,
// or output 0 cycling through several inputs).
struct RouteChange {
    std::int32_t output = 0;
    std::int32_t from = -1;
    std::int32_t to = -1;
    bool operator==(const RouteChange&) const = default;
};

// What one step of the session changed. Observers bring exactly these parts
// of their views in line; nothing else changed.
struct SessionChange {
    // Who asked: MatrixSession::kWindowOwner, a network client's address, or
    // "" for what the session does by itself (the port, the queue figures).
    std::string origin;
    // Outputs whose cells changed, in node order. An output may be listed
    // with from == to (output 0's cycle inputs changed; a cell rewritten).
    std::vector<RouteChange> routes;
    // Ports whose names changed, in order.
    std::vector<std::int32_t> inputNames;
    std::vector<std::int32_t> outputNames;
    // Outputs whose lock was taken, released or broken.
    std::vector<std::int32_t> locks;
    // A status file or a mode was loaded: windows show the first page of their
    // grid again (its labels and fields anew).
    bool firstPage = false;
    bool nameLists = false;  // a name list came into use: the name fields show its names
    bool layer = false;      // the layer buttons' state (MatrixSession::layer())
    bool port = false;       // the port's device, speed or state, or the queue's figures
    bool note = false;       // the note for the status bar (MatrixSession::note())
    bool modeList = false;   // the matrix-mode list may differ (a save, a delete)
    bool takeMode = false;   // take mode was turned on or off (MatrixSession::takeMode())
    bool staged = false;     // the staged changes differ (MatrixSession::staged())
    // A new build: counts, addresses, names, page and locks are new; every
    // view must be made again. Also sent once after start(). Nothing else is
    // set with it.
    bool rebuilt = false;

    bool empty() const {
        return routes.empty() && inputNames.empty() && outputNames.empty() && locks.empty() &&
               !firstPage && !nameLists && !layer && !port && !note && !modeList && !takeMode &&
               !staged && !rebuilt;
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
