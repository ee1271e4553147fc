#pragma once

// Helpers for serial tests: a pseudo-terminal pair standing in for a serial
// device, a recorder for TComm's handlers, and a bounded wait that pumps the
// queued poster (the tests' user-interface thread).

#include "serial/SerialComm.h"
#include "serial/UiPoster.h"
#include "support/TestPty.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace mc::test {

// Records every notification TComm hands to its handlers.
struct Recorder {
    std::vector<std::vector<std::uint8_t>> blocks;
    std::vector<std::uint32_t> errors;
    std::vector<std::uint32_t> modemEvents;
    int hangups = 0;
    int empties = 0;
    int reconnects = 0;
    bool trailingZeroMissing = false;

    void attach(TComm& comm);
    std::vector<std::uint8_t> allBytes() const;
};

// Runs the poster's tasks until pred() holds; false when it did not within
// `limit`.
template <typename Pred>
bool waitFor(QueuedPoster& poster, Pred pred,
             std::chrono::milliseconds limit = std::chrono::seconds(5)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        poster.runPending();
        if (pred()) return true;
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

// A TComm named after a fresh pseudo-terminal, its handlers recorded.
// TearDown closes the port and runs what is left in the poster.
class PtyCommTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    bool waitFor(const std::function<bool()>& pred,
                 std::chrono::milliseconds limit = std::chrono::seconds(5)) {
        return test::waitFor(poster, pred, limit);
    }

    QueuedPoster poster;
    Pty pty;
    TComm comm{poster};
    Recorder record;
};

// Waits, without running anything, until the poster holds at least `count`
// tasks; false when it did not within `limit`.
bool waitForPending(const QueuedPoster& poster, std::size_t count,
                    std::chrono::milliseconds limit = std::chrono::seconds(5));

// A fresh folder under the system's temporary folder, removed with all it
// holds at the end.
class TempDir {
public:
    TempDir() {
        std::string pattern = std::filesystem::temp_directory_path() / "serial-test-XXXXXX";
        m_path = ::mkdtemp(pattern.data());
    }
    ~TempDir() { std::filesystem::remove_all(m_path); }
    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

// Bytes 0..255 in order.
std::vector<std::uint8_t> allByteValues();

}  // namespace mc::test
