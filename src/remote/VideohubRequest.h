#pragma once

// A client's block turned into what it asks of the matrix. No Qt.
//
// Request lines (ports zero-based):
//   VIDEO OUTPUT ROUTING:  "<output> <input>", input -1 closes the output
//   INPUT LABELS:          "<input> <label>"   (the label may be empty)
//   OUTPUT LABELS:         "<output> <label>"
//   VIDEO OUTPUT LOCKS:    "<output> O|U|F"    lock, unlock own, force unlock
//   CONFIGURATION:         "Take Mode: true|false"
// A line with a port out of range, a non-number or an unknown form is
// ignored; a block left with no usable line is refused (NAK). A known header
// with no lines at all asks for that whole block (a dump).

#include "control/OutputLocks.h"
#include "remote/VideohubProtocol.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mc::remote {

// The server's blocks a client may ask for or send.
enum class BlockType {
    Preamble,
    Device,
    InputLabels,
    OutputLabels,
    Locks,
    Routing,
    Configuration,
};

std::optional<BlockType> blockType(std::string_view header);

struct RouteRequest {
    int output = 0;
    int input = 0;  // -1: close
};

struct LabelRequest {
    int port = 0;
    std::string label;
};

// One line of an output lock block.
struct LockItem {
    int output = 0;
    LockRequest request = LockRequest::Lock;
};

struct Request {
    enum class Kind {
        Nak,     // not understood: answer NAK, change nothing
        Ping,    // answer ACK
        Dump,    // answer ACK, then the whole block `type`
        Change,  // answer ACK after the items below reached the session
    };
    Kind kind = Kind::Nak;
    BlockType type = BlockType::Preamble;
    std::vector<RouteRequest> routes;
    std::vector<LabelRequest> labels;  // input or output labels, by `type`
    std::vector<LockItem> locks;
    std::optional<bool> takeMode;  // CONFIGURATION: the take mode asked for
};

// `item` as read; `inputs` and `outputs` are the matrix's port counts.
Request parseRequest(const ReadItem& item, int inputs, int outputs);

}  // namespace mc::remote
