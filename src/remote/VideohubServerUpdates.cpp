// VideohubServer: the model's notifications, the status updates they become
// and the blocks the server writes from the model's state.

#include "remote/RouterModel.h"
#include "remote/VideohubServer.h"

#include <QMetaObject>

namespace mc::remote {

bool VideohubServer::Changes::empty() const {
    return routes.empty() && inputLabels.empty() && outputLabels.empty() && locks.empty() &&
           !configuration && !device && !dump;
}

void VideohubServer::routesChanged(const std::vector<int>& outputs) {
    m_pending.routes.insert(outputs.begin(), outputs.end());
    scheduleFlush();
}

void VideohubServer::inputLabelsChanged(const std::vector<int>& inputs) {
    m_pending.inputLabels.insert(inputs.begin(), inputs.end());
    scheduleFlush();
}

void VideohubServer::outputLabelsChanged(const std::vector<int>& outputs) {
    m_pending.outputLabels.insert(outputs.begin(), outputs.end());
    scheduleFlush();
}

void VideohubServer::locksChanged(const std::vector<int>& outputs) {
    m_pending.locks.insert(outputs.begin(), outputs.end());
    scheduleFlush();
}

void VideohubServer::configurationChanged() {
    m_pending.configuration = true;
    scheduleFlush();
}

void VideohubServer::deviceChanged() {
    m_pending.device = true;
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
    for (auto& client : m_clients) {
        if (!client->closing && (!only || only == client.get())) targets.push_back(client.get());
    }
    const bool present = m_model.devicePresent();
    // A device that came back is announced with the whole state, as after a
    // rebuild, so that clients told "Device present: false" catch up.
    if (changes.dump || (changes.device && present && !m_presentSent && !only)) {
        m_presentSent = present;
        for (Client* client : targets)
            send(*client, fullState(*client));
        return;
    }
    std::string common;
    if (changes.device) {
        m_presentSent = present;
        common += deviceBlock(deviceInfo());
    }
    common += labels(true, changes.inputLabels);
    common += labels(false, changes.outputLabels);
    const std::string routing =
        routes(changes.routes) +
        (changes.configuration ? configurationBlock(m_model.takeMode()) : std::string());
    for (Client* client : targets)
        send(*client, common + locks(changes.locks, *client) + routing);
}

DeviceInfo VideohubServer::deviceInfo() const {
    return DeviceInfo{m_model.devicePresent(), m_model.modelName(),  m_model.friendlyName(),
                      m_model.uniqueId(),      m_model.inputCount(), m_model.outputCount()};
}

namespace {

std::set<int> allPorts(int count) {
    std::set<int> ports;
    for (int port = 0; port < count; ++port)
        ports.insert(ports.end(), port);
    return ports;
}

}  // namespace

std::string VideohubServer::fullState(const Client& client) const {
    std::string text = deviceBlock(deviceInfo());
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
    const std::set<int> outputs = allPorts(m_model.outputCount());
    switch (type) {
        case BlockType::Preamble:
            return preambleBlock();
        case BlockType::Device:
            return deviceBlock(deviceInfo());
        case BlockType::InputLabels: {
            const std::string text = labels(true, allPorts(m_model.inputCount()));
            return text.empty() ? labelsBlock(kInputLabels, {}) : text;
        }
        case BlockType::OutputLabels: {
            const std::string text = labels(false, outputs);
            return text.empty() ? labelsBlock(kOutputLabels, {}) : text;
        }
        case BlockType::Locks: {
            const std::string text = locks(outputs, client);
            return text.empty() ? locksBlock({}) : text;
        }
        case BlockType::Routing: {
            const std::string text = routes(outputs);
            return text.empty() ? routingBlock({}) : text;
        }
        case BlockType::Configuration:
            return configurationBlock(m_model.takeMode());
    }
    return {};
}

// The label block for `ports` that still exist; "" when none does.
std::string VideohubServer::labels(bool inputs, const std::set<int>& ports) const {
    const int count = inputs ? m_model.inputCount() : m_model.outputCount();
    std::vector<std::pair<int, std::string>> lines;
    for (int port : ports) {
        if (port < 0 || port >= count) continue;
        lines.emplace_back(port, inputs ? m_model.inputLabel(port) : m_model.outputLabel(port));
    }
    if (lines.empty()) return {};
    return labelsBlock(inputs ? kInputLabels : kOutputLabels, lines);
}

std::string VideohubServer::locks(const std::set<int>& outputs, const Client& client) const {
    std::vector<std::pair<int, LockView>> lines;
    for (int output : outputs) {
        if (output < 0 || output >= m_model.outputCount()) continue;
        const std::string owner = m_model.lockOwner(output);
        lines.emplace_back(output, owner.empty()           ? LockView::Unlocked
                                   : owner == client.owner ? LockView::Own
                                                           : LockView::Other);
    }
    return lines.empty() ? std::string() : locksBlock(lines);
}

// Routing lines of the `outputs` that exist, -1 for an output that carries
// no one input; "" when none exists.
std::string VideohubServer::routes(const std::set<int>& outputs) const {
    std::vector<std::pair<int, int>> lines;
    for (int output : outputs) {
        if (output < 0 || output >= m_model.outputCount()) continue;
        lines.emplace_back(output, m_model.routedInput(output).value_or(-1));
    }
    return lines.empty() ? std::string() : routingBlock(lines);
}

}  // namespace mc::remote
