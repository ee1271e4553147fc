#pragma once

// SessionRouter: a MatrixSession as the protocol server sees it. Requests of
// network clients become session calls exactly as the window's actions do (a
// route is the tick of that input's box, a label is typing into that port's
// name field); every change the session reports, whoever made it, reaches the
// server as the items that changed.
//
// Device present: the session's serial port is open (a failed open and a
// hang-up are "not present"). Friendly name: the "FriendlyName" setting, else
// the model name. Unique ID: 12 hexadecimal digits derived from the program
// folder, so one installation keeps its identity across restarts.
//
// The router keeps a copy of the routes and labels it last reported, so a
// change of many cells at once (a status file, a mode, paging) reaches the
// clients as the lines that really changed and paging reaches them not at all.
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
    bool routeOutput(const std::string& owner, int output, int input) override;
    bool setInputLabel(const std::string& owner, int input, const std::string& label) override;
    bool setOutputLabel(const std::string& owner, int output, const std::string& label) override;
    bool lockOutput(const std::string& owner, int output, LockOp op) override;

private:
    // ISessionObserver
    void outputChanged(std::int32_t output) override;
    void gridChanged() override;
    void inputNameChanged(std::int32_t input) override;
    void outputNameChanged(std::int32_t output) override;
    void lockChanged(std::int32_t output) override;
    void portStatusChanged() override;
    void rebuilt() override;

    // Takes a new copy of every route and label.
    void snapshot();
    // Compares one item with the copy, updates it, and tells whether it differed.
    bool routeDiffers(int output);
    bool inputLabelDiffers(int input);
    bool outputLabelDiffers(int output);

    MatrixSession& m_session;
    VideohubServer* m_server = nullptr;
    std::string m_uniqueId;
    bool m_present = false;  // what the server was last told
    std::vector<std::optional<int>> m_routes;
    std::vector<std::string> m_inputLabels;
    std::vector<std::string> m_outputLabels;
};

}  // namespace mc::remote
