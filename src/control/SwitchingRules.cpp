// The switching rules of the grid: what a click on a grid box does to the
// crosspoint state and which frames it queues.
//
// Where the rules "tick the close box with its click handler attached" (the
// empty-output rule and the empty case of the cycle output), the state runs
// the close box's click itself (closeBoxTicked), at the point where the nested
// click would run, wherever the window's page is, so the device never keeps
// routing an input the operator has just unticked.

#include <algorithm>
#include <vector>

#include "control/CrosspointState.h"

namespace mc {

void CrosspointState::clickCell(std::int32_t o, std::int32_t i, bool ticked) {
    checkCell(o, i);
    const bool cycleOutput = !MatrixPattern && o == 0;

    if (i == m_inputs) {
        if (ticked) {
            closeBoxTicked(o);
        } else {
            m_selected[index(o, m_inputs)] = 0;
            CloseEmptyOutput(o);
        }
        return;
    }

    if (cycleOutput) {
        m_selected[index(0, i)] = ticked ? 1 : 0;
        if (ticked) m_selected[index(0, m_inputs)] = 0;
        SendCycleSwitch(0);
        return;
    }

    if (ticked) {
        m_selected[index(o, i)] = 1;
        m_scratch.SendSwitch(m_queue, ActiveAddress, i, o);
        ClearOtherSwitches(o, i);
    } else {
        m_selected[index(o, i)] = 0;
        CloseEmptyOutput(o);
    }
}

void CrosspointState::routeOutput(std::int32_t o, std::int32_t k, QueueMode mode) {
    checkCell(o, k);
    if (k == m_inputs) {
        closeBoxTicked(o, mode);
        return;
    }
    m_selected[index(o, k)] = 1;
    m_scratch.SendSwitch(m_queue, ActiveAddress, k, o, mode);
    ClearOtherSwitches(o, k);
}

void CrosspointState::closeBoxTicked(std::int32_t o, QueueMode mode) {
    m_selected[index(o, m_inputs)] = 1;
    m_scratch.SendCloseOutput(m_queue, ActiveAddress, o, mode);
    ClearOtherSwitches(o, m_inputs);
}

void CrosspointState::ClearOtherSwitches(std::int32_t o, std::int32_t keep) {
    checkCell(o, 0);
    const std::size_t row = index(o, 0);
    for (std::int32_t k = 0; k <= m_inputs; ++k) {
        if (k != keep) m_selected[row + static_cast<std::size_t>(k)] = 0;
    }
}

void CrosspointState::SendCycleSwitch(std::int32_t o) {
    checkCell(o, 0);
    // Inputs only: the close cell is never selected together with an input,
    // and a close cell taken as input MatrixInputNum would switch a port that
    // does not exist.
    std::vector<std::int32_t> inputs;
    for (std::int32_t k = 0; k < m_inputs; ++k) {
        if (m_selected[index(o, k)] != 0) inputs.push_back(k);
    }
    if (inputs.empty()) {
        closeBoxTicked(o);
        return;
    }
    m_selected[index(o, m_inputs)] = 0;
    if (inputs.size() == 1) {
        m_scratch.SendSwitch(m_queue, ActiveAddress, inputs.front(), o);
    } else {
        m_scratch.SendCycle(m_queue, ActiveAddress, inputs,
                            static_cast<std::int32_t>(inputs.size()), CircleTime);
    }
}

bool CrosspointState::queueOutput(std::int32_t o) {
    checkCell(o, 0);
    const std::size_t row = index(o, 0);
    const auto first = m_selected.begin() + static_cast<std::ptrdiff_t>(row);
    const auto last = first + m_inputs + 1;
    if (std::find(first, last, 1) == last) return false;
    if (!MatrixPattern && o == 0) {
        SendCycleSwitch(0);
        return true;
    }
    for (std::int32_t k = 0; k <= m_inputs; ++k) {
        if (m_selected[row + static_cast<std::size_t>(k)] == 0) continue;
        if (k == m_inputs) {
            m_scratch.SendCloseOutput(m_queue, ActiveAddress, o);
        } else {
            m_scratch.SendSwitch(m_queue, ActiveAddress, k, o);
        }
    }
    return true;
}

void CrosspointState::queueSelection() {
    for (std::int32_t o = 0; o < m_outputs; ++o)
        queueOutput(o);
}

void CrosspointState::CloseEmptyOutput(std::int32_t o) {
    checkCell(o, 0);
    const std::size_t row = index(o, 0);
    for (std::int32_t k = 0; k <= m_inputs; ++k) {
        if (m_selected[row + static_cast<std::size_t>(k)] != 0) return;
    }
    closeBoxTicked(o);
}

void CrosspointState::queueCarried(std::int32_t o, const Carried& carried) {
    checkCell(o, 0);
    switch (carried.kind) {
        case Carried::Kind::Input:
            m_scratch.SendSwitch(m_queue, ActiveAddress, carried.input, o);
            break;
        case Carried::Kind::Closed:
            m_scratch.SendCloseOutput(m_queue, ActiveAddress, o);
            break;
        case Carried::Kind::Cycle:
            if (o == 0)
                m_scratch.SendCycle(m_queue, ActiveAddress, carried.inputs,
                                    static_cast<std::int32_t>(carried.inputs.size()),
                                    carried.seconds);
            break;
        case Carried::Kind::Unknown:
            break;
    }
}

}  // namespace mc
