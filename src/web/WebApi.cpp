#include "web/WebApi.h"

#include <algorithm>
#include <cmath>
#include <limits>

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

// A field that must be an integer: absent, not an integer, or its value.
// Values beyond the ports' range become one no port has, so that a huge
// number is "no such port", never another port by wrapping.
struct IntegerField {
    bool present = false;
    std::int32_t value = 0;
};

IntegerField integer(const json& body, const char* name) {
    const auto it = body.find(name);
    if (it == body.end() || !it->is_number_integer()) return {};
    if (it->is_number_unsigned()) {
        const auto value = it->get<std::uint64_t>();
        return {true, value > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max())
                          ? std::numeric_limits<std::int32_t>::min()
                          : static_cast<std::int32_t>(value)};
    }
    const auto value = it->get<std::int64_t>();
    if (value < std::numeric_limits<std::int32_t>::min() ||
        value > std::numeric_limits<std::int32_t>::max())
        return {true, std::numeric_limits<std::int32_t>::min()};
    return {true, static_cast<std::int32_t>(value)};
}

std::optional<std::string> text(const json& body, const char* name) {
    const auto it = body.find(name);
    if (it == body.end() || !it->is_string()) return std::nullopt;
    return it->get<std::string>();
}

// True when `value` holds an integer beyond the signed 64-bit range (read as
// an unsigned one), at any depth.
bool hasOversizedInteger(const json& value) {
    if (value.is_number_unsigned())
        return value.get<std::uint64_t>() >
               static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
    // Beyond 64 bits the reader keeps a number as a floating-point one.
    if (value.is_number_float()) return std::fabs(value.get<double>()) >= 0x1p63;
    if (value.is_structured()) return std::any_of(value.begin(), value.end(), hasOversizedInteger);
    return false;
}

// A mode's name as the mode list shows it: the session keeps the element
// name ("Mode" + name).
std::string modeName(const std::string& element) {
    return element.starts_with("Mode") ? element.substr(4) : element;
}

ApiReply ok(const json& body = json::object()) {
    return {200, body.dump()};
}

const char* defaultCode(int status) {
    switch (status) {
        case 400:
            return "bad_request";
        case 401:
            return "unauthorized";
        case 403:
            return "forbidden";
        case 404:
            return "not_found";
        case 405:
            return "method_not_allowed";
        case 409:
            return "conflict";
        case 413:
            return "too_large";
        case 429:
            return "too_many_requests";
        case 500:
            return "file_error";
        default:
            return "busy";
    }
}

json stagedJson(const std::map<std::int32_t, std::int32_t>& staged) {
    json list = json::array();
    for (const auto& [output, input] : staged)
        list.push_back({{"output", output}, {"input", input}});
    return list;
}

json deviceJson(const PortStatus& status) {
    return {{"present", status.state == PortState::Open},
            {"state", portStateText(status.state)},
            {"path", status.devicePath}};
}

json layerJson(const LayerView& view) {
    return {{"enabled", view.enabled}, {"checked", view.checked}};
}

}  // namespace

ApiReply WebApi::error(int status, const std::string& text) {
    return error(status, defaultCode(status), text);
}

ApiReply WebApi::error(int status, const std::string& code, const std::string& text) {
    return {status, json{{"error", text}, {"code", code}}.dump(-1, ' ', false,
                                                               json::error_handler_t::replace)};
}

ApiReply WebApi::refusal(const Outcome& outcome) {
    switch (outcome.refusal) {
        case Refusal::None:
            break;
        case Refusal::OutOfRange:
            return error(404, "out_of_range", "no such port");
        case Refusal::Locked:
            return {409, json{{"error", "the output is locked by " + outcome.detail},
                              {"code", "locked"},
                              {"owner", outcome.detail}}
                             .dump(-1, ' ', false, json::error_handler_t::replace)};
        case Refusal::Busy:
            return error(503, "busy", "the matrix is busy; try again");
        case Refusal::FileError:
            return error(500, "file_error", outcome.detail);
        case Refusal::BadName:
            return error(400, "bad_label", "a name may not hold control characters");
        case Refusal::Unavailable:
            return error(409, "unavailable", "not possible now");
        case Refusal::NotFound:
            return error(404, "not_found", "no such mode");
        case Refusal::Exists:
            return error(409, "exists", "a mode of that name exists");
        case Refusal::Waiting:
            return error(429, "busy", "an earlier route on another layer still waits; try again");
    }
    return ok();
}

std::string WebApi::lockView(std::int32_t output, const std::string& owner) const {
    return lockView(m_session.lockOwner(output), owner);
}

std::string WebApi::lockView(const std::string& holder, const std::string& owner) {
    if (holder.empty()) return "none";
    return holder == owner ? "own" : "other";
}

