#include "control/SwitchingLayer.h"

#include <stdexcept>
#include <string>

#include "config/AppPaths.h"
#include "config/Settings.h"
#include "control/CrosspointState.h"
#include "protocol/QXRClass.h"

namespace mc {

bool isLayer(std::int32_t value) {
    return value >= kLayerVideo && value <= kLayerVideoAndAudio;
}

namespace {

// Sets the current directory back to the program folder when it goes out of
// scope, so that a failed write restores it too.
class RestoreDirectory {
public:
    explicit RestoreDirectory(const AppPaths& paths) : m_paths(paths) {}
    ~RestoreDirectory() { m_paths.restoreCurrentDirectory(); }
    RestoreDirectory(const RestoreDirectory&) = delete;
    RestoreDirectory& operator=(const RestoreDirectory&) = delete;

private:
    const AppPaths& m_paths;
};

void writeLayer(std::int32_t layer, const AppPaths& paths) {
    RestoreDirectory restore(paths);
    writeLayerSetting(paths, layer);
}

// The layer frame, built on the first crosspoint cell as every frame is.
void queueLayer(std::int32_t layer, const CrosspointState& state, CommandQueue& queue) {
    state.cell(0, 0).SendLayer(queue, state.ActiveAddress, layer);
}

}  // namespace

void switchingLayerClick(std::int32_t layer, const AppPaths& paths, const CrosspointState& state,
                         CommandQueue& queue) {
    if (!isLayer(layer))
        throw std::invalid_argument("switching layer " + std::to_string(layer) + " is not 1..3");
    if (layer == kLayerVideo) {
        writeLayer(layer, paths);
        queueLayer(layer, state, queue);
    } else {
        queueLayer(layer, state, queue);
        writeLayer(layer, paths);
    }
}

void queueLayerFrame(std::int32_t layer, const CrosspointState& state, CommandQueue& queue) {
    if (!isLayer(layer))
        throw std::invalid_argument("switching layer " + std::to_string(layer) + " is not 1..3");
    queueLayer(layer, state, queue);
}

LayerStartup startupLayerSelection(bool matrixPattern, std::int32_t storedValue,
                                   std::int32_t checkedNow) {
    LayerStartup decision;
    decision.check = kLayerNone;
    if (matrixPattern) {
        decision.enabled = false;
        return decision;
    }
    decision.enabled = true;
    if (isLayer(storedValue)) {
        decision.check = storedValue;
        decision.runClick = storedValue != checkedNow;
    }
    return decision;
}

}  // namespace mc
