#pragma once

// The receiving half of the serial port component.

#include "serial/CommNotify.h"
#include "serial/LineEvents.h"

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <thread>

namespace mc {

// Keeps reading the open port and hands what arrives to ICommNotify:
// - Data is collected in blocks of up to 2048 bytes. A block is handed over
//   (NotifyData) when it is full or when more than the read interval
//   (ReadIntervalTimeout, milliseconds) has passed after its last byte; an
//   interval of 0 or 0xFFFFFFFF hands over whatever each read returned.
// - Line events (NotifyError, NotifyModem) come from the ILineStatus, read at
//   every wake-up and about once a second while the line is idle, as long as
//   the device supports it; otherwise the thread sleeps until data arrives.
// - A hang-up (POLLHUP/POLLERR/POLLNVAL, a read of 0 bytes, EIO/ENODEV/ENXIO)
//   or any other failure hands over the bytes collected so far, then reports
//   NotifyHangup and ends the thread.
// - The close event ends the thread without a notification; a block still
//   being collected is dropped.
//
// The thread starts in the constructor. The descriptors are borrowed: both
// must stay open until the thread has been joined. Not copyable.
class TReadThread {
public:
    static constexpr std::size_t BlockSize = 2048;
    static constexpr std::chrono::milliseconds IdleLineCheck{1000};

    // Throws std::system_error when the thread cannot be created. lineStatus
    // may be null (no line events).
    TReadThread(int PortHandle, int CloseEvent, ICommNotify& Notify,
                std::unique_ptr<ILineStatus> LineStatus, std::uint32_t ReadInterval);
    // Joins the thread. REQUIRES: the close event has been signalled, or the
    // thread has ended on its own.
    ~TReadThread();

    TReadThread(const TReadThread&) = delete;
    TReadThread& operator=(const TReadThread&) = delete;

    // Changes the read interval; takes effect at the thread's next wake-up.
    // Any thread.
    void setReadInterval(std::uint32_t milliseconds) { m_readInterval.store(milliseconds); }

private:
    using Clock = std::chrono::steady_clock;

    void Execute();
    // Reads line status and reports changes. False: the thread must end
    // (hang-up reported).
    bool checkLineEvents(LineSnapshot& last, Clock::time_point now);
    // Hands over the collected block. False: the thread must end.
    bool DeliverData();
    int pollTimeout(Clock::time_point now) const;
    bool intervalImmediate() const;

    const int PortHandle;
    const int CloseEvent;
    ICommNotify& m_notify;
    std::unique_ptr<ILineStatus> m_lineStatus;  // used by the thread only
    std::atomic<std::uint32_t> m_readInterval;

    // Thread-local working state.
    std::uint8_t m_block[BlockSize] = {};
    std::size_t m_count = 0;
    Clock::time_point m_lastByte{};
    Clock::time_point m_nextLineCheck{};

    std::thread m_thread;  // last: starts after every other member is ready
};

}  // namespace mc
