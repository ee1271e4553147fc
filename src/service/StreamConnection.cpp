#include "service/StreamConnection.h"

#include <QMetaObject>
#include <QSocketNotifier>

#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace mc::service {

namespace {

quint16 portOf(const sockaddr_storage& address) {
    if (address.ss_family == AF_INET)
        return ntohs(reinterpret_cast<const sockaddr_in&>(address).sin_port);
    if (address.ss_family == AF_INET6)
        return ntohs(reinterpret_cast<const sockaddr_in6&>(address).sin6_port);
    return 0;
}

}  // namespace

StreamConnection::StreamConnection(qintptr descriptor)
    : m_descriptor(static_cast<int>(descriptor)) {
    ::fcntl(m_descriptor, F_SETFL, ::fcntl(m_descriptor, F_GETFL) | O_NONBLOCK);
    const int on = 1;
    ::setsockopt(m_descriptor, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    sockaddr_storage peer{};
    socklen_t length = sizeof peer;
    if (::getpeername(m_descriptor, reinterpret_cast<sockaddr*>(&peer), &length) == 0) {
        m_peerAddress = QHostAddress(reinterpret_cast<const sockaddr*>(&peer));
        m_peerPort = portOf(peer);
    }
    m_readNotifier = new QSocketNotifier(m_descriptor, QSocketNotifier::Read, this);
    m_writeNotifier = new QSocketNotifier(m_descriptor, QSocketNotifier::Write, this);
    m_writeNotifier->setEnabled(false);
    connect(m_readNotifier, &QSocketNotifier::activated, this, &StreamConnection::readActivated);
    connect(m_writeNotifier, &QSocketNotifier::activated, this, [this] {
        const std::size_t before = bytesToWrite();
        flush();
        if (bytesToWrite() < before) emit bytesWritten();
    });
}

StreamConnection::~StreamConnection() {
    close();
}

void StreamConnection::close() {
    if (m_descriptor < 0) return;
    m_readNotifier->setEnabled(false);
    m_writeNotifier->setEnabled(false);
    ::close(m_descriptor);
    m_descriptor = -1;
    m_readable = false;
    m_out = {};
    m_outPos = 0;
}

// Level-triggered: the notifier stays off until a read finds the socket empty.
void StreamConnection::readActivated() {
    m_readNotifier->setEnabled(false);
    m_readable = true;
    emit readyRead();
}

qint64 StreamConnection::read(char* data, std::size_t max) {
    if (m_ended || m_descriptor < 0) return -1;
    for (;;) {
        const ssize_t got = ::recv(m_descriptor, data, max, 0);
        if (got > 0) return got;
        if (got < 0 && errno == EINTR) continue;
        if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            m_readable = false;
            m_readNotifier->setEnabled(true);
            return 0;
        }
        // The end of the stream, or a reset: nothing more will arrive.
        m_ended = true;
        m_readable = false;
        if (got < 0) fail();
        return -1;
    }
}

// Sent when the event loop next finds the socket writable, so that the
// updates of one turn go out in one send per client.
void StreamConnection::write(const char* data, std::size_t size) {
    if (!writable() || size == 0) return;
    m_out.append(data, size);
    m_writeNotifier->setEnabled(true);
}

void StreamConnection::flush() {
    while (writable() && m_outPos < m_out.size()) {
        const ssize_t sent =
            ::send(m_descriptor, m_out.data() + m_outPos, m_out.size() - m_outPos, MSG_NOSIGNAL);
        if (sent >= 0) {
            m_outPos += static_cast<std::size_t>(sent);
        } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
            break;
        } else if (errno != EINTR) {
            return fail();
        }
    }
    if (m_outPos == m_out.size()) {
        m_out.clear();
        m_outPos = 0;
    } else if (m_outPos > m_out.size() / 2) {
        m_out.erase(0, m_outPos);
        m_outPos = 0;
    }
    if (m_descriptor >= 0) m_writeNotifier->setEnabled(bytesToWrite() > 0);
}

void StreamConnection::fail() {
    if (m_broken) return;
    m_broken = true;
    m_out = {};
    m_outPos = 0;
    if (m_descriptor >= 0) m_writeNotifier->setEnabled(false);
    QMetaObject::invokeMethod(this, &StreamConnection::broken, Qt::QueuedConnection);
}

}  // namespace mc::service
