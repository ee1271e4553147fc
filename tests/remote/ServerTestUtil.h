#pragma once

// Helpers of the server tests: a protocol client on a chosen loopback
// address that splits what it receives into blocks, and bounded waits that
// run the event loop (never a sleep).

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QHostAddress>
#include <QTcpSocket>

#include <string>
#include <vector>

namespace mc::remote {

struct Reply {
    std::string header;  // without ':' ("ACK" and "NAK" have none)
    std::vector<std::string> lines;
};

// Runs the event loop until `done()` returns true (then true) or the
// deadline passes (then false). `done` may consume what it looks at.
template <class Done>
bool waitUntil(Done done, int milliseconds = 10000) {
    QDeadlineTimer deadline(milliseconds);
    for (;;) {
        if (done()) return true;
        if (deadline.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
}

class TestClient {
public:
    TestClient(const char* from, quint16 port) {
        m_socket.bind(QHostAddress(QString::fromLatin1(from)), 0);
        m_socket.connectToHost(QHostAddress(QStringLiteral("127.0.0.1")), port);
        QObject::connect(&m_socket, &QTcpSocket::readyRead, [this] { collect(); });
    }

    QTcpSocket& socket() { return m_socket; }
    void send(const std::string& text) {
        m_socket.write(text.data(), static_cast<qint64>(text.size()));
    }
    // Waits for `count` blocks not yet taken; false on timeout.
    bool waitFor(std::size_t count, int milliseconds = 10000) {
        return waitUntil([&] { return m_blocks.size() >= count; }, milliseconds);
    }
    // The blocks received and not yet taken, oldest first.
    std::vector<Reply> take() { return std::exchange(m_blocks, {}); }
    // Waits for exactly `count` blocks (a test failure when they do not come).
    std::vector<Reply> take(std::size_t count) {
        EXPECT_TRUE(waitFor(count)) << m_blocks.size() << " of " << count << " blocks";
        return take();
    }
    std::size_t pending() const { return m_blocks.size(); }
    bool received(const std::string& header) const {
        for (const Reply& reply : m_blocks) {
            if (reply.header == header) return true;
        }
        return false;
    }
    // The prelude: waits for END PRELUDE and drops everything up to it.
    std::vector<Reply> prelude() {
        waitUntil([&] { return !m_blocks.empty() && m_blocks.back().header == "END PRELUDE"; });
        return take();
    }

private:
    void collect() {
        m_buffer += m_socket.readAll().toStdString();
        std::size_t end;
        while ((end = m_buffer.find("\n\n")) != std::string::npos) {
            Reply reply;
            std::size_t start = 0;
            const std::string text = m_buffer.substr(0, end + 1);
            m_buffer.erase(0, end + 2);
            for (std::size_t nl; (nl = text.find('\n', start)) != std::string::npos;) {
                std::string line = text.substr(start, nl - start);
                start = nl + 1;
                if (reply.header.empty()) {
                    if (!line.empty() && line.back() == ':') line.pop_back();
                    reply.header = line;
                } else {
                    reply.lines.push_back(line);
                }
            }
            m_blocks.push_back(std::move(reply));
        }
    }

    QTcpSocket m_socket;
    std::string m_buffer;
    std::vector<Reply> m_blocks;
};

inline std::vector<std::string> headers(const std::vector<Reply>& replies) {
    std::vector<std::string> names;
    for (const Reply& reply : replies)
        names.push_back(reply.header);
    return names;
}

}  // namespace mc::remote
