#pragma once

// Helpers shared by the control core tests: a state with its queue, frames
// taken from the queue as bytes, and the expected frames.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "control/CrosspointState.h"
#include "control/GridPage.h"
#include "protocol/Frames.h"
#include "protocol/QXRClass.h"

namespace mc::test {

using Bytes = std::vector<std::uint8_t>;

// Every record waiting in the queue, oldest first; the queue is empty after.
inline std::vector<Bytes> takeFrames(CommandQueue& queue) {
    std::vector<Bytes> frames;
    while (auto record = queue.take()) {
        frames.emplace_back(record->Data.begin(), record->Data.begin() + record->DataLength);
    }
    return frames;
}

inline Bytes switchFrame(std::int32_t address, std::int32_t input, std::int32_t output) {
    Bytes out;
    composeSwitch(out, address, input, output);
    return out;
}

inline Bytes closeFrame(std::int32_t address, std::int32_t output) {
    Bytes out;
    composeClose(out, address, output);
    return out;
}

inline Bytes cycleFrame(std::int32_t address, std::vector<std::int32_t> inputs,
                        std::int32_t cycleTime) {
    Bytes out;
    composeCycle(out, address, std::span<const std::int32_t>(inputs), cycleTime);
    return out;
}

inline Bytes onOffFrame(std::int32_t address) {
    Bytes out;
    composeOnOff(out, address, true);
    return out;
}

inline Bytes setAddressFrame(std::int32_t address, std::int32_t newAddress) {
    Bytes out;
    composeSetAddress(out, address, newAddress);
    return out;
}

inline Bytes layerFrame(std::int32_t address, std::int32_t layer) {
    Bytes out;
    composeLayer(out, address, layer);
    return out;
}

inline StartupSettings model(std::int32_t inputs, std::int32_t outputs, bool pattern = false) {
    StartupSettings settings;
    settings.MatrixInputNum = inputs;
    settings.MatrixOutputNum = outputs;
    settings.MatrixPattern = pattern;
    return settings;
}

// A state with its own queue (declared first so it outlives the state), and
// the page of the grid a window would show of it.
struct Grid {
    explicit Grid(const StartupSettings& settings)
        : queue(std::make_unique<CommandQueue>()),
          state(std::make_unique<CrosspointState>(*queue, settings)),
          page(std::make_unique<GridPage>(*state)) {}

    std::vector<Bytes> frames() { return takeFrames(*queue); }
    CrosspointState& operator*() { return *state; }
    CrosspointState* operator->() { return state.get(); }

    // The window's click on box [r][c] of the page shown; a hidden box or one
    // outside the grid does nothing.
    void click(std::int32_t r, std::int32_t c, bool ticked) {
        if (const auto cell = page->cellAt(r, c))
            state->clickCell(cell->output, cell->cell, ticked);
    }
    // The operator typed `text` into input name field c / output name field r
    // of the page shown; false for a hidden field.
    bool typeInputName(std::int32_t c, const std::string& text) {
        const auto input = page->inputAt(c);
        if (!input) return false;
        state->setInputName(*input, text);
        state->MatrixInputEditEnable = true;
        return true;
    }
    bool typeOutputName(std::int32_t r, const std::string& text) {
        const auto output = page->outputAt(r);
        if (!output) return false;
        state->setOutputName(*output, text);
        state->MatrixOutputEditEnable = true;
        return true;
    }

    std::unique_ptr<CommandQueue> queue;
    std::unique_ptr<CrosspointState> state;
    std::unique_ptr<GridPage> page;
};

// The selected cells of output o as indices (the close cell as MatrixInputNum).
inline std::vector<std::int32_t> selectedOf(const CrosspointState& state, std::int32_t o) {
    std::vector<std::int32_t> result;
    for (std::int32_t k = 0; k <= state.MatrixInputNum(); ++k) {
        if (state.selected(o, k)) result.push_back(k);
    }
    return result;
}

}  // namespace mc::test
