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
    if (!on) m_staged.clear();
    return guarded(owner, [&] { writeTakeModeSetting(m_paths, on); });
}

bool MatrixSession::carries(std::int32_t o, std::int32_t k) const {
    const Carried wanted = k == m_state->MatrixInputNum() ? Carried::closed() : Carried::routed(k);
    for (const LineLayer table : m_line.tablesOf(m_layer.checked)) {
        if (m_line.carried(table, o) != wanted) return false;
    }
    return true;
}

void MatrixSession::stage(std::int32_t o, std::int32_t k) {
    const auto staged = m_staged.find(o);
    if ((staged != m_staged.end() && staged->second == k) || carries(o, k)) {
        if (staged == m_staged.end()) return;
        m_staged.erase(staged);
    } else {
        m_staged[o] = k;
    }
}

Outcome MatrixSession::stageRoute(const std::string& owner, std::int32_t output,
                                  std::int32_t input) {
    if (auto refused = refuseOutput(owner, output)) return *refused;
    if (input < -1 || input >= m_state->MatrixInputNum())
        return Outcome::refused(Refusal::OutOfRange);
    if (!m_takeMode) return Outcome::refused(Refusal::Unavailable);
    StepScope step(*this, owner);
    stage(output, input == -1 ? m_state->MatrixInputNum() : input);
    return {};
}

Outcome MatrixSession::clearStaged(const std::string& owner) {
    if (auto refused = busy()) return *refused;
    if (m_staged.empty()) return {};
    StepScope step(*this, owner);
    m_staged.clear();
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
        // A route, also on the cycle output: never added to a cycle.
        m_state->routeOutput(output, cell);
    }
    m_staged.clear();
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
        // Several cells (the cycle output's inputs) cannot be staged as one.
        if (wanted.size() != 1) continue;
        if (carries(output, *wanted.begin())) {
            m_staged.erase(output);
            continue;
        }
        m_staged[output] = *wanted.begin();
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
