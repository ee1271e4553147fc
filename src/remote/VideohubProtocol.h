#pragma once

// The text protocol a router control client speaks to this program over TCP:
// reading the client's blocks and writing the server's. No Qt.
//
// Format. Text in UTF-8; a line ends with "\n" (a "\r" before it is dropped).
// A block is a header line in capitals ending with ':', zero or more lines,
// and one blank line:
//
//   VIDEO OUTPUT ROUTING:
//   7 2
//   <blank>
//
// Blank lines between blocks are ignored. Ports are zero-based everywhere.
// The server's blocks, in the order a client receives them on connect:
// PROTOCOL PREAMBLE, VIDEOHUB DEVICE, INPUT LABELS, OUTPUT LABELS,
// VIDEO OUTPUT LOCKS, VIDEO OUTPUT ROUTING, CONFIGURATION, END PRELUDE;
// after each request ACK or NAK (a header with no lines and no blank line
// before its own terminating blank line: "ACK\n\n").

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace mc::remote {

// One block as a client sent it.
struct Block {
    std::string header;              // without its ':'
    std::vector<std::string> lines;  // clean lines, "\r" removed
    std::size_t ignoredLines = 0;    // lines dropped: control bytes or invalid UTF-8
};

// Why a block cannot be used; the server answers it NAK.
enum class ReadError {
    BadHeader,      // not capitals ending with ':', or binary junk
    LineTooLong,    // a line over kMaxLineBytes
    TooManyLines,   // over kMaxBlockLines lines
    BlockTooLarge,  // over kMaxBlockBytes of line text
};

struct ReadItem {
    Block block;                     // header and what was kept; empty on error
    std::optional<ReadError> error;  // set: the whole block is to be refused
};

// Incremental reader of a client's byte stream. Bytes may arrive in any
// chunks; a complete item is produced when a block's blank line arrives.
// Memory stays bounded whatever arrives: a too long line or block is not
// stored, only remembered as an error and skipped up to the block's end.
class BlockReader {
public:
    static constexpr std::size_t kMaxLineBytes = 4096;
    static constexpr std::size_t kMaxBlockLines = 1024;
    static constexpr std::size_t kMaxBlockBytes = 256 * 1024;

    // Consumes bytes from the front of `input` up to and including the blank
    // line that completes an item, and returns that item; `input` is left
    // with what follows. Returns nullopt when `input` ran out first (it is
    // then empty; the unfinished line and block are kept for the next call).
    std::optional<ReadItem> read(std::string_view& input);

    // True while a block is started but not finished.
    bool inBlock() const { return m_inBlock; }

private:
    std::optional<ReadItem> takeLine();
    void reset();

    std::string m_line;
    bool m_lineTooLong = false;
    bool m_inBlock = false;
    ReadItem m_item;
    std::size_t m_blockBytes = 0;
};

// True when `text` is valid UTF-8 (no overlong forms, surrogates or code
// points over U+10FFFF) without control characters other than tab.
bool isCleanText(std::string_view text);

// Output lock as one client sees it.
enum class LockView : char { Own = 'O', Other = 'L', Unlocked = 'U' };

struct DeviceInfo {
    bool present = false;
    std::string modelName;
    std::string friendlyName;
    std::string uniqueId;
    int inputs = 0;
    int outputs = 0;
};

// Header texts, without ':'.
inline constexpr std::string_view kPreamble = "PROTOCOL PREAMBLE";
inline constexpr std::string_view kDevice = "VIDEOHUB DEVICE";
inline constexpr std::string_view kInputLabels = "INPUT LABELS";
inline constexpr std::string_view kOutputLabels = "OUTPUT LABELS";
inline constexpr std::string_view kLocks = "VIDEO OUTPUT LOCKS";
inline constexpr std::string_view kRouting = "VIDEO OUTPUT ROUTING";
inline constexpr std::string_view kConfiguration = "CONFIGURATION";
inline constexpr std::string_view kEndPrelude = "END PRELUDE";
inline constexpr std::string_view kPing = "PING";

// Writers of the server's blocks, each with its terminating blank line.
std::string preambleBlock();  // Version: 2.8
// The version the prelude gives ("2.8").
std::string protocolVersion();
// A present device lists its description; an absent one only
// "Device present: false", as the protocol has it.
std::string deviceBlock(const DeviceInfo& device);
// `header` is kInputLabels or kOutputLabels. Labels have control characters
// and invalid UTF-8 replaced so that a label is always one line.
std::string labelsBlock(std::string_view header,
                        const std::vector<std::pair<int, std::string>>& labels);
std::string locksBlock(const std::vector<std::pair<int, LockView>>& locks);
std::string routingBlock(const std::vector<std::pair<int, int>>& routes);  // output, input
std::string configurationBlock(bool takeMode);                             // Take Mode: true|false
std::string endPreludeBlock();
std::string ackBlock();
std::string nakBlock();

// `label` made safe for one protocol line (see labelsBlock).
std::string lineSafe(std::string_view label);

}  // namespace mc::remote
