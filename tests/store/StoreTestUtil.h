#pragma once

// Helpers of the store tests: a program folder per test with its
// configuration folder, a crosspoint state with its queue, and the layer frame.

#include <filesystem>
#include <string>
#include <vector>

#include "config/AppPaths.h"
#include "config/ConfigTestUtil.h"
#include "control/ControlTestUtil.h"
#include "protocol/Frames.h"

namespace mc::test {

inline Bytes layerFrame(std::int32_t address, std::int32_t layer) {
    Bytes out;
    composeLayer(out, address, layer);
    return out;
}

// A temporary program folder whose configuration folder exists.
struct ProgramFolder {
    ProgramFolder() { std::filesystem::create_directories(paths.configDir()); }

    TempDir dir;
    AppPaths paths{dir.path()};
};

// Selects the given nodes in a fresh grid and discards their frames.
inline void select(Grid& grid, const std::vector<Node>& nodes) {
    grid->applyNodes(nodes);
    grid.frames();
}

}  // namespace mc::test
