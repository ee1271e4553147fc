#pragma once

// Helpers of the store tests: a program folder per test with its
// configuration folder and a crosspoint state with its queue.

#include <filesystem>
#include <string>
#include <vector>

#include "config/AppPaths.h"
#include "config/ConfigTestUtil.h"
#include "control/ControlTestUtil.h"
#include "protocol/Frames.h"
#include "store/ModeStore.h"

namespace mc::test {

// A temporary program folder whose configuration folder exists.
struct ConfigFolder {
    ConfigFolder() { std::filesystem::create_directories(paths.configDir()); }

    TempDir dir;
    AppPaths paths{dir.path()};
};

// Selects the given nodes in a fresh grid and discards their frames.
inline void select(Grid& grid, const std::vector<Node>& nodes) {
    grid->applyNodes(nodes);
    grid.frames();
}

// Reads mode elementName and applies it to the grid as the session does, the
// window going back to its first page: selection cleared, then the nodes;
// unreadable nodes count as skipped.
inline ApplyResult applyModeTo(const ModeStore& store, const std::string& elementName, Grid& grid) {
    const ModeStore::ModeNodes mode = store.readMode(elementName);
    grid.page->returnToFirstPage();
    grid->clearSelection();
    ApplyResult result = grid->applyNodes(mode.nodes);
    result.skipped += mode.unreadable;
    return result;
}

}  // namespace mc::test
