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

mc::LockRequest lockRequest(LockOp op) {
    switch (op) {
        case LockOp::Lock:
            return mc::LockRequest::Lock;
        case LockOp::Unlock:
            return mc::LockRequest::Unlock;
        case LockOp::ForceUnlock:
            break;
    }
    return mc::LockRequest::ForceUnlock;
}

}  // namespace

SessionRouter::SessionRouter(MatrixSession& session)
    : m_session(session), m_uniqueId(folderId(session.paths().programDir())) {
    m_present = devicePresent();
    snapshot();
    m_session.attach(*this);
}

SessionRouter::~SessionRouter() {
    m_session.detach(*this);
}

void SessionRouter::setServer(VideohubServer* server) {
    m_server = server;
    m_present = devicePresent();
    snapshot();
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
    const CrosspointState& state = m_session.state();
    std::optional<int> routed;
    for (int input = 0; input < state.MatrixInputNum(); ++input) {
        if (!state.selected(output, input)) continue;
        if (routed) return std::nullopt;  // cycling through several inputs
        routed = input;
    }
    return routed;
}

std::string SessionRouter::lockOwner(int output) const {
    return m_session.lockOwner(output);
}

bool SessionRouter::routeOutput(const std::string& owner, int output, int input) {
    return m_session.routeOutput(owner, output, input);
}

bool SessionRouter::setInputLabel(const std::string&, int input, const std::string& label) {
    return m_session.setInputName(input, label);
}

bool SessionRouter::setOutputLabel(const std::string&, int output, const std::string& label) {
    return m_session.setOutputName(output, label);
}

bool SessionRouter::lockOutput(const std::string& owner, int output, LockOp op) {
    return m_session.lockOutput(owner, output, lockRequest(op));
}

// --- What the session reports --------------------------------------------------------

void SessionRouter::outputChanged(std::int32_t output) {
    if (routeDiffers(output) && m_server != nullptr) m_server->routesChanged({output});
}

void SessionRouter::gridChanged() {
    std::vector<int> routes, inputs, outputs;
    for (int o = 0; o < outputCount(); ++o) {
        if (routeDiffers(o)) routes.push_back(o);
        if (outputLabelDiffers(o)) outputs.push_back(o);
    }
    for (int i = 0; i < inputCount(); ++i) {
        if (inputLabelDiffers(i)) inputs.push_back(i);
    }
    if (m_server == nullptr) return;
    if (!routes.empty()) m_server->routesChanged(routes);
    if (!inputs.empty()) m_server->inputLabelsChanged(inputs);
    if (!outputs.empty()) m_server->outputLabelsChanged(outputs);
}

void SessionRouter::inputNameChanged(std::int32_t input) {
    if (inputLabelDiffers(input) && m_server != nullptr) m_server->inputLabelsChanged({input});
}

void SessionRouter::outputNameChanged(std::int32_t output) {
    if (outputLabelDiffers(output) && m_server != nullptr) m_server->outputLabelsChanged({output});
}

void SessionRouter::lockChanged(std::int32_t output) {
    if (m_server != nullptr) m_server->locksChanged({output});
}

void SessionRouter::portStatusChanged() {
    // Also told of the queue's figures: only a change of presence matters.
    const bool present = devicePresent();
    if (present == m_present) return;
    m_present = present;
    if (m_server != nullptr) m_server->deviceChanged();
}

void SessionRouter::rebuilt() {
    m_present = devicePresent();
    snapshot();
    if (m_server != nullptr) m_server->rebuilt();
}

// --- The copy of what was reported ----------------------------------------------------

void SessionRouter::snapshot() {
    m_routes.assign(static_cast<std::size_t>(outputCount()), std::nullopt);
    m_outputLabels.assign(static_cast<std::size_t>(outputCount()), {});
    m_inputLabels.assign(static_cast<std::size_t>(inputCount()), {});
    for (int o = 0; o < outputCount(); ++o) {
        m_routes[static_cast<std::size_t>(o)] = routedInput(o);
        m_outputLabels[static_cast<std::size_t>(o)] = outputLabel(o);
    }
    for (int i = 0; i < inputCount(); ++i)
        m_inputLabels[static_cast<std::size_t>(i)] = inputLabel(i);
}

bool SessionRouter::routeDiffers(int output) {
    if (output < 0 || static_cast<std::size_t>(output) >= m_routes.size()) return false;
    std::optional<int> now = routedInput(output);
    if (now == m_routes[static_cast<std::size_t>(output)]) return false;
    m_routes[static_cast<std::size_t>(output)] = now;
    return true;
}

bool SessionRouter::inputLabelDiffers(int input) {
    if (input < 0 || static_cast<std::size_t>(input) >= m_inputLabels.size()) return false;
    std::string now = inputLabel(input);
    if (now == m_inputLabels[static_cast<std::size_t>(input)]) return false;
    m_inputLabels[static_cast<std::size_t>(input)] = std::move(now);
    return true;
}

bool SessionRouter::outputLabelDiffers(int output) {
    if (output < 0 || static_cast<std::size_t>(output) >= m_outputLabels.size()) return false;
    std::string now = outputLabel(output);
    if (now == m_outputLabels[static_cast<std::size_t>(output)]) return false;
    m_outputLabels[static_cast<std::size_t>(output)] = std::move(now);
    return true;
}

}  // namespace mc::remote
