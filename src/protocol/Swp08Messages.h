#pragma once

// The SW-P-08 commands this program serves, as typed requests and answers
// (the framing is Swp08Codec.h). Bytes after the command byte:
//
//   request                         answer
//   61  (none)                      62  00 00, the codes accepted
//   01  ML M D                      03  ML M D S          (tally)
//   02  ML M D S                    04  ML M D S          (connected)
//   81  MX LV DD                    83  MX LV DD SS
//   82  MX LV DD SS                 84  MX LV DD SS
//   15  ML                          16  ML N F s..  (a byte per source)
//                                   17  ML N FF ss..  (a word per source)
//   95  MX LV                       97  MX LV N FF ss..
//   64  ML L                        6A  ML L FF N names   (source names)
//   66  MX*16 L                     6B  MX*16 L FF N names  (destination names)
//   E4  MX LV L                     EA  MX LV L FF N names
//   E6  MX L                        EB  MX L FF N names
//
// ML: matrix × 16 + level (each 0–15). M: the multiplier, destination DIV 128
// in bits 4–6 and source DIV 128 in bits 0–2; D and S the destination and
// source MOD 128 (so the basic forms reach port 1023). MX, LV: matrix and
// level bytes. DD, SS, FF: two bytes, high first. N: the count. L: the name
// length code, 0, 1 or 2 for 4, 8 or 12 bytes per name.
//
// Ports are zero-based. A dump carries at most kDumpPerMessage destinations
// per message, a name answer at most kNamesPerMessage names.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace mc::swp08 {

// Reported for a destination that carries no one source; connecting it closes.
inline constexpr std::int32_t kNoSource = 1023;
inline constexpr int kDumpPerMessage = 64;
inline constexpr int kNamesPerMessage = 10;

// Command codes.
enum class Command : std::uint8_t {
    Interrogate = 0x01,
    Connect = 0x02,
    Tally = 0x03,
    Connected = 0x04,
    TallyDump = 0x15,
    TallyDumpBytes = 0x16,
    TallyDumpWords = 0x17,
    Implementation = 0x61,
    ImplementationAnswer = 0x62,
    SourceNames = 0x64,
    DestinationNames = 0x66,
    SourceNamesAnswer = 0x6A,
    DestinationNamesAnswer = 0x6B,
    ExtendedInterrogate = 0x81,
    ExtendedConnect = 0x82,
    ExtendedTally = 0x83,
    ExtendedConnected = 0x84,
    ExtendedTallyDump = 0x95,
    ExtendedTallyDumpAnswer = 0x97,
    ExtendedSourceNames = 0xE4,
    ExtendedDestinationNames = 0xE6,
    ExtendedSourceNamesAnswer = 0xEA,
    ExtendedDestinationNamesAnswer = 0xEB,
};

// A request of a controller. Which fields count depends on the kind.
struct Request {
    enum class Kind : std::uint8_t {
        Implementation,    // 61
        Interrogate,       // 01, 81: matrix, level, destination
        Connect,           // 02, 82: matrix, level, destination, source
        TallyDump,         // 15, 95: matrix, level
        SourceNames,       // 64, E4: matrix, level, lengthCode
        DestinationNames,  // 66, E6: matrix, lengthCode
    };
    Kind kind = Kind::Implementation;
    bool extended = false;  // 81, 82, 95, E4, E6
    std::int32_t matrix = 0;
    std::int32_t level = 0;
    std::int32_t destination = 0;
    std::int32_t source = 0;
    std::int32_t lengthCode = 0;
    bool operator==(const Request&) const = default;
};

// The request `data` (a message's command byte and its bytes) carries;
// nullopt for a code not served, too few bytes, or a length code other than
// 0–2. Bytes beyond those a request needs are ignored.
std::optional<Request> decodeRequest(std::span<const std::uint8_t> data);
// The DATA of `request`, as a controller sends it. REQUIRES: its fields fit
// its form (ports up to 1023 in the basic forms).
std::vector<std::uint8_t> requestData(const Request& request);

// The answers. Each appends one or more framed messages to `out`.

// 62: the codes this program accepts.
void appendImplementation(std::vector<std::uint8_t>& out);

// 03 / 04 (basic) or 83 / 84 (extended): `source` on `destination`.
// `connected`: 04 / 84, else 03 / 83.
void appendTally(std::vector<std::uint8_t>& out, bool extended, bool connected, std::int32_t matrix,
                 std::int32_t level, std::int32_t destination, std::int32_t source);

// The tally dump of the destinations from `first` on, sources[i] on first + i:
// 97 (extended); else 16 when every source and every message's first
// destination fit a byte, 17 otherwise.
void appendTallyDump(std::vector<std::uint8_t>& out, bool extended, std::int32_t matrix,
                     std::int32_t level, std::int32_t first, std::span<const std::int32_t> sources);

// Names from port `first` on, each in its field of nameWidth(lengthCode)
// bytes: 6A / EA for sources (of `level`), 6B / EB for destinations.
void appendNames(std::vector<std::uint8_t>& out, bool sources, bool extended, std::int32_t matrix,
                 std::int32_t level, std::int32_t lengthCode, std::int32_t first,
                 std::span<const std::string> names);

// 4, 8 or 12 bytes for length code 0, 1 or 2.
std::size_t nameWidth(std::int32_t lengthCode);
// `text` in a field of `width` bytes: cut at a UTF-8 character boundary
// (never half a character), control characters as spaces, a byte that
// begins no character as '?', padded with spaces.
std::string nameField(std::string_view text, std::size_t width);

}  // namespace mc::swp08
