#pragma once

// SessionRouter: a MatrixSession as the protocol server sees it. Requests of
// network clients become session calls as the window's actions do (a route
// acts on video, switching the device's layer around it while the operator
// is on audio; a label is typing into that port's name field); every change the session reports,
// whoever made it, reaches the server as the items that changed.
//
// Device present: the session's serial port is open (a failed open and a
// hang-up are "not present"). Friendly name: the one set (the "FriendlyName"
// setting), else the model name. Unique ID: 12 hexadecimal digits derived from the program
// folder, so one installation keeps its identity across restarts.
//
// The session's change events carry the values that changed; the router
// passes on the routes of the line's video table (all in pattern mode) whose
// input (or -1) differs, the labels of the names
// that changed, the locks with their owners, the take mode and the device's
// presence, so cycle changes that the protocol cannot show reach the clients
// not at all.
//
// Lifetime: attaches itself to the session at construction and detaches in
// its destructor; the session must outlive the router. The server set with
// setServer is not owned and must be set back to null (or outlive the router)
// before it goes. Threads: the user-interface thread only, like the session.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "control/MatrixSession.h"
#include "control/SessionObserver.h"
#include "remote/RouterModel.h"

namespace mc::remote {

class VideohubServer;

class SessionRouter final : public RouterModel, private ISessionObserver {
public:
    explicit SessionRouter(MatrixSession& session);
    ~SessionRouter() override;
    SessionRouter(const SessionRouter&) = delete;
    SessionRouter& operator=(const SessionRouter&) = delete;

    // The server told of the session's changes; null: nobody.
    void setServer(VideohubServer* server);
    // The device's name for clients; empty: the model name.
    void setFriendlyName(std::string name) { m_friendlyName = std::move(name); }

    // RouterModel. Without a state (before start, after close) the matrix has
    // no ports and every request is refused.
    bool devicePresent() const override;
    std::string modelName() const override;
    std::string friendlyName() const override;
    std::string uniqueId() const override;
    int inputCount() const override;
    int outputCount() const override;
    std::string inputLabel(int input) const override;
    std::string outputLabel(int output) const override;
    std::optional<int> routedInput(int output) const override;
    std::string lockOwner(int output) const override;
    Outcome routeOutput(const std::string& owner, int output, int input) override;
    Outcome setInputLabel(const std::string& owner, int input, const std::string& label) override;
    Outcome setOutputLabel(const std::string& owner, int output, const std::string& label) override;
    Outcome lockOutput(const std::string& owner, int output, LockRequest request) override;
    bool takeMode() const override;
    Outcome setTakeMode(const std::string& owner, bool on) override;

private:
    void sessionChanged(const SessionChange& change) override;

    MatrixSession& m_session;
    VideohubServer* m_server = nullptr;
    std::string m_uniqueId;
    std::string m_friendlyName;
};

}  // namespace mc::remote
