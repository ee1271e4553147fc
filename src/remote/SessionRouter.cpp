#include "remote/SessionRouter.h"

#include <cstdio>

#include "remote/VideohubServer.h"

namespace mc::remote {

namespace {

// 48 bits of the FNV-1a hash of the program folder, as 12 hex digits.
std::string folderId(const std::string& folder) {
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    for (const char c : folder) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 0x100000001b3ULL;
    }
    char text[13];
    std::snprintf(text, sizeof text, "%012llX",
                  static_cast<unsigned long long>(hash & 0xFFFFFFFFFFFFULL));
    return text;
}

}  // namespace

SessionRouter::SessionRouter(MatrixSession& session)
    : m_session(session), m_uniqueId(folderId(session.paths().programDir())) {
    m_present = devicePresent();
    m_session.attach(*this);
}

SessionRouter::~SessionRouter() {
    m_session.detach(*this);
}

void SessionRouter::setServer(VideohubServer* server) {
    m_server = server;
    m_present = devicePresent();
}

// --- The model ------------------------------------------------------------------

bool SessionRouter::devicePresent() const {
    return m_session.portStatus().state == PortState::Open;
}

std::string SessionRouter::modelName() const {
    return "matrix-control " + m_session.settings().MatrixNowUse;
}

std::string SessionRouter::friendlyName() const {
    const StartupSettings& settings = m_session.settings();
    if (!settings.Network.FriendlyName.empty()) return settings.Network.FriendlyName;
    return settings.MatrixNowUse.empty() ? std::string("matrix-control") : settings.MatrixNowUse;
}

std::string SessionRouter::uniqueId() const {
    return m_uniqueId;
}

int SessionRouter::inputCount() const {
    return m_session.hasState() ? m_session.state().MatrixInputNum() : 0;
}

int SessionRouter::outputCount() const {
    return m_session.hasState() ? m_session.state().MatrixOutputNum() : 0;
}

std::string SessionRouter::inputLabel(int input) const {
    return m_session.hasState() ? m_session.state().inputText(input) : std::string();
}

std::string SessionRouter::outputLabel(int output) const {
    return m_session.hasState() ? m_session.state().outputText(output) : std::string();
}

std::optional<int> SessionRouter::routedInput(int output) const {
    if (output < 0 || output >= outputCount()) return std::nullopt;
    const std::int32_t input = m_session.state().routeOf(output);
    return input < 0 ? std::nullopt : std::optional<int>(input);
}

std::string SessionRouter::lockOwner(int output) const {
    return m_session.lockOwner(output);
}

bool SessionRouter::routeOutput(const std::string& owner, int output, int input) {
    return m_session.routeOutput(owner, output, input);
}

bool SessionRouter::setInputLabel(const std::string& owner, int input, const std::string& label) {
    return m_session.setInputName(owner, input, label);
}

bool SessionRouter::setOutputLabel(const std::string& owner, int output, const std::string& label) {
    return m_session.setOutputName(owner, output, label);
}

bool SessionRouter::lockOutput(const std::string& owner, int output, LockRequest request) {
    return m_session.lockOutput(owner, output, request);
}

bool SessionRouter::takeMode() const {
    return m_session.takeMode();
}

void SessionRouter::setTakeMode(const std::string& owner, bool on) {
    m_session.setTakeMode(owner, on);
}

// --- What the session reports --------------------------------------------------------

void SessionRouter::sessionChanged(const SessionChange& change) {
    if (change.rebuilt) {
        m_present = devicePresent();
        if (m_server != nullptr) m_server->rebuilt();
        return;
    }
    if (m_server == nullptr) return;
    std::vector<int> routes;
    for (const RouteChange& route : change.routes) {
        if (route.from != route.to) routes.push_back(route.output);
    }
    if (!routes.empty()) m_server->routesChanged(routes);
    if (!change.inputNames.empty())
        m_server->inputLabelsChanged({change.inputNames.begin(), change.inputNames.end()});
    if (!change.outputNames.empty())
        m_server->outputLabelsChanged({change.outputNames.begin(), change.outputNames.end()});
    if (!change.locks.empty()) m_server->locksChanged({change.locks.begin(), change.locks.end()});
    if (change.takeMode) m_server->configurationChanged();
    // The port's reports also carry the queue's figures: only presence matters.
    if (change.port && devicePresent() != m_present) {
        m_present = devicePresent();
        m_server->deviceChanged();
    }
}

}  // namespace mc::remote
