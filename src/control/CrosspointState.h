#pragma once

// The crosspoint state of one build: which input feeds each output, which
// outputs are closed, the port counts, addresses, names and the name-list
// switches. It holds the switching rules of the grid's boxes (clickCell and
// its helpers) on port numbers; which part of the grid a window shows is the
// window's affair. It queues frames but never touches the serial port.
//
// Cells: MatrixOutputNum × (MatrixInputNum + 1) Selected flags, one byte each;
// cell [o][MatrixInputNum] is the close cell of output o.
//
// Outputs: when MatrixPattern is true every output is exclusive (at most one
// selected cell, counting the close cell). When it is false, output 0 is in
// cycle mode (any number of its inputs selected, sent as one cycle frame) and
// the others are exclusive. In every output the close cell is never selected
// together with an input.
//
// Lifetime: the session creates the state together with its command queue at
// every build and rebuild and destroys both together; the queue must outlive
// the state. UI-thread use only; not thread-safe.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "config/StartupSettings.h"
#include "protocol/QXRClass.h"
#include "store/SwitchNode.h"

namespace mc {

// Characters a port name holds (a name field keeps no more).
inline constexpr std::int32_t kPortNameMaxLength = 16;

// Outcome of CrosspointState::applyNodes.
struct ApplyResult {
    int applied = 0;  // nodes whose cell was selected and whose frame was queued
    int skipped = 0;  // nodes outside the state: nothing set, nothing queued
    int locked = 0;   // nodes of frozen (locked) outputs: nothing set, nothing queued

    bool operator==(const ApplyResult&) const = default;
};

class CrosspointState {
public:
    // Sizes the state for the settings' model, with the port counts clamped
    // to 1..256 (clampPortCount). Every Selected is 0 and the names are empty
    // (loadPortNames fills them). Queues nothing: see queueStartupFrames.
    CrosspointState(CommandQueue& queue, const StartupSettings& settings);
    CrosspointState(const CrosspointState&) = delete;
    CrosspointState& operator=(const CrosspointState&) = delete;

    // --- Fields any caller may change at any time -------------------------
    std::int32_t ActiveAddress = 0x52;     // address of every switching frame
    std::int32_t MatrixCustomAddress = 1;  // 1: no custom address
    std::int32_t MatrixAddress = 0x52;
    std::int32_t CircleTime = 1;          // seconds, for the cycle frame
    std::string MatrixCustomLogo;         // kept, shown nowhere
    bool MatrixPattern = false;           // true: every output exclusive
    bool MatrixInputEditEnable = false;   // input names in use
    bool MatrixOutputEditEnable = false;  // output names in use
    std::string CurrentModeName;          // element name of the last chosen mode

    // --- Fields with invariants: read here, changed by the operations below
    std::int32_t MatrixOutputNum() const { return m_outputs; }
    std::int32_t MatrixInputNum() const { return m_inputs; }
    // MatrixInputNum and MatrixOutputNum entries; empty: no name.
    const std::vector<std::string>& InputNames() const { return m_inputNames; }
    const std::vector<std::string>& OutputNames() const { return m_outputNames; }
    // Store a name without any change handling; false (nothing stored) when
    // the index lies outside the list.
    bool setInputName(std::int32_t input, std::string name);
    bool setOutputName(std::int32_t output, std::string name);
    // Input text / output text: the name, or the one-based number.
    std::string inputText(std::int32_t i) const;
    std::string outputText(std::int32_t o) const;

    // --- Cells -------------------------------------------------------------
    // REQUIRES: 0 <= o < MatrixOutputNum, 0 <= k <= MatrixInputNum; throws
    // std::out_of_range otherwise.
    bool selected(std::int32_t o, std::int32_t k) const;
    // Every Selected flag, output by output (MatrixInputNum + 1 per output,
    // the close cell last): a copy taken before a change tells afterwards
    // which outputs it touched (changedOutputs).
    const std::vector<std::uint8_t>& cells() const { return m_selected; }
    // The outputs whose cells differ from `before` (a copy of cells() of this
    // state), in node order.
    std::vector<std::int32_t> changedOutputs(const std::vector<std::uint8_t>& before) const;
    // The one input output o carries in `cells` (cells() or a copy of it), or
    // -1: closed, never switched, or (output 0 in cycle mode) several inputs.
    // REQUIRES: 0 <= o < MatrixOutputNum.
    std::int32_t routeOf(std::int32_t o, const std::vector<std::uint8_t>& cells) const;
    std::int32_t routeOf(std::int32_t o) const { return routeOf(o, m_selected); }
    // The cell as an object: InputIndex k and OutputIndex o, or for the close
    // cell (k == MatrixInputNum) InputIndex o and OutputIndex 255.
    TQXRClass cell(std::int32_t o, std::int32_t k) const;

