#pragma once

// What the simulated switcher makes of a frame, and the device state that
// frames change. Pure: no I/O, no clock. Numbers are zero-based, as on the wire.

#include <cstdint>
#include <map>
#include <optional>
#include <vector>

#include "protocol/FrameDecoder.h"

namespace mc::sim {

enum class FrameKind { OnOff, Switch, Close, Cycle, SetAddress, Layer, Unknown, Malformed };

// A decoded frame read as a command. Only the fields of its kind are set.
struct FrameMeaning {
    FrameKind kind = FrameKind::Malformed;
    std::uint8_t address = 0;
    bool on = false;               // OnOff
    int output = -1;               // Switch, Close
    int input = -1;                // Switch
    int cycleSeconds = 0;          // Cycle
    std::vector<int> cycleInputs;  // Cycle
    int newAddress = -1;           // SetAddress
    int layer = -1;                // Layer: 1 video, 2 audio, 3 both, anything else unknown
};

// Unknown for a well-formed frame of an unknown command, Malformed for any
// other fault (the decoder reports only those two kinds of faults with a
// complete header).
FrameMeaning interpret(const DecodedFrame& frame);

// The switcher: its address, power, crosspoints, cycle of the first output and
// switching layer.
//
// Addressing: on/off frames are recorded for whatever address they carry (the
// program switches a custom address on before it assigns it); every other
// frame acts only when it carries the device's current address. A set-address
// frame sent to the current address replaces it: from then on the device
// answers to the new address only.
class SwitcherState {
public:
    explicit SwitcherState(std::uint8_t address) : m_address(address) {}

    // Applies a frame; returns false when it was meant for another address
    // (an on/off frame is still recorded). Malformed and unknown frames are
    // counted and change nothing.
    bool apply(const FrameMeaning& meaning);

    std::uint8_t address() const { return m_address; }
    // Power as last commanded per address; nullopt when never commanded.
    std::optional<bool> power(std::uint8_t address) const;
    const std::map<std::uint8_t, bool>& powerByAddress() const { return m_power; }
    // Output -> its input, or nullopt when closed. Outputs never commanded
    // are absent.
    const std::map<int, std::optional<int>>& outputs() const { return m_outputs; }
    // Inputs the first output cycles through (empty: no cycling) and the
    // interval in seconds.
    const std::vector<int>& cycleInputs() const { return m_cycleInputs; }
    int cycleSeconds() const { return m_cycleSeconds; }
    // Last layer code received; 0 when none yet.
    int layer() const { return m_layer; }

    int frames() const { return m_frames; }
    int malformed() const { return m_malformed; }
    int otherAddress() const { return m_otherAddress; }

private:
    void stopCycle();

    std::uint8_t m_address;
    std::map<std::uint8_t, bool> m_power;
    std::map<int, std::optional<int>> m_outputs;
    std::vector<int> m_cycleInputs;
    int m_cycleSeconds = 0;
    int m_layer = 0;
    int m_frames = 0;
    int m_malformed = 0;
    int m_otherAddress = 0;
};

}  // namespace mc::sim
