#pragma once

// The sender thread: the one consumer of the command queue. It hands the
// queued frames to the serial port one at a time, oldest first, and keeps the
// switcher's pacing: a frame is handed over no earlier than kFrameGap (plus
// kPacingMargin) after the previous hand-over ended, nor after the port says
// the previous frame was written (IBytePort::lastBlockWritten), whichever is
// later.
//
// When the queue is empty the thread sleeps on the queue's condition variable
// (no periodic wake-ups), so a frame appended to an idle queue goes out at
// once. Between frames it sleeps until the next slot, waking early only for a
// stop request.

#include <atomic>
#include <chrono>
#include <cstddef>
#include <functional>
#include <stop_token>
#include <thread>

#include "protocol/BytePort.h"
#include "protocol/QXRClass.h"
#include "protocol/SenderClock.h"

namespace mc {

class TMatrixCommDataThread {
public:
    // The minimum time between two hand-overs: 200 ms after a frame plus a
    // 5 ms pause.
    static constexpr std::chrono::milliseconds kFrameGap{205};
    // Added to the gap between hand-overs so that the frames stay kFrameGap
    // apart on the line as well, where the port's write thread adds a small
    // delay of its own that varies from frame to frame (about 0.2 ms).
    static constexpr std::chrono::microseconds kPacingMargin{500};

    // Told after every hand-over, on the sender thread: `accepted` is what
    // WriteData returned, `remaining` the number of records still queued.
    // It may call stop() (which then only requests the stop) but must not
    // destroy this object.
    using HandOverListener = std::function<void(bool accepted, std::size_t remaining)>;

    // REQUIRES: queue, port and clock outlive this object (the queue must not
    // be destroyed before stop() has returned). Does not start the thread.
    TMatrixCommDataThread(CommandQueue& queue, IBytePort& port,
                          ISenderClock& clock = steadySenderClock());
    // Stops the thread as stop() does.
    ~TMatrixCommDataThread();

    TMatrixCommDataThread(const TMatrixCommDataThread&) = delete;
    TMatrixCommDataThread& operator=(const TMatrixCommDataThread&) = delete;

    // Set before start(); read by the sender thread.
    void setHandOverListener(HandOverListener listener);

    // Starts the thread; does nothing when it runs already. After stop() it
    // may be started again. Call from the owning (user-interface) thread.
    void start();

    // Requests termination, wakes the thread and waits until it has ended:
    // at most one WriteData call, never a full pacing slot. Records still
    // queued stay there unsent. Does nothing when the thread is not running.
    // Call from the owning thread; from the listener it only requests the stop.
    void stop();

    // True from start() until stop() has waited for the thread.
    bool running() const { return m_thread.joinable(); }

private:
    void run(std::stop_token stop);
    // Calls WriteData with the record's bytes; a throwing port counts as a
    // refusal, so that no exception leaves the thread.
    bool handOver(const TMatrixCommDataType& record);

    CommandQueue& m_queue;
    IBytePort& m_port;
    ISenderClock& m_clock;
    HandOverListener m_listener;  // written before start(), then read by the thread
    // Made afresh by start() before the thread exists, so that the thread (the
    // listener) may request the stop before m_thread has been assigned.
    std::stop_source m_stop;
    std::atomic<std::thread::id> m_senderId;  // set by the sender thread when it begins
    std::jthread m_thread;                    // owning thread only
};

}  // namespace mc
