#include "PtyTestUtil.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace mc::test {

Pty::Pty() {
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_master < 0 || ::grantpt(m_master) < 0 || ::unlockpt(m_master) < 0) {
        throw std::runtime_error(std::string("posix_openpt: ") + std::strerror(errno));
    }
    ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
    char name[128] = {};
    if (::ptsname_r(m_master, name, sizeof name) != 0) throw std::runtime_error("ptsname_r");
    m_slavePath = name;
    m_slave = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_slave < 0) throw std::runtime_error(std::string("open slave: ") + std::strerror(errno));
}

Pty::~Pty() {
    closeMaster();
    if (m_slave >= 0) ::close(m_slave);
}

void Pty::send(const std::vector<std::uint8_t>& bytes) {
    std::size_t offset = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (offset < bytes.size()) {
        const ssize_t n = ::write(m_master, bytes.data() + offset, bytes.size() - offset);
        if (n > 0) {
            offset += static_cast<std::size_t>(n);
            continue;
        }
        ASSERT_TRUE(n < 0 && (errno == EAGAIN || errno == EINTR)) << std::strerror(errno);
        ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "device side cannot send";
        pollfd fd{m_master, POLLOUT, 0};
        ::poll(&fd, 1, 100);
    }
}

std::vector<std::uint8_t> Pty::receive(std::size_t count, std::chrono::milliseconds limit) {
    std::vector<std::uint8_t> got;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (got.size() < count) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) break;
        pollfd fd{m_master, POLLIN, 0};
        if (::poll(&fd, 1, static_cast<int>(left.count())) <= 0) continue;
        std::uint8_t buffer[4096];
        const ssize_t n = ::read(m_master, buffer, std::min(sizeof buffer, count - got.size()));
        if (n > 0) got.insert(got.end(), buffer, buffer + n);
    }
    return got;
}

void Pty::closeMaster() {
    if (m_master >= 0) ::close(m_master);
    m_master = -1;
}

void Recorder::attach(TComm& comm) {
    comm.OnReceiveData = [this](TComm&, const std::uint8_t* buffer, std::uint16_t length) {
        if (buffer[length] != 0) trailingZeroMissing = true;
        blocks.emplace_back(buffer, buffer + length);
    };
    comm.OnReceiveError = [this](TComm&, std::uint32_t flags) { errors.push_back(flags); };
    comm.OnModemStateChange = [this](TComm&, std::uint32_t bits) { modemEvents.push_back(bits); };
    comm.OnRequestHangup = [this](TComm&) { ++hangups; };
    comm.OnSendDataEmpty = [this](TComm&) { ++empties; };
}

std::vector<std::uint8_t> Recorder::allBytes() const {
    std::vector<std::uint8_t> all;
    for (const auto& block : blocks)
        all.insert(all.end(), block.begin(), block.end());
    return all;
}

void PtyCommTest::SetUp() {
    comm.setCommName(pty.slavePath());
    record.attach(comm);
}

void PtyCommTest::TearDown() {
    comm.ClosePort();
    poster.runPending();
}

bool waitForPending(const QueuedPoster& poster, std::size_t count,
                    std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (poster.pending() < count) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

std::vector<std::uint8_t> allByteValues() {
    std::vector<std::uint8_t> bytes(256);
    for (int i = 0; i < 256; ++i)
        bytes[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);
    return bytes;
}

}  // namespace mc::test
