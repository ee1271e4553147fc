// MatrixSession: undo and redo of the window operator's routing steps, and
// an output's return to the input it had before its last change.

#include <string>
#include <utility>

#include "control/MatrixSession.h"
#include "text/Text.h"

namespace mc {

namespace {

bool isUndoable(const std::string& action) {
    return action == journal::kRoute || action == journal::kClose || action == journal::kMode ||
           action == journal::kStatusFile || action == journal::kTake;
}

}  // namespace

std::vector<Carried> MatrixSession::carriedAt(std::int32_t o) const {
    std::vector<Carried> carried;
    for (const LineLayer table : m_line.layers())
        carried.push_back(m_line.carried(table, o));
    return carried;
}

void MatrixSession::recordHistory(const SessionChange& change) {
    HistoryStep step;
    for (const std::int32_t output : change.selection) {
        CrosspointState::Row before = m_state->row(output, m_step.cells);
        step.push_back(
            {output, m_state->row(output), before, carriedAt(output), m_line.deviceLayer()});
        m_previousRows[static_cast<std::size_t>(output)] = std::move(before);
    }
    if (m_step.replaying || change.origin != kWindowOwner || !isUndoable(m_step.entry.action))
        return;
    m_undo.push_back(std::move(step));
    if (m_undo.size() > kUndoSteps) m_undo.pop_front();
    m_redo.clear();
}

bool MatrixSession::undo() {
    return replay(m_undo, m_redo, journal::kUndo);
}

bool MatrixSession::redo() {
    return replay(m_redo, m_undo, journal::kRedo);
}

bool MatrixSession::replay(std::deque<HistoryStep>& from, std::deque<HistoryStep>& to,
                           const char* action) {
    if (!m_state || from.empty()) return false;
    const HistoryStep step = std::move(from.back());
    from.pop_back();
    StepScope scope(*this, kWindowOwner);
    m_step.replaying = true;
    m_step.entry.action = action;
    HistoryStep done;
    std::vector<std::int32_t> left;
    // An output someone switched since (what the line carries differs) is
    // left alone; one whose ticks only were cleared (a new mode) is not.
    for (const RowChange& change : step) {
        if (carriedAt(change.output) != change.carried ||
            heldByOther(change.output, kWindowOwner)) {
            left.push_back(change.output);
            continue;
        }
        moveDeviceTo(change.layerCode);  // the layer the step acted on
        m_state->restoreRow(change.output, change.then);
        done.push_back({change.output, m_state->row(change.output), change.now,
                        carriedAt(change.output), change.layerCode});
    }
    if (!done.empty()) moveDeviceTo(m_layer.checked);
    if (!done.empty()) {
        to.push_back(std::move(done));
        if (to.size() > kUndoSteps) to.pop_front();
    }
    if (!left.empty()) {
        const bool undo = action == std::string(journal::kUndo);
        setNote(
            formatText(undo ? translated("MatrixSession", "输出 %1 已被改动或被他人锁定，未撤销")
                            : translated("MatrixSession", "输出 %1 已被改动或被他人锁定，未重做"),
                       {outputNumbers(left)}));
    }
    return true;
}

bool MatrixSession::hasPreviousInput(std::int32_t output) const {
    return output >= 0 && static_cast<std::size_t>(output) < m_previousRows.size() &&
           !m_previousRows[static_cast<std::size_t>(output)].empty();
}

bool MatrixSession::returnToPreviousInput(std::int32_t output) {
    if (!m_state || !hasPreviousInput(output) || heldByOther(output, kWindowOwner)) return false;
    const CrosspointState::Row previous = m_previousRows[static_cast<std::size_t>(output)];
    StepScope step(*this, kWindowOwner);
    m_step.entry.action = journal::kRoute;
    m_state->restoreRow(output, previous);
    return true;
}

}  // namespace mc
