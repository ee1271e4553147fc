#pragma once

// Swp08Router: the matrix as SW-P-08 controllers see it, one per program.
// It carries out the requests that its links (one per connected controller)
// decode, as session steps in the controller's name, and tells every link
// the changes the session reports, whoever made them.
//
// The mapping: one matrix, 0. Level 0 is the line's video table (its one
// table, all, in pattern mode), level 1 the audio table (none in pattern
// mode). Destinations are outputs, sources inputs, zero-based. The source
// reported for an output is the input the line carries on that table, or
// kNoSource (1023) when it is closed, unknown or cycling. A request for
// another matrix or level, a destination the matrix does not have or a source
// it does not have (other than 1023) is acknowledged and nothing else.
//
// - 61: the codes served (62).
// - 01 / 81: the tally (03 / 83).
// - 02 / 82: one routeOutput step of the session as the controller (lock
//   check, journal, queue; a newer request replaces the output's own frame
//   still waiting), on level 0's or level 1's side: the operator's layer when
//   it includes that level, else that level alone with the layer frames
//   around it. Source 1023 closes the output. Then 04 (84 to the links that
//   use the extended form) to every link for each output and level whose
//   reported source changed; a connect that changed none still gets its 04.
//   An output locked by another owner: the requester alone gets the tally
//   (03, or 83 for an 82) with the current source.
// - 15 / 95: the tally dump of every output (16 or 17 / 97).
// - 64 / E4, 66 / E6: every input's / output's display text (its name, else
//   its one-based number) in the length asked (6A / EA, 6B / EB); a port
//   renamed later reaches the links that asked in that length and form.
// - A rebuild disconnects every link, so controllers read everything again.
//
// The host that listens makes one router after the session, a Swp08Link per
// accepted connection (with an IPeer that writes to it), feeds each link what
// its connection reads, and destroys the link once the connection is closed.
//
// Lifetime: attaches itself to the session at construction and detaches in
// its destructor; the session must outlive the router. Links that outlive
// the router answer ACK and NAK only. Threads: the session's thread only.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "control/MatrixSession.h"
#include "control/SessionObserver.h"
#include "protocol/Swp08Messages.h"

namespace mc::swp08 {

class Swp08Link;

class Swp08Router final : private ISessionObserver {
public:
    explicit Swp08Router(MatrixSession& session);
    ~Swp08Router() override;
    Swp08Router(const Swp08Router&) = delete;
    Swp08Router& operator=(const Swp08Router&) = delete;

    std::size_t linkCount() const { return m_links.size(); }

private:
    friend class Swp08Link;

    void attachLink(Swp08Link& link);
    void detachLink(Swp08Link& link);
    // Carries out `request` of `link`, whose ACK has been sent.
    void handle(Swp08Link& link, const Request& request);
    void connect(Swp08Link& link, const Request& request, LineLayer table);
    void sendNames(Swp08Link& link, const Request& request);

    // The table of `level` of matrix `matrix`; nullopt when there is none
    // (or no matrix is built).
    std::optional<LineLayer> tableOf(std::int32_t matrix, std::int32_t level) const;
    std::int32_t reported(LineLayer table, std::int32_t output) const;
    // 04 / 84 of each (level, output, source) to every link in its form.
    struct Tally {
        std::int32_t level;
        std::int32_t output;
        std::int32_t source;
    };
    void broadcast(std::span<const Tally> tallies);

    void sessionChanged(const SessionChange& change) override;
    void namesChanged(bool inputs, const std::vector<NameChange>& names);

    MatrixSession& m_session;
    std::vector<Swp08Link*> m_links;  // not owned
    // The output and level of the connect being carried out, and whether a
    // change told the links of it.
    struct Connecting {
        std::int32_t level = 0;
        std::int32_t output = 0;
        bool told = false;
    };
    std::optional<Connecting> m_connecting;
    std::vector<std::uint8_t> m_out;                // the answer being built, reused
    std::vector<std::uint8_t> m_basic, m_extended;  // a broadcast in each form, reused
};

}  // namespace mc::swp08
