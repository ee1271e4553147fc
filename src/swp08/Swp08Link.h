#pragma once

// Swp08Link: one SW-P-08 controller's connection as the protocol sees it.
// The host that owns the connection feeds it every byte read (receive) and
// writes what the link sends through its IPeer; the link answers each intact
// message ACK at once, then has the router carry the request out, and each
// damaged one NAK. ACK and NAK from the controller are never answered.
//
// The link remembers what the router needs to address the controller: its
// owner name (its address), whether it used the extended form in its latest
// interrogate, connect or dump (so changes reach it as 84, else 04), and
// which names it asked for, in which length and form (so a renamed port
// reaches it as those answers do).
//
// Lifetime: registers with the router at construction and leaves it at
// destruction. The peer must outlive the link. Threads: the session's
// thread only, like the router.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "protocol/Swp08Codec.h"

namespace mc::swp08 {

class Swp08Router;

// The connection behind a link, owned by the host.
class IPeer {
public:
    virtual ~IPeer() = default;
    // Queues `bytes` for the controller, in order. Must not destroy the link
    // (a connection to drop is dropped after the call returns).
    virtual void send(std::span<const std::uint8_t> bytes) = 0;
    // Closes the connection: the matrix was rebuilt, and the controller is
    // to connect again and read everything anew. Must not destroy the link.
    virtual void disconnect() = 0;
};

class Swp08Link {
public:
    // `owner`: the controller's address, its name in locks and the journal.
    Swp08Link(Swp08Router& router, std::string owner, IPeer& peer);
    ~Swp08Link();
    Swp08Link(const Swp08Link&) = delete;
    Swp08Link& operator=(const Swp08Link&) = delete;

    // Bytes read from the connection, in pieces of any size.
    void receive(std::span<const std::uint8_t> bytes);

    const std::string& owner() const { return m_owner; }
    bool extended() const { return m_extended; }
    // Messages that arrived damaged (answered NAK), since the link began.
    int damaged() const { return m_damaged; }

private:
    friend class Swp08Router;

    // What the controller last asked for in a name request.
    struct NameAsk {
        bool asked = false;
        bool extended = false;
        std::int32_t lengthCode = 0;
        unsigned levels = 0;  // source names: a bit per level asked
    };

    void send(std::span<const std::uint8_t> bytes) { m_peer.send(bytes); }

    Swp08Router* m_router;  // null once the router has gone
    std::string m_owner;
    IPeer& m_peer;
    Decoder m_decoder;
    std::vector<Decoded> m_decoded;  // reused by receive
    bool m_extended = false;
    NameAsk m_sourceNames;
    NameAsk m_destinationNames;
    int m_damaged = 0;
};

}  // namespace mc::swp08
