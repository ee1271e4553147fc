#include "service/StreamService.h"

#include "service/StreamServer.h"

namespace mc::service {

void StreamService::serve(StreamServer& server) {
    m_stream = &server;
    connect(&server, &StreamServer::logMessage, this, &StreamService::logMessage);
    connect(&server, &StreamServer::clientCountChanged, this, &StreamService::clientCountChanged);
}

bool StreamService::listen(const QHostAddress& address, quint16 port) {
    close();
    return m_stream->listen(address, port);
}

QString StreamService::errorString() const {
    return m_stream->errorString();
}

void StreamService::close() {
    m_stream->close();
    closed();
}

bool StreamService::isListening() const {
    return m_stream->isListening();
}

QHostAddress StreamService::listenAddress() const {
    return m_stream->listenAddress();
}

quint16 StreamService::listenPort() const {
    return m_stream->listenPort();
}

int StreamService::clientCount() const {
    return m_stream->clientCount();
}

}  // namespace mc::service
