#pragma once

// StreamConnection: one accepted TCP connection of a StreamServer, on its
// socket descriptor. Unlike QTcpSocket, it keeps the connection open when the
// peer shuts down only its sending side (`nc -q 1`, scripts): the end of the
// stream is reported to the reader, and the server can still write the
// answers before it closes.
//
// Reading is on demand: after readyRead the owner calls read() until it
// returns 0 (nothing waiting now; the next readyRead says when there is more)
// or -1 (the stream has ended: end of stream from the peer, or an error).
// Until read() returns 0, no further readyRead comes, so unread data waits in
// the kernel and a client that floods is held back by TCP itself.
//
// Writing never blocks: write() queues the bytes, and they are sent when the
// event loop finds the socket writable, as much as the kernel takes each time
// (bytesWritten after each progress); so what one event-loop turn writes to a
// client leaves in one send. A
// failed send (the peer reset or closed) makes the connection unwritable for
// good and is reported once by broken(), from the event loop, never from
// inside a call of the owner.
//
// Ownership: the object owns the descriptor; close() and the destructor close
// it. Threads: the thread whose event loop runs the notifiers.

#include <QHostAddress>
#include <QObject>

#include <cstddef>
#include <string>

class QSocketNotifier;

namespace mc::service {

class StreamConnection final : public QObject {
    Q_OBJECT

public:
    // Takes the connected socket `descriptor` (made non-blocking here).
    explicit StreamConnection(qintptr descriptor);
    ~StreamConnection() override;
    StreamConnection(const StreamConnection&) = delete;
    StreamConnection& operator=(const StreamConnection&) = delete;

    QHostAddress peerAddress() const { return m_peerAddress; }
    quint16 peerPort() const { return m_peerPort; }

    // Up to `max` bytes into `data`: the count read (> 0), 0 when nothing is
    // waiting now, -1 once the stream has ended (then always -1).
    qint64 read(char* data, std::size_t max);
    // True while read() may return data: readyRead came and no read has found
    // the socket empty since.
    bool readable() const { return m_readable; }

    // Queues `size` bytes for the peer; ignored once unwritable or closed.
    void write(const char* data, std::size_t size);
    std::size_t bytesToWrite() const { return m_out.size() - m_outPos; }
    bool writable() const { return m_descriptor >= 0 && !m_broken; }

    // Closes the descriptor at once; unsent bytes are dropped. No signal
    // comes afterwards.
    void close();

signals:
    void readyRead();
    void bytesWritten();
    void broken();

private:
    void readActivated();
    void flush();
    void fail();

    int m_descriptor = -1;
    QHostAddress m_peerAddress;
    quint16 m_peerPort = 0;
    QSocketNotifier* m_readNotifier = nullptr;   // child
    QSocketNotifier* m_writeNotifier = nullptr;  // child
    bool m_readable = false;
    bool m_ended = false;
    bool m_broken = false;
    std::string m_out;  // queued bytes; those before m_outPos are sent
    std::size_t m_outPos = 0;
};

}  // namespace mc::service
