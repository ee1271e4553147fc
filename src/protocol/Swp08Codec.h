#pragma once

// SW-P-08 framing: the router-control protocol that broadcast routers and
// their controllers speak over TCP. This is the one place where its framing is
// written down; the commands are in Swp08Messages.h.
//
// A message is
//
//   10 02  DATA  BTC  CHK  10 03
//
//   DATA  the command byte, then its bytes
//   BTC   the number of DATA bytes, command included, counted before stuffing
//   CHK   the two's complement of the low 8 bits of the sum of DATA and BTC
//         (DATA + BTC + CHK is 0 modulo 256)
//
// Every 10 between 10 02 and 10 03 (in DATA, BTC or CHK) is sent as 10 10.
// The receiver answers each message 10 06 (ACK) when BTC and CHK are right,
// 10 15 (NAK) when not; ACK and NAK are never answered.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace mc::swp08 {

inline constexpr std::uint8_t kDle = 0x10;
inline constexpr std::uint8_t kStx = 0x02;
inline constexpr std::uint8_t kEtx = 0x03;
inline constexpr std::uint8_t kAckCode = 0x06;
inline constexpr std::uint8_t kNakCode = 0x15;
// BTC is one byte: a message carries at most this many DATA bytes.
inline constexpr std::size_t kMaxData = 255;

// Appends the message of `data` (the command byte and its bytes; at most
// kMaxData of them), framed and stuffed, to `out`.
void appendMessage(std::vector<std::uint8_t>& out, std::span<const std::uint8_t> data);
std::vector<std::uint8_t> encodeMessage(std::span<const std::uint8_t> data);

// The two-byte acknowledgements.
inline constexpr std::uint8_t kAck[] = {kDle, kAckCode};
inline constexpr std::uint8_t kNak[] = {kDle, kNakCode};

// One result of decoding.
struct Decoded {
    enum class Kind : std::uint8_t {
        Message,      // intact: answer ACK; `data` holds the command and its bytes
        BadCount,     // BTC does not match the DATA bytes: answer NAK
        BadChecksum,  // CHK does not match: answer NAK
        BadEscape,    // 10 followed by other than 10 or 03 inside a message: answer NAK
        PeerAck,      // 10 06 from the peer: never answered
        PeerNak,      // 10 15 from the peer: never answered
    };
    Kind kind = Kind::Message;
    std::vector<std::uint8_t> data;

    bool answeredNak() const {
        return kind == Kind::BadCount || kind == Kind::BadChecksum || kind == Kind::BadEscape;
    }
};

// Splits a byte stream into messages. Bytes may arrive in pieces of any
// size, several messages in one piece; results do not depend on the cut.
// Bytes outside a message other than 10 02, 10 06 and 10 15 are skipped. A
// 10 02 inside a message is reported BadEscape and starts a new message; any
// other bad escape ends the message there. A message longer than BTC can
// count is reported BadCount once its 10 03 arrives.
//
// Not thread-safe; one decoder per connection. Holds at most one message.
class Decoder {
public:
    // Adds bytes; appends what they complete to `out`, in stream order.
    void feed(std::span<const std::uint8_t> bytes, std::vector<Decoded>& out);
    std::vector<Decoded> feed(std::span<const std::uint8_t> bytes);

private:
    enum class State : std::uint8_t { Idle, IdleDle, Body, BodyDle };
    void finish(std::vector<Decoded>& out);

    State m_state = State::Idle;
    std::vector<std::uint8_t> m_body;  // DATA, BTC and CHK unstuffed
    bool m_overflow = false;           // more bytes than a message can hold
};

}  // namespace mc::swp08
