// MatrixSession: take mode, where clicks, modes and status files stage routes
// that take() then sends as one step.

#include <set>
#include <string>

#include "config/Settings.h"
#include "control/MatrixSession.h"
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

namespace {

// True when output o shows cell k and nothing else.
bool showsAlone(const CrosspointState& state, std::int32_t o, std::int32_t k) {
    CrosspointState::Row alone(static_cast<std::size_t>(state.MatrixInputNum()) + 1, 0);
    alone[static_cast<std::size_t>(k)] = 1;
    return state.row(o) == alone;
}

}  // namespace

void MatrixSession::stage(std::int32_t o, std::int32_t k) {
    const auto staged = m_staged.find(o);
    if ((staged != m_staged.end() && staged->second == k) || showsAlone(*m_state, o, k)) {
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
        m_state->clickCell(output, cell, true);
    }
    m_staged.clear();
    if (!locked.empty()) {
        setNote(formatText(translated("MatrixSession", "输出 %1 已被他人锁定，预选未执行"),
                           {outputNumbers(locked)}));
    }
    return {};
}

LoadOutcome MatrixSession::stageLoaded(const std::vector<Node>& nodes, int unreadable,
                                       const std::string& owner) {
    LoadOutcome outcome;
    outcome.skipped = unreadable;
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
    for (const auto& [output, wanted] : cells) {
        // Several cells (the cycle output's inputs) cannot be staged as one.
        if (wanted.size() != 1) continue;
        if (showsAlone(*m_state, output, *wanted.begin())) {
            m_staged.erase(output);
            continue;
        }
        m_staged[output] = *wanted.begin();
        ++outcome.applied;
    }
    return outcome;
}

}  // namespace mc
