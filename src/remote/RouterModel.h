#pragma once

#include <optional>
#include <string>

#include "control/OutputLocks.h"
#include "control/SessionObserver.h"

namespace mc::remote {

// The matrix as the protocol server sees it: its description, its state and
// the requests a client may make. The server holds a reference; the model
// outlives it. Every call is made on the thread that runs the server's event
// loop, and a call never runs that event loop (no nested processEvents).
//
// Ports are zero-based. The server only asks for ports below inputCount() and
// outputCount(); a request call must still refuse a port it does not have.
//
// Changes, whoever makes them, are reported back with their values through
// the notify methods of VideohubServer (routesChanged, locksChanged, ...). A
// request call may report its own changes synchronously from inside the call;
// the server then answers the request before it sends the update. The state
// readers serve whole dumps (a client's first state, a DUMP request) and the
// current value of a refused item.
class RouterModel {
public:
    virtual ~RouterModel() = default;

    // True while the switcher can be driven (its serial port is open).
    virtual bool devicePresent() const = 0;
    virtual std::string modelName() const = 0;     // already "matrix-control <model>"
    virtual std::string friendlyName() const = 0;  // never empty
    virtual std::string uniqueId() const = 0;      // 12 hexadecimal digits
    virtual int inputCount() const = 0;
    virtual int outputCount() const = 0;

    // UTF-8 display texts. The server replaces control characters.
    virtual std::string inputLabel(int input) const = 0;
    virtual std::string outputLabel(int output) const = 0;

    // The one input the output carries; nullopt when there is no one input
    // (closed, never switched, cycling through several inputs), which the
    // server sends as -1.
    virtual std::optional<int> routedInput(int output) const = 0;

    // "" when the output is unlocked, else the owner that holds its lock.
    virtual std::string lockOwner(int output) const = 0;
    // The window's take mode (the protocol's "Take Mode").
    virtual bool takeMode() const = 0;

    // Requests of a network client. `owner` is the client's address text
    // ("127.0.0.2"); two connections from one address are one owner. Each
    // returns its outcome; a refused request (the output locked by another
    // owner, say) changed nothing, and a FileError one is answered NAK.
    virtual Outcome routeOutput(const std::string& owner, int output,
                                int input /* -1: close */) = 0;
    virtual Outcome setInputLabel(const std::string& owner, int input,
                                  const std::string& label) = 0;
    virtual Outcome setOutputLabel(const std::string& owner, int output,
                                   const std::string& label) = 0;
    virtual Outcome lockOutput(const std::string& owner, int output, LockRequest request) = 0;
    // Turns the window's take mode on or off; reported back through
    // VideohubServer::configurationChanged.
    virtual Outcome setTakeMode(const std::string& owner, bool on) = 0;
};

}  // namespace mc::remote
