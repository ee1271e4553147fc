#include "remote/VideohubServer.h"

#include <cstdint>
#include <cstdio>

namespace mc::remote {

namespace {

// 48 bits of the FNV-1a hash of the program folder, as 12 hex digits.
std::string folderId(const std::string& folder) {
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    for (const char c : folder) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 0x100000001b3ULL;
    }
    char text[13];
    std::snprintf(text, sizeof text, "%012llX",
                  static_cast<unsigned long long>(hash & 0xFFFFFFFFFFFFULL));
    return text;
}

}  // namespace

// A client's bytes read as blocks.
class VideohubServer::BlockClient final : public service::StreamReader {
public:
    BlockClient(VideohubServer& server, Client& client) : m_server(server), m_client(client) {}

    int read(std::string_view& input, int maxItems) override {
        int blocks = 0;
        while (blocks < maxItems && !input.empty() && !m_client.dropped()) {
            if (std::optional<ReadItem> item = m_reader.read(input)) {
                m_server.handle(m_client, *item);
                ++blocks;
            }
        }
        return blocks;
    }

private:
    VideohubServer& m_server;
    Client& m_client;
    BlockReader m_reader;
};

VideohubServer::VideohubServer(MatrixSession& session, QObject* parent)
    : QObject(parent),
      m_session(session),
      m_uniqueId(folderId(session.paths().programDir())),
      m_stream(*this, QStringLiteral("Network control"), QStringLiteral("Network client")) {
    connect(&m_stream, &service::StreamServer::clientCountChanged, this,
            &VideohubServer::clientCountChanged);
    connect(&m_stream, &service::StreamServer::logMessage, this, &VideohubServer::logMessage);
    m_session.attach(*this);
}

VideohubServer::~VideohubServer() {
    m_session.detach(*this);
}

bool VideohubServer::listen(const QHostAddress& address, quint16 port) {
    close();
    return m_stream.listen(address, port);
}

void VideohubServer::close() {
    m_stream.close();
    m_pending = Changes{};
}

// --- The matrix as clients see it ----------------------------------------------------

std::string VideohubServer::friendlyName() const {
    if (!m_friendlyName.empty()) return m_friendlyName;
    const std::string& model = m_session.settings().MatrixNowUse;
    return model.empty() ? std::string("matrix-control") : model;
}

bool VideohubServer::devicePresent() const {
    return m_session.portStatus().state == PortState::Open;
}

int VideohubServer::inputCount() const {
    return m_session.hasState() ? m_session.state().MatrixInputNum() : 0;
}

int VideohubServer::outputCount() const {
    return m_session.hasState() ? m_session.state().MatrixOutputNum() : 0;
}

std::string VideohubServer::inputLabel(int input) const {
    return m_session.hasState() ? m_session.state().inputText(input) : std::string();
}

std::string VideohubServer::outputLabel(int output) const {
    return m_session.hasState() ? m_session.state().outputText(output) : std::string();
}

int VideohubServer::routedInput(int output) const {
    if (output < 0 || output >= outputCount()) return -1;
    const Line& line = m_session.line();
    return line.carried(line.videoTable(), output).clientInput();
}

DeviceInfo VideohubServer::deviceInfo(bool present) const {
    return DeviceInfo{present,        "matrix-control " + m_session.settings().MatrixNowUse,
                      friendlyName(), m_uniqueId,
                      inputCount(),   outputCount()};
}

// --- Requests --------------------------------------------------------------------------

std::unique_ptr<service::StreamReader> VideohubServer::connected(Client& client) {
    client.send(preambleBlock() + fullState(client));
    return std::make_unique<BlockClient>(*this, client);
}

void VideohubServer::handle(Client& client, const ReadItem& item) {
    const Request request = parseRequest(item, inputCount(), outputCount());
    switch (request.kind) {
        case Request::Kind::Nak:
            client.send(nakBlock());
            break;
        case Request::Kind::Ping:
            client.send(ackBlock());
            break;
        case Request::Kind::Dump:
            client.send(ackBlock() + block(request.type, client));
            break;
        case Request::Kind::Change:
            carryOut(client, request);
            break;
    }
}

// Hands every item to the session in order, then answers ACK (NAK when a
// file error stopped an item), then sends everyone what changed, then sends
// the requester the current value of each refused item that the update did
// not already carry.
void VideohubServer::carryOut(Client& client, const Request& request) {
    Changes refused;
    bool fileError = false;
    const auto done = [&](const Outcome& outcome) {
        fileError = fileError || outcome.refusal == Refusal::FileError;
        return outcome.done();
    };
    const std::string& owner = client.owner();
    m_requester = &client;
    for (const RouteRequest& route : request.routes) {
        if (!done(m_session.routeOutput(owner, route.output, route.input, RouteLayer::VideoSide)))
            refused.routes.emplace(route.output, -1);
    }
    const bool inputs = request.type == BlockType::InputLabels;
    for (const LabelRequest& label : request.labels) {
        const Outcome outcome = inputs ? m_session.setInputName(owner, label.port, label.label)
                                       : m_session.setOutputName(owner, label.port, label.label);
        if (!done(outcome))
            (inputs ? refused.inputLabels : refused.outputLabels).emplace(label.port, "");
    }
    for (const LockItem& lock : request.locks) {
        if (!done(m_session.lockOutput(owner, lock.output, lock.request)))
            refused.locks.emplace(lock.output, "");
    }
    if (request.takeMode) done(m_session.setTakeMode(owner, *request.takeMode));
    m_requester = nullptr;

    client.send(fileError ? nakBlock() : ackBlock());
    if (m_pending.dump || m_pending.present) refused = Changes{};
    for (const auto& [port, input] : m_pending.routes)
        refused.routes.erase(port);
    for (const auto& [port, text] : m_pending.inputLabels)
        refused.inputLabels.erase(port);
    for (const auto& [port, text] : m_pending.outputLabels)
        refused.outputLabels.erase(port);
    for (const auto& [port, holder] : m_pending.locks)
        refused.locks.erase(port);
    flush();
    if (!refused.empty()) sendChanges(currentValues(refused), &client);
}

}  // namespace mc::remote
