#pragma once

// Fakes for the sender thread's tests: a clock that jumps to each deadline at
// once, a clock whose sleep only a stop ends, and a port that records every
// hand-over with the fake time (and may write each block late).

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

#include "protocol/BytePort.h"
#include "protocol/SenderClock.h"

namespace mc::test {

// Time moves only when the sender sleeps (to the deadline) or a test calls
// advance(). Thread-safe.
class FakeClock : public ISenderClock {
public:
    TimePoint now() override {
        std::lock_guard lock(m_mutex);
        return m_now;
    }

    bool sleepUntil(TimePoint deadline, std::stop_token stop) override {
        std::lock_guard lock(m_mutex);
        ++m_sleeps;
        m_slept.notify_all();
        if (stop.stop_requested()) {
            return false;
        }
        m_now = std::max(m_now, deadline);
        return true;
    }

    // Waits (at most `limit` of real time) until sleepUntil has been called
    // `count` times; returns whether it was.
    bool waitForSleeps(int count, std::chrono::milliseconds limit = std::chrono::seconds(10)) {
        std::unique_lock lock(m_mutex);
        return m_slept.wait_for(lock, limit, [&] { return m_sleeps >= count; });
    }

    void advance(std::chrono::milliseconds by) {
        std::lock_guard lock(m_mutex);
        m_now += by;
    }

    int sleeps() const {
        std::lock_guard lock(m_mutex);
        return m_sleeps;
    }

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_slept;  // with m_mutex
    TimePoint m_now{};                // guarded by m_mutex
    int m_sleeps = 0;                 // guarded by m_mutex
};

// A clock whose sleep lasts until stop is requested, however near the
// deadline: the sender stays inside one pacing slot until it is stopped.
class StopOnlyClock : public ISenderClock {
public:
    TimePoint now() override { return TimePoint{}; }

    bool sleepUntil(TimePoint, std::stop_token stop) override {
        std::mutex mutex;
        std::condition_variable_any wake;
        std::unique_lock lock(mutex);
        wake.wait(lock, stop, [] { return false; });
        return false;
    }
};

struct HandOver {
    std::vector<std::uint8_t> bytes;
    ISenderClock::TimePoint at;
    bool accepted = false;
};

// Records every WriteData call. Accepts like an open port (Count 0 refused)
// or refuses everything like a closed one.
class RecordingPort : public IBytePort {
public:
    explicit RecordingPort(ISenderClock& clock) : m_clock(clock) {}

    bool WriteData(const std::uint8_t* Bytes, std::uint16_t Count) override {
        HandOver handOver{std::vector<std::uint8_t>(Bytes, Bytes + Count), m_clock.now(), false};
        std::lock_guard lock(m_mutex);
        handOver.accepted = m_open && Count > 0;
        m_handOvers.push_back(std::move(handOver));
        m_changed.notify_all();
        return m_handOvers.back().accepted;
    }

    void setOpen(bool open) {
        std::lock_guard lock(m_mutex);
        m_open = open;
    }

    // The port's writer finishes each block `delay` after its hand-over.
    void setWriteDelay(std::chrono::milliseconds delay) {
        std::lock_guard lock(m_mutex);
        m_writeDelay = delay;
    }
    std::optional<ISenderClock::TimePoint> lastBlockWritten() const override {
        std::lock_guard lock(m_mutex);
        if (m_handOvers.empty() || !m_writeDelay) return std::nullopt;
        return m_handOvers.back().at + *m_writeDelay;
    }

    // Waits (at most `limit` of real time) until `count` hand-overs happened;
    // returns all so far.
    std::vector<HandOver> waitFor(std::size_t count,
                                  std::chrono::milliseconds limit = std::chrono::seconds(10)) {
        std::unique_lock lock(m_mutex);
        m_changed.wait_for(lock, limit, [&] { return m_handOvers.size() >= count; });
        return m_handOvers;
    }

    std::vector<HandOver> handOvers() {
        std::lock_guard lock(m_mutex);
        return m_handOvers;
    }

private:
    ISenderClock& m_clock;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;                      // with m_mutex
    bool m_open = true;                                     // guarded by m_mutex
    std::vector<HandOver> m_handOvers;                      // guarded by m_mutex
    std::optional<std::chrono::milliseconds> m_writeDelay;  // guarded by m_mutex
};

}  // namespace mc::test
