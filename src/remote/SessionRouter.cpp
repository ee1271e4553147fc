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
    m_session.attach(*this);
}

SessionRouter::~SessionRouter() {
    m_session.detach(*this);
}

void SessionRouter::setServer(VideohubServer* server) {
    m_server = server;
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
    if (!m_friendlyName.empty()) return m_friendlyName;
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
    const Line& line = m_session.line();
    const std::int32_t input = line.carried(line.videoTable(), output).clientInput();
    return input < 0 ? std::nullopt : std::optional<int>(input);
}

std::string SessionRouter::lockOwner(int output) const {
    return m_session.lockOwner(output);
}

Outcome SessionRouter::routeOutput(const std::string& owner, int output, int input) {
    return m_session.routeOutput(owner, output, input, RouteLayer::VideoSide);
}

Outcome SessionRouter::setInputLabel(const std::string& owner, int input,
                                     const std::string& label) {
    return m_session.setInputName(owner, input, label);
}

Outcome SessionRouter::setOutputLabel(const std::string& owner, int output,
                                      const std::string& label) {
    return m_session.setOutputName(owner, output, label);
}

Outcome SessionRouter::lockOutput(const std::string& owner, int output, LockRequest request) {
    return m_session.lockOutput(owner, output, request);
}

bool SessionRouter::takeMode() const {
    return m_session.takeMode();
}

Outcome SessionRouter::setTakeMode(const std::string& owner, bool on) {
    return m_session.setTakeMode(owner, on);
}

// --- What the session reports --------------------------------------------------------

namespace {

std::vector<std::pair<int, std::string>> labels(const std::vector<NameChange>& names) {
    std::vector<std::pair<int, std::string>> labels;
    labels.reserve(names.size());
    for (const NameChange& name : names)
        labels.emplace_back(name.port, name.text);
    return labels;
}

}  // namespace

void SessionRouter::sessionChanged(const SessionChange& change) {
    if (m_server == nullptr) return;
    if (change.rebuilt) return m_server->rebuilt();
    // The protocol's one routing table is video (all in pattern mode).
    std::vector<std::pair<int, int>> routes;
    for (const RouteChange& route : change.routes) {
        if (route.layer != LineLayer::Audio && route.from.clientInput() != route.to.clientInput())
            routes.emplace_back(route.output, route.to.clientInput());
    }
    if (!routes.empty()) m_server->routesChanged(routes);
    if (!change.inputNames.empty()) m_server->inputLabelsChanged(labels(change.inputNames));
    if (!change.outputNames.empty()) m_server->outputLabelsChanged(labels(change.outputNames));
    if (!change.locks.empty()) {
        std::vector<std::pair<int, std::string>> owners;
        for (const LockChange& lock : change.locks)
            owners.emplace_back(lock.output, lock.owner);
        m_server->locksChanged(owners);
    }
    if (change.takeMode) m_server->configurationChanged(*change.takeMode);
    // Lost and not open are alike to clients: not present.
    if (change.presence) m_server->deviceChanged(*change.presence == PortState::Open);
}

}  // namespace mc::remote
