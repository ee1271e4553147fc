#pragma once

// Crosspoint cell with its frame builders, and the command record and queue
// that carry built frames to the sender thread. Frame layouts: Frames.h.

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <stop_token>
#include <vector>

namespace mc {

// What a frame sets on the device: the cell builders tag every record they
// queue, so that the queue can replace a waiting route (appendReplacing) and
// the session can tell whose frames were waiting.
struct FrameTag {
    enum class Kind : std::uint8_t {
        Other,  // on/off, set-address, and records built by hand
        Route,  // a switch or close frame of `output`
        Cycle,  // a cycle frame (it sets output 0)
        Layer,
    };
    Kind kind = Kind::Other;
    std::int32_t output = -1;  // Route and Cycle: the output whose route it sets
    // Set for a client's frame (appendReplacing, or appended while the queue
    // is held for a client): a later client frame of the same output (or the
    // layer) may take this record's place.
    bool replaceable = false;
};

// One frame's bytes, a private copy. Created by a builder, owned by the queue
// while queued and by whoever takes it afterwards.
class TMatrixCommDataType {
public:
    std::vector<std::uint8_t> Data;
    std::int32_t DataLength = 0;
    FrameTag Tag;

    // Copies the first Length bytes of Bytes. REQUIRES: Length >= 0 and Bytes
    // holds at least Length bytes (may be null when Length is 0).
    void SetData(const std::uint8_t* Bytes, std::int32_t Length);
};

// First-in first-out queue of command records between the user-interface
// thread (append) and the sender thread (count, take); appendReplacing may put
// a record in the place of a waiting one instead. All operations are
// thread-safe. Destroying the queue discards the records it still holds.
class CommandQueue {
public:
    CommandQueue() = default;
    CommandQueue(const CommandQueue&) = delete;
    CommandQueue& operator=(const CommandQueue&) = delete;

    // REQUIRES for both appends: record is not null.
    void append(std::unique_ptr<TMatrixCommDataType> record);
    // The append of a network or web client's frame, which a later client
    // frame of the same output supersedes: at most one such frame per output
    // (and one for the layer) waits, the newest, in the place of the first,
    // and the device still ends as the requests, applied in order, leave it.
    // A route, close or cycle frame sets an output (a cycle frame output 0);
    // it is marked replaceable, then, looking from the newest waiting record
    // back, past the routes of other outputs, the first one that is not
    // decides:
    // - a replaceable frame of the same output: the record takes its place
    //   (same position, the count unchanged);
    // - anything else (a frame of the same output that is not replaceable,
    //   such as a click's; a layer, on/off or set-address frame), or none at
    //   all: the record is appended, so it never overtakes a frame that was
    //   queued after the one it would replace.
    // A layer frame is marked replaceable and takes the place of the newest
    // waiting record only when that is a replaceable layer frame (the frames
    // queued after a layer frame are meant for its layer). An on/off or
    // set-address frame is appended as by append(). A record the sender has
    // taken is no longer waiting and is not replaced.
    void appendReplacing(std::unique_ptr<TMatrixCommDataType> record);
    std::size_t count() const;
    // The tags of the waiting records, oldest first.
    std::vector<FrameTag> waitingTags() const;
    // Holds appends back until release(): meanwhile append and
    // appendReplacing set their records aside, where the sender cannot take
    // them and count() does not see them; release() queues them in order,
    // each by the rule of the append that brought it. So a step can write its
    // frames down before any of them can reach the line. With `client` (the
    // step of a network or web client), every record appended until release()
    // is queued as by appendReplacing, whichever builder made it: one rule for
    // all a client's frames. Holds do not nest.
    void hold(bool client = false);
    void release();
    // The oldest record, or null when the queue is empty.
    std::unique_ptr<TMatrixCommDataType> take();
    // Waits until a record is queued or stop is requested; returns the oldest
    // record, or null once stop is requested (stop wins over waiting records:
    // after a stop request nothing more is taken).
    std::unique_ptr<TMatrixCommDataType> waitTake(std::stop_token stop);

    // Called after every append (of either kind) and take with the new count
    // (unchanged by a replacement), on the thread that changed it, outside
    // the queue's lock. Calls never overlap and come in the order of the
    // changes. The listener may call count() but must not append or take.
    // Set it before any other thread uses the queue.
    void setCountListener(std::function<void(std::size_t)> listener);
    // Called by every append and appendReplacing with the record, on the
    // appending thread, before the record is queued (or held). Set it before
    // any other thread uses the queue.
    void setAppendListener(std::function<void(const TMatrixCommDataType&)> listener);

private:
    // Runs `change` under m_mutex, then tells the count listener the new count.
    template <class Change>
    auto changeAndNotify(Change change);
    void enqueue(std::unique_ptr<TMatrixCommDataType> record, bool replacing);
    // Queues the record, in the place of a waiting one when `replacing`
    // allows (see appendReplacing). REQUIRES: m_mutex held.
    void place(std::unique_ptr<TMatrixCommDataType> record, bool replacing);

    struct Held {
        std::unique_ptr<TMatrixCommDataType> record;
        bool replacing = false;
    };

    mutable std::mutex m_mutex;
    std::condition_variable_any m_ready;                         // guarded by m_mutex
    std::deque<std::unique_ptr<TMatrixCommDataType>> m_records;  // guarded by m_mutex
    // Held from a change until its listener call has returned, so that the
    // listener sees the counts in order. Taken before m_mutex, never after.
    std::mutex m_notifyMutex;
    std::function<void(std::size_t)> m_countListener;                  // set before use
    std::function<void(const TMatrixCommDataType&)> m_appendListener;  // set before use
    bool m_holding = false;                                            // guarded by m_mutex
    bool m_holdingClient = false;                                      // guarded by m_mutex
    std::vector<Held> m_held;                                          // guarded by m_mutex
};

// How a builder hands its frame to the queue: CommandQueue::append, or
// CommandQueue::appendReplacing (switch and close frames only).
enum class QueueMode { Append, Replace };

// A crosspoint cell. For a normal cell InputIndex/OutputIndex are its input and
// output; a close cell has InputIndex = its output and OutputIndex = 255.
// Each builder composes one frame into FrameData (scratch space), wraps a copy
// in a new record tagged with what it sets and appends it to Queue. Builders
// run on the UI thread.
class TQXRClass {
public:
    std::int32_t InputIndex = 0;
    std::int32_t OutputIndex = 0;
    bool Selected = false;
    std::vector<std::uint8_t> FrameData;
    std::int32_t FrameLength = 0;

    void SendOnOff(CommandQueue& Queue, std::int32_t Address, bool On);
    void SendSwitch(CommandQueue& Queue, std::int32_t Address, std::int32_t Input,
                    std::int32_t Output, QueueMode Mode = QueueMode::Append);
    void SendCloseOutput(CommandQueue& Queue, std::int32_t Address, std::int32_t Output,
                         QueueMode Mode = QueueMode::Append);
    // Sends the first Count entries of Inputs; a Count outside 0..Inputs.size()
    // is taken as the nearest of the two.
    void SendCycle(CommandQueue& Queue, std::int32_t Address,
                   const std::vector<std::int32_t>& Inputs, std::int32_t Count,
                   std::int32_t CycleTime);
    void SendAddress(CommandQueue& Queue, std::int32_t Address, std::int32_t NewAddress);
    void SendLayer(CommandQueue& Queue, std::int32_t Address, std::int32_t Layer);

private:
    void queueFrame(CommandQueue& Queue, FrameTag Tag, QueueMode Mode = QueueMode::Append);
};

}  // namespace mc
