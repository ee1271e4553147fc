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

void Recorder::attach(TComm& comm) {
    comm.OnReceiveData = [this](TComm&, const std::uint8_t* buffer, std::uint16_t length) {
        if (buffer[length] != 0) trailingZeroMissing = true;
        blocks.emplace_back(buffer, buffer + length);
    };
    comm.OnReceiveError = [this](TComm&, std::uint32_t flags) { errors.push_back(flags); };
    comm.OnModemStateChange = [this](TComm&, std::uint32_t bits) { modemEvents.push_back(bits); };
    comm.OnRequestHangup = [this](TComm&) { ++hangups; };
    comm.OnSendDataEmpty = [this](TComm&) { ++empties; };
    comm.OnReconnect = [this](TComm&) { ++reconnects; };
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