json WebApi::state(const std::string& owner) {
    if (!m_session.hasState()) return json{{"inputs", 0}, {"outputs", 0}};
    const CrosspointState& state = m_session.state();
    const Line& line = m_session.line();
    json inputs = json::array(), outputs = json::array(), routes = json::array(),
         audioRoutes = json::array(), locks = json::array(), lockOwners = json::array();
    for (std::int32_t i = 0; i < state.MatrixInputNum(); ++i)
        inputs.push_back(state.inputText(i));
    for (std::int32_t o = 0; o < state.MatrixOutputNum(); ++o) {
        outputs.push_back(state.outputText(o));
        routes.push_back(line.carried(line.videoTable(), o).clientInput());
        if (!line.pattern()) audioRoutes.push_back(line.carried(LineLayer::Audio, o).clientInput());
        locks.push_back(lockView(o, owner));
        const std::string& holder = m_session.lockOwner(o);
        lockOwners.push_back(holder == owner ? std::string() : holder);
    }
    json out = {{"model", m_session.settings().MatrixNowUse},
                {"inputs", state.MatrixInputNum()},
                {"outputs", state.MatrixOutputNum()},
                {"inputNames", std::move(inputs)},
                {"outputNames", std::move(outputs)},
                {"routes", std::move(routes)},
                {"locks", std::move(locks)},
                {"lockOwners", std::move(lockOwners)},
                {"layer", layerJson(m_session.layer())},
                {"takeMode", m_session.takeMode()},
                {"pending", stagedJson(m_session.stagedRoutes())},
                {"modes", m_session.readModes().names},
                {"currentMode", modeName(m_session.currentModeName())},
                {"device", deviceJson(m_session.portStatus())},
                {"note", m_session.note()}};
    if (!line.pattern()) out["audioRoutes"] = std::move(audioRoutes);
    return out;
}

json WebApi::change(const SessionChange& change) const {
    json out = json::object();
    json routes = json::array(), audioRoutes = json::array();
    for (const RouteChange& route : change.routes) {
        if (route.from.clientInput() == route.to.clientInput()) continue;
        json item = {{"output", route.output}, {"input", route.to.clientInput()}};
        (route.layer == LineLayer::Audio ? audioRoutes : routes).push_back(std::move(item));
    }
    if (!routes.empty()) out["routes"] = std::move(routes);
    if (!audioRoutes.empty()) out["audioRoutes"] = std::move(audioRoutes);
    const auto names = [](const std::vector<NameChange>& changes) {
        json list = json::array();
        for (const NameChange& name : changes)
            list.push_back({{"port", name.port}, {"name", name.text}});
        return list;
    };
    if (!change.inputNames.empty()) out["inputNames"] = names(change.inputNames);
    if (!change.outputNames.empty()) out["outputNames"] = names(change.outputNames);
    if (change.layer) out["layer"] = layerJson(*change.layer);
    if (change.takeMode) out["takeMode"] = *change.takeMode;
    if (change.staged) out["pending"] = stagedJson(*change.staged);
    if (change.modes) out["modes"] = *change.modes;
    if (change.note) out["note"] = *change.note;
    if (change.currentMode) out["currentMode"] = modeName(*change.currentMode);
    if (change.presence && change.port) out["device"] = deviceJson(*change.port);
    if (out.empty() && change.locks.empty()) return nullptr;
    out["type"] = "change";
    out["origin"] = change.origin;
    return out;
}

json WebApi::changedLocks(const SessionChange& change, const std::string& owner) {
    json locks = json::array();
    for (const LockChange& lock : change.locks)
        locks.push_back({{"output", lock.output},
                         {"lock", lockView(lock.owner, owner)},
                         {"owner", lock.owner == owner ? std::string() : lock.owner}});
    return locks;
}

