// MatrixSession: steps, and the change event each one ends with.

#include <utility>

#include "control/MatrixSession.h"

namespace mc {

void MatrixSession::beginStep(const std::string& origin) {
    if (m_step.depth++ > 0) return;
    m_step.change = SessionChange{};
    m_step.change.origin = origin;
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

std::vector<std::int32_t> changedNames(const std::vector<std::string>& before,
                                       const std::vector<std::string>& after) {
    std::vector<std::int32_t> changed;
    for (std::size_t k = 0; k < after.size() && k < before.size(); ++k) {
        if (after[k] != before[k]) changed.push_back(static_cast<std::int32_t>(k));
    }
    return changed;
}

}  // namespace

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
        for (const std::int32_t o : m_state->changedOutputs(m_step.cells))
            change.routes.push_back({o, m_state->routeOf(o, m_step.cells), m_state->routeOf(o)});
        change.inputNames = changedNames(m_step.inputNames, m_state->InputNames());
        change.outputNames = changedNames(m_step.outputNames, m_state->OutputNames());
        change.nameLists = m_step.inputNamesInUse != m_state->MatrixInputEditEnable ||
                           m_step.outputNamesInUse != m_state->MatrixOutputEditEnable;
    }
    m_step.cells.clear();
    if (change.empty()) return;
    // A copy: an observer may be detached by another's callback.
    const std::vector<ISessionObserver*> observers = m_observers;
    for (ISessionObserver* observer : observers)
        observer->sessionChanged(change);
}

}  // namespace mc
