// MatrixSession: steps, the change event each one ends with and its journal
// line; errors and refusals; the device going away and coming back (what is
// queued again then).

#include <chrono>
#include <cstdio>
#include <exception>
#include <functional>
#include <set>
#include <string>
#include <utility>

#include "control/MatrixSession.h"
#include "text/Text.h"

namespace mc {

void MatrixSession::beginStep(const std::string& origin) {
    if (m_step.depth++ > 0) return;
    m_step.change = SessionChange{};
    m_step.change.origin = origin;
    m_step.entry = JournalEntry{};
    m_step.replaying = false;
    m_step.heldQueue = CommandQueue.get();
    // A network or web client's frames follow the queue's replacing rule.
    if (m_step.heldQueue != nullptr)
        m_step.heldQueue->hold(!origin.empty() && origin != kWindowOwner);
    m_step.layer = m_layer;
    m_step.note = m_note;
    m_step.port = m_portStatus;
    m_step.takeMode = m_takeMode;
    m_step.staged = m_staged;
    m_step.stagedHow = m_stagedHow;
    m_step.currentMode = currentModeName();
    if (m_state) {
        m_step.cells = m_state->cells();
        m_step.inputNames = m_state->InputNames();
        m_step.outputNames = m_state->OutputNames();
        m_step.inputNamesInUse = m_state->MatrixInputEditEnable;
        m_step.outputNamesInUse = m_state->MatrixOutputEditEnable;
    } else {
        m_step.cells.clear();
    }
}

namespace {

// The ports whose names differ, with their names and texts now.
std::vector<NameChange> changedNames(const std::vector<std::string>& before,
                                     const std::vector<std::string>& after,
                                     const std::function<std::string(std::int32_t)>& text) {
    std::vector<NameChange> changed;
    for (std::size_t k = 0; k < after.size() && k < before.size(); ++k) {
        if (after[k] == before[k]) continue;
        const auto port = static_cast<std::int32_t>(k);
        changed.push_back({port, after[k], text(port)});
    }
    return changed;
}

// The name of port `port` in names; "" when it has none.
std::string nameOf(const std::vector<std::string>& names, std::int32_t port) {
    return port >= 0 && static_cast<std::size_t>(port) < names.size()
               ? names[static_cast<std::size_t>(port)]
               : std::string();
}

// One side of a route's change as the journal keeps it: the input and its
// name, or what the output carried instead of one input.
void describe(const Carried& carried, const std::vector<std::string>& inputNames,
              std::int32_t& input, std::string& name, std::string& kind,
              std::vector<std::int32_t>& inputs) {
    input = carried.clientInput();
    switch (carried.kind) {
        case Carried::Kind::Input:
            name = nameOf(inputNames, carried.input);
            break;
        case Carried::Kind::Closed:
            kind = journal::kClosed;
            break;
        case Carried::Kind::Cycle:
            kind = journal::kCycle;
            inputs = carried.inputs;
            break;
        case Carried::Kind::Unknown:
            kind = journal::kUnknown;
            break;
    }
}

}  // namespace

std::string MatrixSession::outputNumbers(const std::vector<std::int32_t>& outputs) {
    std::string text;
    for (const std::int32_t output : outputs) {
        if (!text.empty()) text += "、";
        text += std::to_string(output + 1);
    }
    return text;
}

void MatrixSession::endStep() {
    if (--m_step.depth > 0) return;
    SessionChange change = std::move(m_step.change);
    m_step.change = SessionChange{};
    if (change.rebuilt) {
        const std::string origin = std::move(change.origin);
        change = SessionChange{};
        change.origin = origin;
        change.rebuilt = true;
    } else if (m_state && !m_step.cells.empty()) {
        change.selection = m_state->changedOutputs(m_step.cells);
        for (LineChange& route : m_line.takeChanges()) {
            if (route.from == route.to)
                change.confirmed.emplace_back(route.layer, route.output);
            else
                change.routes.push_back(
                    {route.layer, route.output, std::move(route.from), std::move(route.to)});
        }
        const CrosspointState& state = *m_state;
        change.inputNames = changedNames(m_step.inputNames, state.InputNames(),
                                         [&](std::int32_t i) { return state.inputText(i); });
        change.outputNames = changedNames(m_step.outputNames, state.OutputNames(),
                                          [&](std::int32_t o) { return state.outputText(o); });
        change.nameLists = m_step.inputNamesInUse != m_state->MatrixInputEditEnable ||
                           m_step.outputNamesInUse != m_state->MatrixOutputEditEnable;
    }
    if (!change.rebuilt) {
        if (m_layer != m_step.layer) change.layer = m_layer;
        if (m_takeMode != m_step.takeMode) change.takeMode = m_takeMode;
        if (m_staged != m_step.staged || m_stagedHow != m_step.stagedHow)
            change.staged = stagedRoutes();
        if (currentModeName() != m_step.currentMode) change.currentMode = currentModeName();
        if (m_portStatus.state != m_step.port.state) change.presence = m_portStatus.state;
        if (m_portStatus != m_step.port) change.port = m_portStatus;
    }
    if (change.rebuilt) m_line.takeChanges();  // views are made anew
    if (!change.routes.empty() && !change.selection.empty()) recordHistory(change);
    if (!change.routes.empty() || !change.confirmed.empty()) scheduleLineWrite();
    m_step.cells.clear();
    if (!m_step.entry.action.empty() && !change.rebuilt) journalStep(change);
    if (m_note != m_step.note && !change.rebuilt) change.note = m_note;
    if (m_step.heldQueue != nullptr) m_step.heldQueue->release();
    m_step.heldQueue = nullptr;
    if (!change.empty()) {
        // A copy: an observer may be detached by another's callback.
        const std::vector<ISessionObserver*> observers = m_observers;
        for (ISessionObserver* observer : observers)
            observer->sessionChanged(change);
    }
    showHeldErrors();
}

std::map<std::int32_t, std::int32_t> MatrixSession::stagedRoutes() const {
    std::map<std::int32_t, std::int32_t> routes;
    const std::int32_t closeCell = m_state ? m_state->MatrixInputNum() : -1;
    for (const auto& [output, cell] : m_staged)
        routes.emplace_hint(routes.end(), output, cell == closeCell ? -1 : cell);
    return routes;
}

void MatrixSession::journalStep(const SessionChange& change) {
    JournalEntry entry = std::move(m_step.entry);
    m_step.entry = JournalEntry{};
    // A name typed or sent as it was already changes nothing worth a line.
    if (entry.action == journal::kLabel && change.inputNames.empty() && change.outputNames.empty())
        return;
    journalNameEdit();  // a name typed before this step comes first
    entry.origin = change.origin.empty() ? std::string(kWindowOwner) : change.origin;
    // The input an output left has the name it had when the step began;
    // the output and its new input, the names the step leaves.
    for (const RouteChange& route : change.routes) {
        JournalChange& line = entry.changes.emplace_back();
        line.output = route.output;
        line.layer = layerName(route.layer);
        line.outputName = nameOf(m_state->OutputNames(), route.output);
        describe(route.from, m_step.inputNames, line.from, line.fromName, line.fromKind,
                 line.fromInputs);
        describe(route.to, m_state->InputNames(), line.to, line.toName, line.toKind, line.toInputs);
    }
    appendJournal(std::move(entry));
}

void MatrixSession::appendJournal(JournalEntry entry) {
    entry.time = std::chrono::system_clock::now();
    if (m_journal.append(entry)) {
        m_journalFailed = false;
    } else if (!m_journalFailed) {
        m_journalFailed = true;
        m_note = m_journal.error();
    }
}

// --- Errors and refusals -----------------------------------------------------------

std::optional<std::string> MatrixSession::attempt(const std::function<void()>& operation) {
    try {
        operation();
        return std::nullopt;
    } catch (const std::exception& error) {
        m_paths.restoreCurrentDirectory();
        return std::string(error.what());
    }
}

Outcome MatrixSession::reportError(const std::string& origin, const std::string& text) {
    if (origin.empty() || origin == kWindowOwner) {
        m_heldErrors.push_back(text);
        if (m_step.depth == 0) showHeldErrors();
    } else {
        setNote(formatText(translated("MatrixSession", "%1 的请求未完成：%2"), {origin, text}));
    }
    return Outcome::refused(Refusal::FileError, text);
}

Outcome MatrixSession::guarded(const std::string& origin, const std::function<void()>& operation) {
    if (const std::optional<std::string> error = attempt(operation))
        return reportError(origin, *error);
    return {};
}

void MatrixSession::showHeldErrors() {
    // Taken first: a dialog's event loop may bring requests that add more.
    while (!m_heldErrors.empty() && m_step.depth == 0) {
        const std::string text = std::move(m_heldErrors.front());
        m_heldErrors.erase(m_heldErrors.begin());
        m_prompts->showError(text);
    }
}

std::optional<Outcome> MatrixSession::busy() const {
    if (!m_state || m_closed || m_step.depth > 0) return Outcome::refused(Refusal::Busy);
    return std::nullopt;
}

std::optional<Outcome> MatrixSession::refuseOutput(const std::string& owner,
                                                   std::int32_t output) const {
    if (auto refused = busy()) return refused;
    if (output < 0 || output >= m_state->MatrixOutputNum())
        return Outcome::refused(Refusal::OutOfRange);
    if (heldByOther(output, owner)) return Outcome::refused(Refusal::Locked, m_locks.owner(output));
    return std::nullopt;
}

// --- The device away ------------------------------------------------------------------

void MatrixSession::portLost() {
    setPortState(PortState::Lost);
    if (!CommandQueue) return;
    for (const FrameTag& tag : CommandQueue->waitingTags())
        rememberAway(tag);
}

void MatrixSession::rememberAway(const FrameTag& tag) {
    switch (tag.kind) {
        case FrameTag::Kind::Route:
        case FrameTag::Kind::Cycle:
            m_awayOutputs.insert(tag.output);
            break;
        case FrameTag::Kind::Layer:
            m_awayLayer = true;
            break;
        case FrameTag::Kind::Other:
            break;
    }
}

void MatrixSession::portReconnected() {
    StepScope step(*this, kWindowOwner);
    takePortFigures();
    setPortState(PortState::Open);
    // An output (or the layer) whose newest frame still waits gets there by
    // itself: only what went to the dead port is queued again.
    bool layerWaiting = false;
    std::set<std::int32_t> waiting;
    if (CommandQueue) {
        for (const FrameTag& tag : CommandQueue->waitingTags()) {
            if (tag.kind == FrameTag::Kind::Layer) layerWaiting = true;
            if (tag.kind == FrameTag::Kind::Route || tag.kind == FrameTag::Kind::Cycle)
                waiting.insert(tag.output);
        }
    }
    int resent = 0;
    if (m_state) {
        if (m_awayLayer && !layerWaiting && queueCheckedLayer()) ++resent;
        for (const std::int32_t output : m_awayOutputs) {
            if (waiting.contains(output) || output >= m_state->MatrixOutputNum()) continue;
            if (m_state->queueOutput(output)) ++resent;
        }
    }
    m_awayOutputs.clear();
    m_awayLayer = false;
    if (resent == 0) {
        setNote(translated("MatrixSession", "串口已重新连接"));
        return;
    }
    m_step.entry.action = journal::kResend;
    m_step.entry.text = "串口已重新连接";
    setNote(formatText(translated("MatrixSession", "串口已重新连接，已重发 %1 项"),
                       {std::to_string(resent)}));
    portLog("serial port " + Comm1.openedPath() + ": resent " + std::to_string(resent) +
            " items changed while the device was away");
}

void MatrixSession::portLog(const std::string& line) const {
    if (m_options.portLog) {
        m_options.portLog(line);
    } else {
        std::fprintf(stderr, "%s\n", line.c_str());
    }
}

}  // namespace mc