ApiReply WebApi::handle(bool post, std::string_view path, const std::string& body,
                        const std::string& owner) {
    static const std::vector<std::string_view> kGets = {"state", "modes"};
    static const std::vector<std::string_view> kPosts = {
        "route",      "stage",        "label", "lock", "modes/apply", "modes/preview",
        "modes/save", "modes/delete", "layer", "take", "clear",       "takemode"};
    const bool isGet = std::ranges::find(kGets, path) != kGets.end();
    const bool isPost = std::ranges::find(kPosts, path) != kPosts.end();
    if (!isGet && !isPost) return error(404, "no such path");
    if (isGet != !post) return error(405, post ? "use GET" : "use POST");
    if (!m_session.hasState()) return error(503, "busy", "the matrix is not built");

    if (path == "state") return ok(state(owner));
    if (path == "modes") {
        const ModeList list = m_session.readModes();
        if (!list) return refusal(list);
        return ok({{"modes", list.names}, {"currentMode", modeName(m_session.currentModeName())}});
    }

    json in = body.empty() ? json::object() : json::parse(body, nullptr, false);
    if (in.is_discarded() || !in.is_object()) return error(400, "the body is not a JSON object");
    if (hasOversizedInteger(in)) return error(400, "an integer is out of range");
    const auto answer = [](const Outcome& outcome, const json& done = json::object()) {
        return outcome ? ok(done) : refusal(outcome);
    };

    if (path == "route" || path == "stage") {
        const IntegerField output = integer(in, "output");
        if (!output.present) return error(400, "\"output\" must be an integer");
        const IntegerField input = integer(in, "input");
        if (!input.present) return error(400, "\"input\" must be an integer");
        RouteLayer layer = RouteLayer::Operator;
        if (const auto it = in.find("layer"); it != in.end()) {
            const std::string name = it->is_string() ? it->get<std::string>() : "";
            if (name != "video" && name != "audio" && name != "both")
                return error(400, "\"layer\" must be \"video\", \"audio\" or \"both\"");
            layer = name == "video"   ? RouteLayer::Video
                    : name == "audio" ? RouteLayer::Audio
                                      : RouteLayer::Both;
        }
        if (path == "route")
            return answer(m_session.routeOutput(owner, output.value, input.value, layer));
        return answer(m_session.stageRoute(owner, output.value, input.value, layer));
    }
    if (path == "label") {
        const auto kind = text(in, "kind");
        const IntegerField port = integer(in, "port");
        const auto name = text(in, "text");
        if (!kind || (*kind != "input" && *kind != "output") || !port.present || !name)
            return error(400, "give \"kind\" (\"input\" or \"output\"), \"port\" and \"text\"");
        return answer(*kind == "input" ? m_session.setInputName(owner, port.value, *name)
                                       : m_session.setOutputName(owner, port.value, *name));
    }
    if (path == "lock") {
        const IntegerField output = integer(in, "output");
        if (!output.present) return error(400, "\"output\" must be an integer");
        const auto op = text(in, "op");
        if (!op || (*op != "lock" && *op != "unlock" && *op != "force"))
            return error(400, "\"op\" must be \"lock\", \"unlock\" or \"force\"");
        const LockRequest request = *op == "lock"     ? LockRequest::Lock
                                    : *op == "unlock" ? LockRequest::Unlock
                                                      : LockRequest::ForceUnlock;
        const Outcome outcome = m_session.lockOutput(owner, output.value, request);
        if (!outcome) return refusal(outcome);
        return ok({{"lock", lockView(output.value, owner)}});
    }
    if (path == "modes/apply") {
        const auto name = text(in, "name");
        if (!name) return error(400, "\"name\" must be a string");
        const LoadOutcome outcome = m_session.applyMode(*name, owner);
        if (!outcome) return refusal(outcome);
        return ok({{"applied", outcome.applied},
                   {"skipped", outcome.skipped},
                   {"locked", outcome.locked},
                   {"staged", m_session.takeMode()}});
    }
    if (path == "modes/preview") {
        const auto name = text(in, "name");
        if (!name) return error(400, "\"name\" must be a string");
        const LoadOutcome outcome = m_session.previewMode(*name, owner);
        if (!outcome) return refusal(outcome);
        return ok({{"changes", outcome.applied}, {"locked", outcome.locked}});
    }
    if (path == "modes/save") {
        const auto name = text(in, "name");
        if (!name) return error(400, "\"name\" must be a string");
        const auto overwrite = in.find("overwrite");
        if (overwrite != in.end() && !overwrite->is_boolean())
            return error(400, "\"overwrite\" must be true or false");
        const bool replace = overwrite != in.end() && overwrite->get<bool>();
        const Outcome outcome = m_session.saveModeAs(owner, *name, replace);
        if (outcome.refusal == Refusal::BadName)
            return error(400, "bad_label", "a mode's name may hold letters, digits, '-', '.', '_'");
        return answer(outcome, {{"saved", *name}});
    }
    if (path == "modes/delete") {
        const auto name = text(in, "name");
        if (!name) return error(400, "\"name\" must be a string");
        return answer(m_session.removeMode(owner, *name), {{"deleted", *name}});
    }
    if (path == "layer") {
        const IntegerField value = integer(in, "layer");
        if (!value.present) return error(400, "\"layer\" must be 1, 2 or 3");
        const Outcome outcome = m_session.chooseLayer(value.value, owner);
        if (outcome.refusal == Refusal::OutOfRange)
            return error(400, "\"layer\" must be 1, 2 or 3");
        if (outcome.refusal == Refusal::Unavailable)
            return error(409, "unavailable", "this model has no layers");
        if (!outcome) return refusal(outcome);
        return ok({{"layer", layerJson(m_session.layer())}});
    }
    if (path == "takemode") {
        const auto it = in.find("on");
        if (it == in.end() || !it->is_boolean()) return error(400, "\"on\" must be true or false");
        const Outcome outcome = m_session.setTakeMode(owner, it->get<bool>());
        if (!outcome) return refusal(outcome);
        return ok({{"takeMode", m_session.takeMode()}});
    }
    if (path == "take") {
        const Outcome outcome = m_session.take(owner);
        if (outcome.refusal == Refusal::Unavailable) return ok({{"taken", false}});
        return answer(outcome, {{"taken", true}});
    }
    return answer(m_session.clearStaged(owner));  // "clear"
}

}  // namespace mc::web
