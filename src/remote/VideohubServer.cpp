#include "remote/VideohubServer.h"

#include "remote/RouterModel.h"

namespace mc::remote {

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

VideohubServer::VideohubServer(RouterModel& model, QObject* parent)
    : QObject(parent),
      m_model(model),
      m_stream(*this, QStringLiteral("Network control"), QStringLiteral("Network client")) {
    connect(&m_stream, &service::StreamServer::clientCountChanged, this,
            &VideohubServer::clientCountChanged);
    connect(&m_stream, &service::StreamServer::logMessage, this, &VideohubServer::logMessage);
}

VideohubServer::~VideohubServer() = default;

bool VideohubServer::listen(const QHostAddress& address, quint16 port) {
    close();
    return m_stream.listen(address, port);
}

void VideohubServer::close() {
    m_stream.close();
    m_pending = Changes{};
}

std::unique_ptr<service::StreamReader> VideohubServer::connected(Client& client) {
    client.send(preambleBlock() + fullState(client));
    return std::make_unique<BlockClient>(*this, client);
}

void VideohubServer::handle(Client& client, const ReadItem& item) {
    const Request request = parseRequest(item, m_model.inputCount(), m_model.outputCount());
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

// Hands every item to the model in order, then answers ACK (NAK when a file
// error stopped an item), then sends everyone what changed, then sends the
// requester the current value of each refused item that the update did not
// already carry.
void VideohubServer::carryOut(Client& client, const Request& request) {
    Changes refused;
    bool fileError = false;
    const auto done = [&](const Outcome& outcome) {
        fileError = fileError || outcome.refusal == Refusal::FileError;
        return outcome.done();
    };
    m_requester = &client;
    for (const RouteRequest& route : request.routes) {
        if (!done(m_model.routeOutput(client.owner(), route.output, route.input)))
            refused.routes.emplace(route.output, -1);
    }
    const bool inputs = request.type == BlockType::InputLabels;
    for (const LabelRequest& label : request.labels) {
        const Outcome outcome =
            inputs ? m_model.setInputLabel(client.owner(), label.port, label.label)
                   : m_model.setOutputLabel(client.owner(), label.port, label.label);
        if (!done(outcome))
            (inputs ? refused.inputLabels : refused.outputLabels).emplace(label.port, "");
    }
    for (const LockItem& lock : request.locks) {
        if (!done(m_model.lockOutput(client.owner(), lock.output, lock.request)))
            refused.locks.emplace(lock.output, "");
    }
    if (request.takeMode) done(m_model.setTakeMode(client.owner(), *request.takeMode));
    m_requester = nullptr;

    client.send(fileError ? nakBlock() : ackBlock());
    if (m_pending.dump || m_pending.present) refused = Changes{};
    for (const auto& [port, input] : m_pending.routes)
        refused.routes.erase(port);
    for (const auto& [port, text] : m_pending.inputLabels)
        refused.inputLabels.erase(port);
    for (const auto& [port, text] : m_pending.outputLabels)
        refused.outputLabels.erase(port);
    for (const auto& [port, owner] : m_pending.locks)
        refused.locks.erase(port);
    flush();
    if (!refused.empty()) sendChanges(currentValues(refused), &client);
}

}  // namespace mc::remote
