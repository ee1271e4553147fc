#pragma once

// The bookkeeping of MatrixSession's steps and of its undo history: plain
// values, private to the session's implementation.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "control/CrosspointState.h"
#include "control/Line.h"
#include "control/PortStatus.h"
#include "control/SessionObserver.h"
#include "control/SessionTypes.h"
#include "protocol/MatrixComm.h"
#include "store/Journal.h"

namespace mc {

// How a staged output is to be taken when it is not a plain route on the
// operator's layer: on another layer, or (output 0) as a stored cycle.
struct StagedHow {
    RouteLayer layer = RouteLayer::Operator;
    std::vector<std::int32_t> cycle;  // the cycle's cells; empty: one cell
    bool operator==(const StagedHow&) const = default;
};

// One step while it runs (see MatrixSession::StepScope).
struct SessionStep {
    int depth = 0;
    SessionChange change;
    // What the journal gets: a step with an action is written down, with
    // the frames it queued, before the queue (held while the step runs)
    // lets any of them go. The origin is the change's; time and changes
    // are filled in at the end.
    JournalEntry entry;
    mc::CommandQueue* heldQueue = nullptr;
    std::vector<std::uint8_t> cells;  // as the step found them; empty without a state
    std::vector<std::string> inputNames;
    std::vector<std::string> outputNames;
    bool inputNamesInUse = false;
    bool outputNamesInUse = false;
    bool replaying = false;  // an undo or redo: not recorded for undo
    LayerView layer;
    std::string note;
    PortStatus port;
    bool takeMode = false;
    std::map<std::int32_t, std::int32_t> staged;
    std::map<std::int32_t, StagedHow> stagedHow;
    std::string currentMode;
};

// An output's cells as one step changed them: `now` is what it must still
// hold for the change to be taken back, `then` what it goes back to.
struct RowChange {
    std::int32_t output = 0;
    CrosspointState::Row now;
    CrosspointState::Row then;
    // What the line carried on each of its tables after the step: the
    // output is left alone when this no longer holds (someone changed it).
    std::vector<Carried> carried;
    std::int32_t layerCode = 0;  // the device's layer the step acted on
};
using HistoryStep = std::vector<RowChange>;

}  // namespace mc
