// VideohubServer: the session's changes, the status updates they become and
// the blocks the server writes from the session's state.

#include "remote/VideohubServer.h"

#include <QMetaObject>

#include <cstdint>
#include <utility>
#include <vector>

namespace mc::remote {

bool VideohubServer::Changes::empty() const {
    return routes.empty() && inputLabels.empty() && outputLabels.empty() && locks.empty() &&
           !takeMode && !present && !dump;
}

// The session's change as the protocol shows it; newer values replace older
// ones of the same port.
void VideohubServer::sessionChanged(const SessionChange& change) {
    if (change.rebuilt) {
        m_pending.dump = true;
    } else {
        // The protocol's one routing table is video (all in pattern mode).
        for (const RouteChange& route : change.routes) {
            const std::int32_t input = route.to.clientInput();
            if (route.layer != LineLayer::Audio && route.from.clientInput() != input)
                m_pending.routes.insert_or_assign(route.output, input);
        }
        for (const NameChange& name : change.inputNames)
            m_pending.inputLabels.insert_or_assign(name.port, name.text);
        for (const NameChange& name : change.outputNames)
            m_pending.outputLabels.insert_or_assign(name.port, name.text);
        for (const LockChange& lock : change.locks)
            m_pending.locks.insert_or_assign(lock.output, lock.owner);
        if (change.takeMode) m_pending.takeMode = *change.takeMode;
        // Lost and not open are alike to clients: not present.
        if (change.presence) m_pending.present = *change.presence == PortState::Open;
    }
    if (!m_pending.empty()) scheduleFlush();
}

// While a request is carried out, carryOut flushes after its ACK.
void VideohubServer::scheduleFlush() {
    if (m_requester || m_flushScheduled) return;
    m_flushScheduled = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_flushScheduled = false;
            flush();
        },
        Qt::QueuedConnection);
}

void VideohubServer::flush() {
    Changes changes = std::move(m_pending);
    m_pending = Changes{};
    if (!changes.empty()) sendChanges(changes, nullptr);
}

// Sends `changes` to `only`, or to every client when it is null.
void VideohubServer::sendChanges(const Changes& changes, Client* only) {
    std::vector<Client*> targets;
    for (Client* client : m_stream.clients()) {
        if (!only || only == client) targets.push_back(client);
    }
    // A device that came back is announced with the whole state, as after a
    // rebuild, so that clients told "Device present: false" catch up.
    if (changes.dump || (changes.present == true && !only)) {
        for (Client* client : targets)
            client->send(fullState(*client));
        return;
    }
    std::string common;
    if (changes.present) common += deviceBlock(deviceInfo(*changes.present));
    common += labels(true, changes.inputLabels);
    common += labels(false, changes.outputLabels);
    const std::string routing =
        routes(changes.routes) +
        (changes.takeMode ? configurationBlock(*changes.takeMode) : std::string());
    for (Client* client : targets)
        client->send(common + locks(changes.locks, *client) + routing);
}

VideohubServer::Changes VideohubServer::currentValues(const Changes& items) const {
    Changes values;
    for (const auto& [output, input] : items.routes) {
        if (output < outputCount()) values.routes.emplace(output, routedInput(output));
    }
    for (const auto& [input, text] : items.inputLabels) {
        if (input < inputCount()) values.inputLabels.emplace(input, inputLabel(input));
    }
    for (const auto& [output, text] : items.outputLabels) {
        if (output < outputCount()) values.outputLabels.emplace(output, outputLabel(output));
    }
    for (const auto& [output, owner] : items.locks) {
        if (output < outputCount()) values.locks.emplace(output, m_session.lockOwner(output));
    }
    return values;
}

namespace {

// Every port below `count`, with a placeholder value.
template <typename Value>
std::map<int, Value> allPorts(int count) {
    std::map<int, Value> ports;
    for (int port = 0; port < count; ++port)
        ports.emplace_hint(ports.end(), port, Value{});
    return ports;
}

}  // namespace

std::string VideohubServer::fullState(const Client& client) const {
    std::string text = deviceBlock(deviceInfo(devicePresent()));
    if (devicePresent()) {
        for (BlockType type : {BlockType::InputLabels, BlockType::OutputLabels, BlockType::Locks,
                               BlockType::Routing, BlockType::Configuration}) {
            text += block(type, client);
        }
    }
    return text + endPreludeBlock();
}

// The whole block `type`, also when it has no lines.
std::string VideohubServer::block(BlockType type, const Client& client) const {
    Changes all;
    switch (type) {
        case BlockType::Preamble:
            return preambleBlock();
        case BlockType::Device:
            return deviceBlock(deviceInfo(devicePresent()));
        case BlockType::InputLabels: {
            all.inputLabels = allPorts<std::string>(inputCount());
            const std::string text = labels(true, currentValues(all).inputLabels);
            return text.empty() ? labelsBlock(kInputLabels, {}) : text;
        }
        case BlockType::OutputLabels: {
            all.outputLabels = allPorts<std::string>(outputCount());
            const std::string text = labels(false, currentValues(all).outputLabels);
            return text.empty() ? labelsBlock(kOutputLabels, {}) : text;
        }
        case BlockType::Locks: {
            all.locks = allPorts<std::string>(outputCount());
            const std::string text = locks(currentValues(all).locks, client);
            return text.empty() ? locksBlock({}) : text;
        }
        case BlockType::Routing: {
            all.routes = allPorts<int>(outputCount());
            const std::string text = routes(currentValues(all).routes);
            return text.empty() ? routingBlock({}) : text;
        }
        case BlockType::Configuration:
            return configurationBlock(m_session.takeMode());
    }
    return {};
}

std::string VideohubServer::labels(bool inputs, const std::map<int, std::string>& texts) const {
    const int count = inputs ? inputCount() : outputCount();
    std::vector<std::pair<int, std::string>> lines;
    for (const auto& [port, text] : texts) {
        if (port >= 0 && port < count) lines.emplace_back(port, text);
    }
    if (lines.empty()) return {};
    return labelsBlock(inputs ? kInputLabels : kOutputLabels, lines);
}

std::string VideohubServer::locks(const std::map<int, std::string>& owners,
                                  const Client& client) const {
    std::vector<std::pair<int, LockView>> lines;
    for (const auto& [output, owner] : owners) {
        if (output < 0 || output >= outputCount()) continue;
        lines.emplace_back(output, owner.empty()             ? LockView::Unlocked
                                   : owner == client.owner() ? LockView::Own
                                                             : LockView::Other);
    }
    return lines.empty() ? std::string() : locksBlock(lines);
}

// -1 stands for an output that carries no one input.
std::string VideohubServer::routes(const std::map<int, int>& inputs) const {
    std::vector<std::pair<int, int>> lines;
    for (const auto& [output, input] : inputs) {
        if (output >= 0 && output < outputCount()) lines.emplace_back(output, input);
    }
    return lines.empty() ? std::string() : routingBlock(lines);
}

}  // namespace mc::remote
