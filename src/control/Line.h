#pragma once

// The line: what the device carries, per layer and output, as far as this
// program has sent. The switcher keeps two routing tables, video and audio;
// the layer frame chooses which of them the switch, close and cycle frames
// after it act on (1 video, 2 audio, 3 both). A model in pattern mode has one
// table, "all", that every frame acts on.
//
// The session feeds the line every frame it queues, in queue order
// (frameQueued), so an entry changes when its frame is queued, on the
// layer(s) the device is on at that point of the queue. A frame that a later
// route replaces in the queue is superseded by it here too. The tick marks of
// the grid are the operator's selection; the line is what clients see.
//
// Entries restored from a stored line are "last known" until a frame for
// that output and layer is queued.
//
// UI-thread use only; not thread-safe.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace mc {

enum class LineLayer : std::uint8_t { Video, Audio, All };

// "video", "audio" or "all".
const char* layerName(LineLayer layer);
std::optional<LineLayer> layerNamed(const std::string& name);

// What one output carries on one layer.
struct Carried {
    enum class Kind : std::uint8_t { Unknown, Input, Closed, Cycle };
    Kind kind = Kind::Unknown;
    std::int32_t input = -1;           // Input
    std::vector<std::int32_t> inputs;  // Cycle, in the frame's order
    std::int32_t seconds = 0;          // Cycle

    static Carried routed(std::int32_t input) { return {Kind::Input, input, {}, 0}; }
    static Carried closed() { return {Kind::Closed, -1, {}, 0}; }
    static Carried cycling(std::vector<std::int32_t> inputs, std::int32_t seconds) {
        return {Kind::Cycle, -1, std::move(inputs), seconds};
    }
    bool known() const { return kind != Kind::Unknown; }
    // The one input as clients show it: -1 for closed, unknown or cycling.
    std::int32_t clientInput() const { return kind == Kind::Input ? input : -1; }
    bool operator==(const Carried&) const = default;
};

struct LineEntry {
    Carried carried;
    bool lastKnown = false;      // restored from the stored line, not sent since
    std::int64_t changedAt = 0;  // milliseconds since the epoch; 0: never
    bool operator==(const LineEntry&) const = default;
};

// A change of one entry, first value and last, as gathered since the last
// takeChanges.
struct LineChange {
    LineLayer layer = LineLayer::Video;
    std::int32_t output = 0;
    Carried from;
    Carried to;
    // The entry was last known before its first change: a frame for it was
    // queued since (`to` may equal `from`: the stored value sent again).
    bool wasLastKnown = false;
};

class Line {
public:
    // Every entry unknown; the device's layer is not known (taken as video).
    void reset(std::int32_t outputs, bool pattern);
    bool pattern() const { return m_pattern; }
    std::int32_t outputs() const { return m_outputs; }
    // {All} in pattern mode, else {Video, Audio}.
    std::vector<LineLayer> layers() const;
    // REQUIRES: `layer` is one of layers() and 0 <= output < outputs().
    const LineEntry& entry(LineLayer layer, std::int32_t output) const;
    const Carried& carried(LineLayer layer, std::int32_t output) const {
        return entry(layer, output).carried;
    }
    const std::vector<LineEntry>& table(LineLayer layer) const;
    // The table a client's "video" means: video, or all in pattern mode.
    LineLayer videoTable() const { return m_pattern ? LineLayer::All : LineLayer::Video; }

    // The layer code (1..3) the device is on after the frames queued so far;
    // 0 while none was queued.
    std::int32_t deviceLayer() const { return m_deviceLayer; }
    // The device's layer is not known any more (it was power-cycled).
    void forgetDeviceLayer() { m_deviceLayer = 0; }
    // The tables a switch queued now acts on.
    std::vector<LineLayer> tablesNow() const;
    // The tables of the layer code 1..3 (pattern mode: all).
    std::vector<LineLayer> tablesOf(std::int32_t layerCode) const;

    // Follows one queued frame (its bytes as Frames.h lays them out, and the
    // output its tag names for a switch or close frame) at `now` (ms since
    // the epoch). Frames that set no route (on/off, set-address) change
    // nothing; a layer frame moves the device's layer.
    void frameQueued(const std::vector<std::uint8_t>& frame, std::int32_t output, std::int64_t now);
    // Output o's entries on every table are unknown (their frames were
    // dropped before they left). REQUIRES: 0 <= o < outputs().
    void forget(std::int32_t output);
    // Sets an entry as a stored line had it (last known, or not).
    void restore(LineLayer layer, std::int32_t output, const LineEntry& entry);

    // The entries changed since the last call, each once, in the order of
    // their first change; entries changed back to what they were are left out,
    // unless they were last known before (they are not any more).
    std::vector<LineChange> takeChanges();

private:
    void set(LineLayer layer, std::int32_t output, Carried carried, std::int64_t now);
    std::vector<LineEntry>& tableOf(LineLayer layer);

    bool m_pattern = false;
    std::int32_t m_outputs = 0;
    std::int32_t m_deviceLayer = 0;
    std::vector<LineEntry> m_video, m_audio;  // pattern mode: m_video is "all"
    // First value of each entry changed since takeChanges (and whether it was
    // last known then), and the order.
    std::map<std::pair<LineLayer, std::int32_t>, std::pair<Carried, bool>> m_before;
    std::vector<std::pair<LineLayer, std::int32_t>> m_order;
};

}  // namespace mc
