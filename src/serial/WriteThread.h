#pragma once

// The sending half of the serial port component.

#include "serial/CommNotify.h"
#include "serial/PortSignals.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace mc {

// Takes blocks handed over by WriteRequest() from its own queue, in order,
// and writes each completely on the port's non-blocking descriptor, waiting
// with poll() for POLLOUT (an XOFF from the device holds it there) and for
// the close event.
// - When the queue runs empty after a block was written (and once at the
//   start), the thread sets OutputIdle and reports NotifyEmpty.
// - The close event ends the thread; the rest of the block being written and
//   the blocks still queued are dropped.
// - A failed write, or a hang-up seen while writing or waiting, reports
//   NotifyHangup and ends the thread. From then on WriteRequest() refuses
//   every block.
//
// The thread starts in the constructor. The port descriptor and close event
// are borrowed and must stay open until the thread has been joined; OutputIdle
// must outlive the object. Not copyable.
class TWriteThread {
public:
    // Throws std::system_error when the thread or its wake-up event cannot be
    // created.
    TWriteThread(int PortHandle, int CloseEvent, ICommNotify& Notify,
                 std::atomic<bool>& OutputIdle);
    // Joins the thread. REQUIRES: the close event has been signalled, or the
    // thread has ended on its own.
    ~TWriteThread();

    TWriteThread(const TWriteThread&) = delete;
    TWriteThread& operator=(const TWriteThread&) = delete;

    // Queues a copy of Count bytes for writing and clears OutputIdle. Returns
    // false, queuing nothing, when Count is 0, the copy cannot be made or the
    // thread has ended. Any thread.
    bool WriteRequest(const std::uint8_t* Bytes, std::uint16_t Count);
    // When the last block was written completely; nothing before the first.
    // Any thread.
    std::optional<std::chrono::steady_clock::time_point> lastWritten() const;

private:
    void Execute();
    // Next block, or false when the queue is empty (OutputIdle is then set).
    bool take(std::vector<std::uint8_t>& block);
    // Waits for a block, the close event or a hang-up. False: the thread ends.
    bool waitForWork();
    // Writes the whole block. False: the thread ends (close or failure).
    bool SendBlock(const std::vector<std::uint8_t>& block);
    void finish();

    const int PortHandle;
    const int CloseEvent;
    ICommNotify& m_notify;
    std::atomic<bool>& OutputIdle;
    UniqueFd m_wakeEvent;  // eventfd written by WriteRequest(), read by the thread
    // Steady-clock nanoseconds when the last block was written; 0: none yet.
    // Stored before the thread next looks at its queue (and sets OutputIdle).
    std::atomic<std::int64_t> m_writtenAt{0};

    std::mutex m_mutex;
    std::deque<std::vector<std::uint8_t>> m_queue;  // guarded by m_mutex
    bool m_ended = false;                           // guarded by m_mutex

    std::thread m_thread;  // last: starts after every other member is ready
};

}  // namespace mc
