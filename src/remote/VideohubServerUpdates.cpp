// VideohubServer: the model's notifications, the status updates they become
// and the blocks the server writes from the model's state.

#include "remote/RouterModel.h"
#include "remote/VideohubServer.h"

#include <QMetaObject>

namespace mc::remote {

bool VideohubServer::Changes::empty() const {
    return routes.empty() && inputLabels.empty() && outputLabels.empty() && locks.empty() &&
           !takeMode && !present && !dump;
}

namespace {

// Newer values replace older ones of the same port.
template <typename Value>
void merge(std::map<int, Value>& into, const std::vector<std::pair<int, Value>>& values) {
    for (const auto& [port, value] : values)
        into.insert_or_assign(port, value);
}

}  // namespace

void VideohubServer::routesChanged(const std::vector<std::pair<int, int>>& routes) {
    merge(m_pending.routes, routes);
    scheduleFlush();
}

void VideohubServer::inputLabelsChanged(const std::vector<std::pair<int, std::string>>& labels) {
    merge(m_pending.inputLabels, labels);
    scheduleFlush();
}

void VideohubServer::outputLabelsChanged(const std::vector<std::pair<int, std::string>>& labels) {
    merge(m_pending.outputLabels, labels);
    scheduleFlush();
}

void VideohubServer::locksChanged(const std::vector<std::pair<int, std::string>>& owners) {
    merge(m_pending.locks, owners);
    scheduleFlush();
}

void VideohubServer::configurationChanged(bool takeMode) {
    m_pending.takeMode = takeMode;
    scheduleFlush();
}

void VideohubServer::deviceChanged(bool present) {
    m_pending.present = present;
    scheduleFlush();
}

void VideohubServer::rebuilt() {
    m_pending.dump = true;
    scheduleFlush();
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

DeviceInfo VideohubServer::deviceInfo(bool present) const {
    return DeviceInfo{present,
                      m_model.modelName(),
                      m_model.friendlyName(),
                      m_model.uniqueId(),
                      m_model.inputCount(),
                      m_model.outputCount()};
}

VideohubServer::Changes VideohubServer::currentValues(const Changes& items) const {
    Changes values;
    for (const auto& [output, input] : items.routes) {
        if (output < m_model.outputCount())
            values.routes.emplace(output, m_model.routedInput(output).value_or(-1));
    }
    for (const auto& [input, text] : items.inputLabels) {
        if (input < m_model.inputCount())
            values.inputLabels.emplace(input, m_model.inputLabel(input));
    }
    for (const auto& [output, text] : items.outputLabels) {
        if (output < m_model.outputCount())
            values.outputLabels.emplace(output, m_model.outputLabel(output));
    }
    for (const auto& [output, owner] : items.locks) {
        if (output < m_model.outputCount()) values.locks.emplace(output, m_model.lockOwner(output));
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
    std::string text = deviceBlock(deviceInfo(m_model.devicePresent()));
    if (m_model.devicePresent()) {
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
            return deviceBlock(deviceInfo(m_model.devicePresent()));
        case BlockType::InputLabels: {
            all.inputLabels = allPorts<std::string>(m_model.inputCount());
            const std::string text = labels(true, currentValues(all).inputLabels);
            return text.empty() ? labelsBlock(kInputLabels, {}) : text;
        }
        case BlockType::OutputLabels: {
            all.outputLabels = allPorts<std::string>(m_model.outputCount());
            const std::string text = labels(false, currentValues(all).outputLabels);
            return text.empty() ? labelsBlock(kOutputLabels, {}) : text;
        }
        case BlockType::Locks: {
            all.locks = allPorts<std::string>(m_model.outputCount());
            const std::string text = locks(currentValues(all).locks, client);
            return text.empty() ? locksBlock({}) : text;
        }
        case BlockType::Routing: {
            all.routes = allPorts<int>(m_model.outputCount());
            const std::string text = routes(currentValues(all).routes);
            return text.empty() ? routingBlock({}) : text;
        }
        case BlockType::Configuration:
            return configurationBlock(m_model.takeMode());
    }
    return {};
}

std::string VideohubServer::labels(bool inputs, const std::map<int, std::string>& texts) const {
    const int count = inputs ? m_model.inputCount() : m_model.outputCount();
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
        if (output < 0 || output >= m_model.outputCount()) continue;
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
        if (output >= 0 && output < m_model.outputCount()) lines.emplace_back(output, input);
    }
    return lines.empty() ? std::string() : routingBlock(lines);
}

}  // namespace mc::remote
