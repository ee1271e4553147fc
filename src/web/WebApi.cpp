#include "web/WebApi.h"

#include <algorithm>

#include <nlohmann/json.hpp>

#include "control/MatrixSession.h"

namespace mc::web {

using nlohmann::json;

namespace {

const char* portStateText(PortState state) {
    switch (state) {
        case PortState::Open:
            return "open";
        case PortState::Lost:
            return "lost";
        case PortState::NotOpen:
            break;
    }
    return "closed";
}

// The integer field `name` of `body`, or nullopt when it is missing or not an
// integer.
std::optional<std::int64_t> integer(const json& body, const char* name) {
    const auto it = body.find(name);
    if (it == body.end() || !it->is_number_integer()) return std::nullopt;
    return it->get<std::int64_t>();
}

std::optional<std::string> text(const json& body, const char* name) {
    const auto it = body.find(name);
    if (it == body.end() || !it->is_string()) return std::nullopt;
    return it->get<std::string>();
}

// The current mode's name as the mode list shows it: the session keeps the
// element name ("Mode" + name).
std::string currentMode(const MatrixSession& session) {
    const std::string& element = session.currentModeName();
    return element.starts_with("Mode") ? element.substr(4) : element;
}

ApiReply ok(const json& body = json::object()) {
    return {200, body.dump()};
}

}  // namespace

ApiReply WebApi::error(int status, const std::string& text) {
    return {status, json{{"error", text}}.dump(-1, ' ', false, json::error_handler_t::replace)};
}

std::string WebApi::lockView(std::int32_t output, const std::string& owner) const {
    const std::string& holder = m_session.lockOwner(output);
    if (holder.empty()) return "none";
    return holder == owner ? "own" : "other";
}

json WebApi::device() const {
    const PortStatus& status = m_session.portStatus();
    return {{"present", status.state == PortState::Open},
            {"state", portStateText(status.state)},
            {"path", status.devicePath}};
}

json WebApi::pending() const {
    json list = json::array();
    const std::int32_t closeCell = m_session.state().MatrixInputNum();
    for (const auto& [output, cell] : m_session.staged())
        list.push_back({{"output", output}, {"input", cell == closeCell ? -1 : cell}});
    return list;
}

json WebApi::layer() const {
    const LayerView view = m_session.layer();
    return {{"enabled", view.enabled}, {"checked", view.checked}};
}

json WebApi::modes() {
    return m_session.modeList();
}

json WebApi::state(const std::string& owner) {
    json out;
    if (!m_session.hasState()) return json{{"inputs", 0}, {"outputs", 0}};
    const CrosspointState& state = m_session.state();
    json inputs = json::array(), outputs = json::array(), routes = json::array(),
         locks = json::array();
    for (std::int32_t i = 0; i < state.MatrixInputNum(); ++i)
        inputs.push_back(state.inputText(i));
    for (std::int32_t o = 0; o < state.MatrixOutputNum(); ++o) {
        outputs.push_back(state.outputText(o));
        routes.push_back(state.routeOf(o));
        locks.push_back(lockView(o, owner));
    }
    m_sentMode = currentMode(m_session);
    m_sentPresent = m_session.portStatus().state == PortState::Open;
    return {{"model", m_session.settings().MatrixNowUse},
            {"inputs", state.MatrixInputNum()},
            {"outputs", state.MatrixOutputNum()},
            {"inputNames", std::move(inputs)},
            {"outputNames", std::move(outputs)},
            {"routes", std::move(routes)},
            {"locks", std::move(locks)},
            {"layer", layer()},
            {"takeMode", m_session.takeMode()},
            {"pending", pending()},
            {"modes", modes()},
            {"currentMode", m_sentMode},
            {"device", device()},
            {"note", m_session.note()}};
}

json WebApi::change(const SessionChange& change) {
    if (!m_session.hasState()) return nullptr;
    const CrosspointState& state = m_session.state();
    json out = json::object();
    json routes = json::array();
    for (const RouteChange& route : change.routes)
        if (route.from != route.to)
            routes.push_back({{"output", route.output}, {"input", route.to}});
    if (!routes.empty()) out["routes"] = std::move(routes);
    json inputs = json::array(), outputs = json::array();
    const bool allNames = change.nameLists;
    for (std::int32_t i = 0; i < state.MatrixInputNum(); ++i) {
        if (allNames || std::ranges::find(change.inputNames, i) != change.inputNames.end())
            inputs.push_back({{"port", i}, {"name", state.inputText(i)}});
    }
    for (std::int32_t o = 0; o < state.MatrixOutputNum(); ++o) {
        if (allNames || std::ranges::find(change.outputNames, o) != change.outputNames.end())
            outputs.push_back({{"port", o}, {"name", state.outputText(o)}});
    }
    if (!inputs.empty()) out["inputNames"] = std::move(inputs);
    if (!outputs.empty()) out["outputNames"] = std::move(outputs);
    if (change.layer) out["layer"] = layer();
    if (change.takeMode) out["takeMode"] = m_session.takeMode();
    if (change.staged || change.takeMode) out["pending"] = pending();
    if (change.modeList) out["modes"] = modes();
    if (change.note) out["note"] = m_session.note();
    if (currentMode(m_session) != m_sentMode) {
        m_sentMode = currentMode(m_session);
        out["currentMode"] = m_sentMode;
    }
    const bool present = m_session.portStatus().state == PortState::Open;
    if (change.port && present != m_sentPresent) {
        m_sentPresent = present;
        out["device"] = device();
    }
    if (out.empty() && change.locks.empty()) return nullptr;
    out["type"] = "change";
    out["origin"] = change.origin;
    return out;
}

json WebApi::changedLocks(const SessionChange& change, const std::string& owner) const {
    json locks = json::array();
    for (const std::int32_t output : change.locks)
        locks.push_back({{"output", output}, {"lock", lockView(output, owner)}});
    return locks;
}

ApiReply WebApi::handle(bool post, std::string_view path, const std::string& body,
                        const std::string& owner) {
    static const std::vector<std::string_view> kGets = {"state", "modes"};
    static const std::vector<std::string_view> kPosts = {
        "route", "stage", "label", "lock", "modes/apply", "layer", "take", "clear", "takemode"};
    const bool isGet = std::ranges::find(kGets, path) != kGets.end();
    const bool isPost = std::ranges::find(kPosts, path) != kPosts.end();
    if (!isGet && !isPost) return error(404, "no such path");
    if (isGet != !post) return error(405, post ? "use GET" : "use POST");
    if (!m_session.hasState()) return error(503, "the matrix is not built");

    if (path == "state") return ok(state(owner));
    if (path == "modes") return ok({{"modes", modes()}, {"currentMode", currentMode(m_session)}});

    json in = body.empty() ? json::object() : json::parse(body, nullptr, false);
    if (in.is_discarded() || !in.is_object()) return error(400, "the body is not a JSON object");
    const CrosspointState& state = m_session.state();
    const auto outputField = [&](std::int64_t& o) -> std::optional<ApiReply> {
        const auto value = integer(in, "output");
        if (!value) return error(400, "\"output\" must be an integer");
        if (*value < 0 || *value >= state.MatrixOutputNum()) return error(404, "no such output");
        o = *value;
        return std::nullopt;
    };
    const auto lockedByOther = [&](std::int64_t o) {
        const std::string& holder = m_session.lockOwner(static_cast<std::int32_t>(o));
        return !holder.empty() && holder != owner;
    };

    if (path == "route" || path == "stage") {
        std::int64_t o = 0;
        if (auto bad = outputField(o)) return *bad;
        const auto i = integer(in, "input");
        if (!i) return error(400, "\"input\" must be an integer");
        if (*i < -1 || *i >= state.MatrixInputNum()) return error(404, "no such input");
        if (lockedByOther(o))
            return error(409, "the output is locked by " +
                                  m_session.lockOwner(static_cast<std::int32_t>(o)));
        const auto out = static_cast<std::int32_t>(o);
        const auto input = static_cast<std::int32_t>(*i);
        if (path == "route") {
            m_session.routeOutput(owner, out, input);
        } else if (!m_session.stageRoute(owner, out, input)) {
            return error(409, "take mode is off");
        }
        return ok();
    }
    if (path == "label") {
        const auto kind = text(in, "kind");
        const auto port = integer(in, "port");
        const auto name = text(in, "text");
        if (!kind || (*kind != "input" && *kind != "output") || !port || !name)
            return error(400, "give \"kind\" (\"input\" or \"output\"), \"port\" and \"text\"");
        const bool input = *kind == "input";
        const std::int64_t count = input ? state.MatrixInputNum() : state.MatrixOutputNum();
        if (*port < 0 || *port >= count) return error(404, "no such port");
        const auto p = static_cast<std::int32_t>(*port);
        input ? m_session.setInputName(owner, p, *name) : m_session.setOutputName(owner, p, *name);
        return ok();
    }
    if (path == "lock") {
        std::int64_t o = 0;
        if (auto bad = outputField(o)) return *bad;
        const auto op = text(in, "op");
        if (!op || (*op != "lock" && *op != "unlock" && *op != "force"))
            return error(400, "\"op\" must be \"lock\", \"unlock\" or \"force\"");
        const LockRequest request = *op == "lock"     ? LockRequest::Lock
                                    : *op == "unlock" ? LockRequest::Unlock
                                                      : LockRequest::ForceUnlock;
        if (request != LockRequest::ForceUnlock && lockedByOther(o))
            return error(409, "the output is locked by " +
                                  m_session.lockOwner(static_cast<std::int32_t>(o)));
        m_session.lockOutput(owner, static_cast<std::int32_t>(o), request);
        return ok({{"lock", lockView(static_cast<std::int32_t>(o), owner)}});
    }
    if (path == "modes/apply") {
        const auto name = text(in, "name");
        if (!name) return error(400, "\"name\" must be a string");
        const std::vector<std::string> list = m_session.modeList();
        if (std::ranges::find(list, *name) == list.end()) return error(404, "no such mode");
        const LoadOutcome outcome = m_session.applyMode(*name, owner);
        return ok({{"applied", outcome.applied},
                   {"skipped", outcome.skipped},
                   {"locked", outcome.locked},
                   {"staged", m_session.takeMode()}});
    }
    if (path == "layer") {
        const auto value = integer(in, "layer");
        if (!value || *value < 1 || *value > 3) return error(400, "\"layer\" must be 1, 2 or 3");
        if (!m_session.layer().enabled) return error(409, "this model has no layers");
        m_session.chooseLayer(static_cast<std::int32_t>(*value), owner);
        return ok({{"layer", layer()}});
    }
    if (path == "takemode") {
        const auto it = in.find("on");
        if (it == in.end() || !it->is_boolean()) return error(400, "\"on\" must be true or false");
        m_session.setTakeMode(owner, it->get<bool>());
        return ok({{"takeMode", m_session.takeMode()}});
    }
    if (path == "take") return ok({{"taken", m_session.take(owner)}});
    m_session.clearStaged(owner);  // "clear"
    return ok();
}

}  // namespace mc::web
