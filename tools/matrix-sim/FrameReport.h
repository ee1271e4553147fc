#pragma once

// How the simulated switcher shows what it received: one line per frame,
// either for people (one-based numbers) or as a JSON object (zero-based
// numbers, as on the wire), and dumps of the device state.
//
// Human line:  "+205.1 ms  EB 52 02 02 00 02 58  output 1 ← input 3  TOO-CLOSE"
//              (the first line shows "first" instead of the gap)
// JSON line:   {"gap_ms":205.1,"bytes":"EB 52 02 02 00 02 58","kind":"switch",
//               "address":82,"output":0,"input":2,"meaning":"output 1 ← input 3",
//               "flags":["TOO-CLOSE"]}
// Flags: MALFORMED (with "error" in JSON, the reason in parentheses for
// people), OTHER-ADDRESS, TOO-CLOSE.

#include <optional>
#include <string>
#include <vector>

#include "SwitcherState.h"
#include "protocol/FrameDecoder.h"

namespace mc::sim {

struct FrameReport {
    std::optional<double> gapMs;  // since the previous report; none for the first
    DecodedFrame frame;
    FrameMeaning meaning;
    bool otherAddress = false;
    bool tooClose = false;
};

// "output 3 ← input 5", "layer: video", ...; for a malformed frame the fault.
std::string meaningText(const FrameReport& report);
std::vector<std::string> flagNames(const FrameReport& report);
// Kind as named in JSON: "on-off", "switch", "close", "cycle", "set-address",
// "layer", "unknown", "malformed".
const char* kindName(FrameKind kind);

std::string humanLine(const FrameReport& report);
std::string jsonLine(const FrameReport& report);

// Several lines (each ending in a newline) for people; one JSON line
// {"dump":{...}} for machines.
std::string humanDump(const SwitcherState& state);
std::string jsonDump(const SwitcherState& state);

}  // namespace mc::sim
