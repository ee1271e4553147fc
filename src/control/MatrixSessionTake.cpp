// MatrixSession: take mode, where clicks, modes and status files stage routes
// that take() then sends as one step.

#include <set>
#include <string>

#include "config/Settings.h"
#include "control/MatrixSession.h"
#include "store/ModeStore.h"
#include "text/Text.h"

namespace mc {

Outcome MatrixSession::setTakeMode(const std::string& owner, bool on) {
    if (m_closed || m_step.depth > 0) return Outcome::refused(Refusal::Busy);
    if (on == m_takeMode) return {};
    StepScope step(*this, owner);
    m_takeMode = on;
    if (!on) unstageAll();
    return guarded(owner, [&] { writeTakeModeSetting(m_paths, on); });
}

bool MatrixSession::carries(std::int32_t o, std::int32_t k, RouteLayer layer) const {
    const Carried wanted = k == m_state->MatrixInputNum() ? Carried::closed() : Carried::routed(k);
    const std::int32_t code = layerCodeOf(layer);
    for (const LineLayer table : m_line.tablesOf(code != 0 ? code : m_layer.checked)) {
        if (m_line.carried(table, o) != wanted) return false;
    }
    return true;
}

void MatrixSession::stage(std::int32_t o, std::int32_t k, RouteLayer layer) {
    const auto staged = m_staged.find(o);
    const auto how = m_stagedHow.find(o);
    const bool same =
        staged != m_staged.end() && staged->second == k &&
        (how == m_stagedHow.end() ? StagedHow{} : how->second) == StagedHow{layer, {}};
    if (how != m_stagedHow.end()) m_stagedHow.erase(how);
    if (same || carries(o, k, layer)) {
        if (staged != m_staged.end()) m_staged.erase(staged);
        return;
    }
    m_staged[o] = k;
    if (layer != RouteLayer::Operator) m_stagedHow[o] = {layer, {}};
}

std::vector<std::int32_t> MatrixSession::stagedCycle() const {
    const auto how = m_stagedHow.find(0);
    return how != m_stagedHow.end() ? how->second.cycle : std::vector<std::int32_t>{};
}

Outcome MatrixSession::stageRoute(const std::string& owner, std::int32_t output, std::int32_t input,
                                  RouteLayer layer) {
    if (auto refused = refuseOutput(owner, output)) return *refused;
    if (input < -1 || input >= m_state->MatrixInputNum())
        return Outcome::refused(Refusal::OutOfRange);
    if (!m_takeMode) return Outcome::refused(Refusal::Unavailable);
    StepScope step(*this, owner);
    stage(output, input == -1 ? m_state->MatrixInputNum() : input, layer);
    return {};
}

Outcome MatrixSession::clearStaged(const std::string& owner) {
    if (auto refused = busy()) return *refused;
    if (m_staged.empty()) return {};
    StepScope step(*this, owner);
    unstageAll();
    return {};
}

Outcome MatrixSession::take(const std::string& owner) {
    if (auto refused = busy()) return *refused;
    if (m_staged.empty()) return Outcome::refused(Refusal::Unavailable);
    StepScope step(*this, owner);
    m_step.entry.action = journal::kTake;
    std::vector<std::int32_t> locked;
    for (const auto& [output, cell] : m_staged) {
        if (heldByOther(output, owner)) {
            locked.push_back(output);
            continue;
        }
        const auto how = m_stagedHow.find(output);
        if (how == m_stagedHow.end()) {
            // A route, also on the cycle output: never added to a cycle.
            m_state->routeOutput(output, cell);
        } else if (!how->second.cycle.empty()) {
            // A stored cycle, as the mode or file holds it.
            CrosspointState::Row row(static_cast<std::size_t>(m_state->MatrixInputNum()) + 1, 0);
            for (const std::int32_t k : how->second.cycle)
                row[static_cast<std::size_t>(k)] = 1;
            m_state->restoreRow(output, row);
        } else {
            routeOn(output, cell, layerCodeOf(how->second.layer), QueueMode::Append);
        }
    }
    unstageAll();
    if (!locked.empty()) {
        setNote(formatText(translated("MatrixSession", "输出 %1 已被他人锁定，预选未执行"),
                           {outputNumbers(locked)}));
    }
    return {};
}

std::map<std::int32_t, std::set<std::int32_t>> MatrixSession::loadedCells(
    const std::vector<Node>& nodes, const std::string& owner, LoadOutcome& outcome) const {
    std::map<std::int32_t, std::set<std::int32_t>> cells;
    for (const Node& node : nodes) {
        if (node.I < 0 || node.I >= m_state->MatrixOutputNum() || node.J < 0 ||
            node.J > m_state->MatrixInputNum()) {
            ++outcome.skipped;
        } else if (heldByOther(node.I, owner)) {
            ++outcome.locked;
        } else {
            cells[node.I].insert(node.J);
        }
    }
    return cells;
}

LoadOutcome MatrixSession::stageLoaded(const std::vector<Node>& nodes, int unreadable,
                                       const std::string& owner) {
    LoadOutcome outcome;
    outcome.skipped = unreadable;
    for (const auto& [output, wanted] : loadedCells(nodes, owner, outcome)) {
        m_stagedHow.erase(output);
        if (wanted.size() != 1) {
            // Several cells: the cycle output's stored cycle, staged as one.
            if (output != 0 || m_state->MatrixPattern || wanted.contains(m_state->MatrixInputNum()))
                continue;
            const std::vector<std::int32_t> cycle(wanted.begin(), wanted.end());
            const Carried& now = m_line.carried(operatorTable(), 0);
            if (now.kind == Carried::Kind::Cycle &&
                std::set<std::int32_t>(now.inputs.begin(), now.inputs.end()) == wanted) {
                m_staged.erase(output);
                continue;
            }
            m_staged[output] = cycle.front();
            m_stagedHow[output] = {RouteLayer::Operator, cycle};
        } else if (carries(output, *wanted.begin())) {
            m_staged.erase(output);
            continue;
        } else {
            m_staged[output] = *wanted.begin();
        }
        ++outcome.applied;
    }
    return outcome;
}

LoadOutcome MatrixSession::previewMode(const std::string& modeName,
                                       const std::string& owner) const {
    if (auto refused = busy()) return *refused;
    ModeStore::ModeNodes mode;
    try {
        mode = ModeStore(m_paths.modeFile()).readMode(modeElementName(modeName));
    } catch (const std::exception& error) {
        m_paths.restoreCurrentDirectory();
        return Outcome::refused(Refusal::FileError, error.what());
    }
    m_paths.restoreCurrentDirectory();
    if (!mode.found) return Outcome::refused(Refusal::NotFound);
    LoadOutcome outcome;
    outcome.skipped = mode.unreadable;
    for (const auto& [output, wanted] : loadedCells(mode.nodes, owner, outcome))
        if (wanted.size() != 1 || !carries(output, *wanted.begin())) ++outcome.applied;
    return outcome;
}

}  // namespace mc