    // --- Start-up ----------------------------------------------------------
    // The start-up frames: on/off (on) to MatrixAddress; ActiveAddress :=
    // MatrixAddress, or, when MatrixCustomAddress is not 1, ActiveAddress :=
    // MatrixCustomAddress, on/off (on) to it and the set-address frame to
    // MatrixAddress carrying it.
    void queueStartupFrames();

    // --- Switching (SwitchingRules.cpp) --------------------------------------
    // The click handler of the grid box of cell k of output o (k ==
    // MatrixInputNum: its close box), whose tick state after the click is
    // `ticked`. Changes only cells of output o. REQUIRES: 0 <= o <
    // MatrixOutputNum, 0 <= k <= MatrixInputNum.
    void clickCell(std::int32_t o, std::int32_t k, bool ticked);
    // Clears every selected cell of output o except index keep (an input, or
    // MatrixInputNum for the close cell). Queues nothing.
    // REQUIRES: 0 <= o < MatrixOutputNum.
    void ClearOtherSwitches(std::int32_t o, std::int32_t keep);
    // Sends the selection of output 0 in cycle mode: none selected closes it;
    // one input gives a switch frame, two or more one cycle frame.
    // REQUIRES: o == 0.
    void SendCycleSwitch(std::int32_t o);
    // The empty-output rule: an output with no selected cell is closed (close
    // cell selected, close frame queued). REQUIRES: 0 <= o < MatrixOutputNum.
    void CloseEmptyOutput(std::int32_t o);

    // Output o carries cell k only (an input, or MatrixInputNum: closed): the
    // other cells are cleared and k's switch or close frame is queued, also
    // when k was selected already; QueueMode::Replace queues it with
    // CommandQueue::appendReplacing. Output 0 in cycle mode becomes that one
    // input. REQUIRES: 0 <= o < MatrixOutputNum, 0 <= k <= MatrixInputNum.
    void routeOutput(std::int32_t o, std::int32_t k, QueueMode mode = QueueMode::Append);

    // Queues the frames that put output o's selection on the device again, as
    // clicks on its selected boxes would: a switch frame per selected input,
    // a close frame for a selected close cell, and output 0 in cycle mode as
    // SendCycleSwitch sends it. An output with nothing selected sends
    // nothing. Changes no cell; true when a frame was queued.
    // REQUIRES: 0 <= o < MatrixOutputNum.
    bool queueOutput(std::int32_t o);
    // queueOutput for every output, output 0 first.
    void queueSelection();

    // Output o's cells (MatrixInputNum + 1 flags, the close cell last), as
    // they are now or, from `cells`, as a copy of cells() held them.
    // REQUIRES: 0 <= o < MatrixOutputNum.
    using Row = std::vector<std::uint8_t>;
    Row row(std::int32_t o) const { return row(o, m_selected); }
    Row row(std::int32_t o, const std::vector<std::uint8_t>& cells) const;
    // Output o takes the cells of `row` again and queues them as clicks on
    // those boxes would (queueOutput); a row with nothing selected (never
    // switched) comes back as closed. REQUIRES: 0 <= o < MatrixOutputNum and
    // row.size() == MatrixInputNum + 1.
    void restoreRow(std::int32_t o, const Row& row);

    // --- Whole-state operations ---------------------------------------------
    // Every Selected 0, except in the outputs `keep` names (when given);
    // queues nothing.
    using OutputFilter = std::function<bool(std::int32_t output)>;
    void clearSelection(const OutputFilter& keep = {});
    // Every selected cell, output 0..N-1, within an output input 0 ..
    // MatrixInputNum (close cell last).
    std::vector<Node> selectedNodes() const;
    // For each node in order: outside the state (I not in 0..MatrixOutputNum-1
    // or J not in 0..MatrixInputNum) it is skipped; otherwise its cell is
    // selected and its close frame (J == MatrixInputNum) or switch frame
    // queued. Other cells are left as they are. Nodes of outputs `frozen`
    // names (when given) change nothing and are counted as locked.
    ApplyResult applyNodes(const std::vector<Node>& nodes, const OutputFilter& frozen = {});

private:
    std::size_t index(std::int32_t o, std::int32_t k) const;
    void checkCell(std::int32_t o, std::int32_t k) const;
    // The close box of output o becomes ticked: close cell selected, close
    // frame queued, every other cell of the output cleared.
    void closeBoxTicked(std::int32_t o, QueueMode mode = QueueMode::Append);

    CommandQueue& m_queue;
    TQXRClass m_scratch;  // builds every frame; its bytes depend only on the arguments
    std::int32_t m_outputs = 1;
    std::int32_t m_inputs = 1;
    std::vector<std::uint8_t> m_selected;  // m_outputs × (m_inputs + 1), 0 or 1
    std::vector<std::string> m_inputNames;
    std::vector<std::string> m_outputNames;
};

}  // namespace mc
