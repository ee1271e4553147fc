#include "SwitcherState.h"

#include "protocol/Frames.h"

namespace mc::sim {

FrameMeaning interpret(const DecodedFrame& frame) {
    FrameMeaning meaning;
    meaning.address = frame.address;
    if (frame.fault == FrameFault::UnknownCommand && frame.raw.size() >= kFrameOverhead &&
        frame.raw.size() == frame.raw[3] + kFrameOverhead &&
        frame.raw.back() == frameChecksum({frame.raw.data() + 1, frame.raw.size() - 2})) {
        meaning.kind = FrameKind::Unknown;
        return meaning;
    }
    if (!frame.ok()) {
        return meaning;
    }
    const auto& data = frame.data;
    switch (static_cast<FrameCommand>(frame.command)) {
        case FrameCommand::OnOff:
            meaning.kind = FrameKind::OnOff;
            meaning.on = data[0] != 0x00;
            break;
        case FrameCommand::Switch:
            meaning.kind = FrameKind::Switch;
            meaning.output = data[0];
            meaning.input = data[1];
            break;
        case FrameCommand::Close:
            meaning.kind = FrameKind::Close;
            meaning.output = data[0];
            break;
        case FrameCommand::Cycle:
            meaning.kind = FrameKind::Cycle;
            meaning.cycleSeconds = data[0] << 8 | data[1];
            meaning.cycleInputs.assign(data.begin() + 2, data.end());
            break;
        case FrameCommand::SetAddress:
            meaning.kind = FrameKind::SetAddress;
            meaning.newAddress = data[0];
            break;
        case FrameCommand::Layer:
            meaning.kind = FrameKind::Layer;
            meaning.layer = data[0];
            break;
    }
    return meaning;
}

std::optional<bool> SwitcherState::power(std::uint8_t address) const {
    const auto it = m_power.find(address);
    if (it == m_power.end()) {
        return std::nullopt;
    }
    return it->second;
}

bool SwitcherState::apply(const FrameMeaning& meaning) {
    ++m_frames;
    if (meaning.kind == FrameKind::Malformed || meaning.kind == FrameKind::Unknown) {
        ++m_malformed;
        return true;
    }
    if (meaning.kind == FrameKind::OnOff) {
        m_power[meaning.address] = meaning.on;
    }
    if (meaning.address != m_address) {
        ++m_otherAddress;
        return false;
    }
    switch (meaning.kind) {
        case FrameKind::Switch:
            m_outputs[meaning.output] = meaning.input;
            if (meaning.output == 0) {
                stopCycle();
            }
            break;
        case FrameKind::Close:
            m_outputs[meaning.output] = std::nullopt;
            if (meaning.output == 0) {
                stopCycle();
            }
            break;
        case FrameKind::Cycle:
            m_cycleInputs = meaning.cycleInputs;
            m_cycleSeconds = meaning.cycleSeconds;
            if (!m_cycleInputs.empty()) {
                m_outputs[0] = m_cycleInputs.front();  // the cycle starts at its first input
            }
            break;
        case FrameKind::SetAddress:
            m_address = static_cast<std::uint8_t>(meaning.newAddress);
            break;
        case FrameKind::Layer:
            m_layer = meaning.layer;
            break;
        case FrameKind::OnOff:
        case FrameKind::Unknown:
        case FrameKind::Malformed:
            break;
    }
    return true;
}

void SwitcherState::stopCycle() {
    m_cycleInputs.clear();
    m_cycleSeconds = 0;
}

}  // namespace mc::sim
