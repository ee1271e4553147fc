#include "swp08/Swp08Router.h"

#include <algorithm>
#include <string>

#include "swp08/Swp08Link.h"

namespace mc::swp08 {

namespace {

std::int32_t levelOf(LineLayer table) {
    return table == LineLayer::Audio ? 1 : 0;
}

std::int32_t sourceOf(const Carried& carried) {
    const std::int32_t input = carried.clientInput();
    return input < 0 ? kNoSource : input;
}

}  // namespace

Swp08Router::Swp08Router(MatrixSession& session) : m_session(session) {
    m_session.attach(*this);
}

Swp08Router::~Swp08Router() {
    m_session.detach(*this);
    for (Swp08Link* link : m_links)
        link->m_router = nullptr;
}

void Swp08Router::attachLink(Swp08Link& link) {
    m_links.push_back(&link);
}

void Swp08Router::detachLink(Swp08Link& link) {
    std::erase(m_links, &link);
}

std::optional<LineLayer> Swp08Router::tableOf(std::int32_t matrix, std::int32_t level) const {
    if (matrix != 0 || !m_session.hasState()) return std::nullopt;
    const Line& line = m_session.line();
    if (level == 0) return line.videoTable();
    if (level == 1 && !line.pattern()) return LineLayer::Audio;
    return std::nullopt;
}

std::int32_t Swp08Router::reported(LineLayer table, std::int32_t output) const {
    return sourceOf(m_session.line().carried(table, output));
}

// --- Requests -------------------------------------------------------------------------

void Swp08Router::handle(Swp08Link& link, const Request& request) {
    using K = Request::Kind;
    if (request.kind == K::Implementation) {
        m_out.clear();
        appendImplementation(m_out);
        return link.send(m_out);
    }
    if (request.kind == K::DestinationNames || request.kind == K::SourceNames)
        return sendNames(link, request);
    const std::optional<LineLayer> table = tableOf(request.matrix, request.level);
    if (!table) return;
    link.m_extended = request.extended;
    const std::int32_t outputs = m_session.state().MatrixOutputNum();
    m_out.clear();
    if (request.kind == K::TallyDump) {
        std::vector<std::int32_t> sources(static_cast<std::size_t>(outputs));
        for (std::int32_t o = 0; o < outputs; ++o)
            sources[static_cast<std::size_t>(o)] = reported(*table, o);
        appendTallyDump(m_out, request.extended, 0, request.level, 0, sources);
        return link.send(m_out);
    }
    if (request.kind == K::Connect) return connect(link, request, *table);
    if (request.destination >= outputs) return;
    appendTally(m_out, request.extended, false, 0, request.level, request.destination,
                reported(*table, request.destination));
    link.send(m_out);
}

void Swp08Router::connect(Swp08Link& link, const Request& request, LineLayer table) {
    const std::int32_t input = request.source == kNoSource ? -1 : request.source;
    m_connecting = Connecting{request.level, request.destination, false};
    const Outcome outcome =
        m_session.routeOutput(link.owner(), request.destination, input,
                              request.level == 0 ? RouteLayer::VideoSide : RouteLayer::AudioSide);
    const bool told = m_connecting->told;
    m_connecting.reset();
    if (outcome.done() && !told) {
        const Tally tally{request.level, request.destination, reported(table, request.destination)};
        broadcast({&tally, 1});
    } else if (outcome.refusal == Refusal::Locked) {
        m_out.clear();
        appendTally(m_out, request.extended, false, 0, request.level, request.destination,
                    reported(table, request.destination));
        link.send(m_out);
    }
}

void Swp08Router::sendNames(Swp08Link& link, const Request& request) {
    const bool sources = request.kind == Request::Kind::SourceNames;
    if (sources ? !tableOf(request.matrix, request.level) : !tableOf(request.matrix, 0)) return;
    const CrosspointState& state = m_session.state();
    const std::int32_t count = sources ? state.MatrixInputNum() : state.MatrixOutputNum();
    std::vector<std::string> names;
    names.reserve(static_cast<std::size_t>(count));
    for (std::int32_t port = 0; port < count; ++port)
        names.push_back(sources ? state.inputText(port) : state.outputText(port));
    m_out.clear();
    appendNames(m_out, sources, request.extended, 0, request.level, request.lengthCode, 0, names);
    link.send(m_out);
    Swp08Link::NameAsk& ask = sources ? link.m_sourceNames : link.m_destinationNames;
    ask.asked = true;
    ask.extended = request.extended;
    ask.lengthCode = request.lengthCode;
    if (sources) ask.levels |= 1u << request.level;
}

// --- Changes --------------------------------------------------------------------------

void Swp08Router::broadcast(std::span<const Tally> tallies) {
    m_basic.clear();
    m_extended.clear();
    for (const Tally& tally : tallies) {
        appendTally(m_basic, false, true, 0, tally.level, tally.output, tally.source);
        appendTally(m_extended, true, true, 0, tally.level, tally.output, tally.source);
    }
    for (Swp08Link* link : m_links)
        link->send(link->m_extended ? m_extended : m_basic);
}

void Swp08Router::sessionChanged(const SessionChange& change) {
    if (m_links.empty()) return;
    if (change.rebuilt) {
        const std::vector<Swp08Link*> links = m_links;
        for (Swp08Link* link : links)
            link->m_peer.disconnect();
        return;
    }
    std::vector<Tally> tallies;
    for (const RouteChange& route : change.routes) {
        const std::int32_t source = sourceOf(route.to);
        if (sourceOf(route.from) == source) continue;
        const std::int32_t level = levelOf(route.layer);
        tallies.push_back({level, route.output, source});
        if (m_connecting && m_connecting->level == level && m_connecting->output == route.output)
            m_connecting->told = true;
    }
    if (!tallies.empty()) broadcast(tallies);
    if (!change.inputNames.empty()) namesChanged(true, change.inputNames);
    if (!change.outputNames.empty()) namesChanged(false, change.outputNames);
}

void Swp08Router::namesChanged(bool inputs, const std::vector<NameChange>& names) {
    for (Swp08Link* link : m_links) {
        const Swp08Link::NameAsk& ask = inputs ? link->m_sourceNames : link->m_destinationNames;
        if (!ask.asked) continue;
        m_out.clear();
        for (const NameChange& name : names) {
            const std::string text[] = {name.text};
            if (!inputs) {
                appendNames(m_out, false, ask.extended, 0, 0, ask.lengthCode, name.port, text);
                continue;
            }
            for (std::int32_t level = 0; level < 2; ++level) {
                if ((ask.levels >> level & 1u) != 0)
                    appendNames(m_out, true, ask.extended, 0, level, ask.lengthCode, name.port,
                                text);
            }
        }
        if (!m_out.empty()) link->send(m_out);
    }
}

}  // namespace mc::swp08
