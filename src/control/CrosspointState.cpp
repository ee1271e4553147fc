#include "control/CrosspointState.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace mc {

CrosspointState::CrosspointState(CommandQueue& queue, const StartupSettings& settings)
    : MatrixCustomAddress(settings.MatrixCustomAddress),
      MatrixAddress(settings.MatrixAddress),
      CircleTime(settings.CircleTime),
      MatrixCustomLogo(settings.MatrixCustomLogo),
      MatrixPattern(settings.MatrixPattern),
      MatrixInputEditEnable(settings.MatrixInputEditEnable),
      MatrixOutputEditEnable(settings.MatrixOutputEditEnable),
      m_queue(queue),
      m_outputs(clampPortCount(settings.MatrixOutputNum)),
      m_inputs(clampPortCount(settings.MatrixInputNum)),
      m_selected(static_cast<std::size_t>(m_outputs) * static_cast<std::size_t>(m_inputs + 1), 0),
      m_inputNames(static_cast<std::size_t>(m_inputs)),
      m_outputNames(static_cast<std::size_t>(m_outputs)) {
    ActiveAddress = MatrixCustomAddress != 1 ? MatrixCustomAddress : MatrixAddress;
}

bool CrosspointState::setInputName(std::int32_t input, std::string name) {
    if (input < 0 || input >= m_inputs) return false;
    m_inputNames[static_cast<std::size_t>(input)] = std::move(name);
    return true;
}

bool CrosspointState::setOutputName(std::int32_t output, std::string name) {
    if (output < 0 || output >= m_outputs) return false;
    m_outputNames[static_cast<std::size_t>(output)] = std::move(name);
    return true;
}

std::string CrosspointState::inputText(std::int32_t i) const {
    if (i >= 0 && i < m_inputs && !m_inputNames[static_cast<std::size_t>(i)].empty()) {
        return m_inputNames[static_cast<std::size_t>(i)];
    }
    return std::to_string(i + 1);
}

std::string CrosspointState::outputText(std::int32_t o) const {
    if (o >= 0 && o < m_outputs && !m_outputNames[static_cast<std::size_t>(o)].empty()) {
        return m_outputNames[static_cast<std::size_t>(o)];
    }
    return std::to_string(o + 1);
}

std::size_t CrosspointState::index(std::int32_t o, std::int32_t k) const {
    return static_cast<std::size_t>(o) * static_cast<std::size_t>(m_inputs + 1) +
           static_cast<std::size_t>(k);
}

void CrosspointState::checkCell(std::int32_t o, std::int32_t k) const {
    if (o < 0 || o >= m_outputs || k < 0 || k > m_inputs) {
        throw std::out_of_range("crosspoint cell [" + std::to_string(o) + "][" + std::to_string(k) +
                                "] is outside the matrix");
    }
}

bool CrosspointState::selected(std::int32_t o, std::int32_t k) const {
    checkCell(o, k);
    return m_selected[index(o, k)] != 0;
}

std::vector<std::int32_t> CrosspointState::changedOutputs(
    const std::vector<std::uint8_t>& before) const {
    std::vector<std::int32_t> changed;
    if (before.size() != m_selected.size()) return changed;
    const std::size_t width = static_cast<std::size_t>(m_inputs) + 1;
    for (std::int32_t o = 0; o < m_outputs; ++o) {
        const std::size_t row = index(o, 0);
        if (!std::equal(before.begin() + static_cast<std::ptrdiff_t>(row),
                        before.begin() + static_cast<std::ptrdiff_t>(row + width),
                        m_selected.begin() + static_cast<std::ptrdiff_t>(row))) {
            changed.push_back(o);
        }
    }
    return changed;
}

std::int32_t CrosspointState::routeOf(std::int32_t o,
                                      const std::vector<std::uint8_t>& cells) const {
    checkCell(o, 0);
    const std::size_t row = index(o, 0);
    std::int32_t routed = -1;
    for (std::int32_t k = 0; k < m_inputs && row + static_cast<std::size_t>(k) < cells.size();
         ++k) {
        if (cells[row + static_cast<std::size_t>(k)] == 0) continue;
        if (routed >= 0) return -1;  // several inputs: output 0 cycling
        routed = k;
    }
    return routed;
}

TQXRClass CrosspointState::cell(std::int32_t o, std::int32_t k) const {
    checkCell(o, k);
    TQXRClass result;
    if (k == m_inputs) {
        result.InputIndex = o;
        result.OutputIndex = 255;
    } else {
        result.InputIndex = k;
        result.OutputIndex = o;
    }
    result.Selected = m_selected[index(o, k)] != 0;
    return result;
}

void CrosspointState::queueStartupFrames() {
    m_scratch.SendOnOff(m_queue, MatrixAddress, true);
    if (MatrixCustomAddress == 1) {
        ActiveAddress = MatrixAddress;
    } else {
        ActiveAddress = MatrixCustomAddress;
        m_scratch.SendOnOff(m_queue, MatrixCustomAddress, true);
        m_scratch.SendAddress(m_queue, MatrixAddress, MatrixCustomAddress);
    }
}

CrosspointState::Row CrosspointState::row(std::int32_t o,
                                          const std::vector<std::uint8_t>& cells) const {
    checkCell(o, 0);
    const auto first = cells.begin() + static_cast<std::ptrdiff_t>(index(o, 0));
    return Row(first, first + m_inputs + 1);
}

void CrosspointState::restoreRow(std::int32_t o, const Row& row) {
    checkCell(o, 0);
    if (row.size() != static_cast<std::size_t>(m_inputs) + 1) return;
    std::copy(row.begin(), row.end(),
              m_selected.begin() + static_cast<std::ptrdiff_t>(index(o, 0)));
    if (std::find(row.begin(), row.end(), 1) == row.end()) {
        closeBoxTicked(o);
        return;
    }
    queueOutput(o);
}

void CrosspointState::clearSelection(const OutputFilter& keep) {
    if (!keep) {
        std::fill(m_selected.begin(), m_selected.end(), 0);
        return;
    }
    for (std::int32_t o = 0; o < m_outputs; ++o) {
        if (keep(o)) continue;
        const auto row = m_selected.begin() + static_cast<std::ptrdiff_t>(index(o, 0));
        std::fill(row, row + m_inputs + 1, 0);
    }
}

std::vector<Node> CrosspointState::selectedNodes() const {
    std::vector<Node> nodes;
    for (std::int32_t o = 0; o < m_outputs; ++o) {
        for (std::int32_t k = 0; k <= m_inputs; ++k) {
            if (m_selected[index(o, k)] != 0) nodes.push_back(Node{o, k});
        }
    }
    return nodes;
}

ApplyResult CrosspointState::applyNodes(const std::vector<Node>& nodes,
                                        const OutputFilter& frozen) {
    ApplyResult result;
    for (const Node& node : nodes) {
        if (node.I < 0 || node.I >= m_outputs || node.J < 0 || node.J > m_inputs) {
            ++result.skipped;
            continue;
        }
        if (frozen && frozen(node.I)) {
            ++result.locked;
            continue;
        }
        m_selected[index(node.I, node.J)] = 1;
        if (node.J == m_inputs) {
            m_scratch.SendCloseOutput(m_queue, ActiveAddress, node.I);
        } else {
            m_scratch.SendSwitch(m_queue, ActiveAddress, node.J, node.I);
        }
        ++result.applied;
    }
    return result;
}

}  // namespace mc
