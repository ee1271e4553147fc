#include "protocol/QXRClass.h"

#include <algorithm>
#include <span>
#include <utility>

#include "protocol/Frames.h"

namespace mc {

void TMatrixCommDataType::SetData(const std::uint8_t* Bytes, std::int32_t Length) {
    const std::size_t count = Length > 0 ? static_cast<std::size_t>(Length) : 0;
    DataLength = static_cast<std::int32_t>(count);
    Data.assign(Bytes, Bytes + count);
}

template <class Change>
auto CommandQueue::changeAndNotify(Change change) {
    std::lock_guard notifyLock(m_notifyMutex);
    std::size_t newCount = 0;
    auto result = [&] {
        std::lock_guard lock(m_mutex);
        auto changed = change();
        newCount = m_records.size();
        return changed;
    }();
    if (m_countListener) {
        m_countListener(newCount);
    }
    return result;
}

void CommandQueue::append(std::unique_ptr<TMatrixCommDataType> record) {
    enqueue(std::move(record), false);
}

void CommandQueue::appendReplacing(std::unique_ptr<TMatrixCommDataType> record) {
    enqueue(std::move(record), true);
}

void CommandQueue::enqueue(std::unique_ptr<TMatrixCommDataType> record, bool replacing) {
    if (m_appendListener) m_appendListener(*record);
    {
        std::lock_guard lock(m_mutex);
        if (m_holding) {
            m_held.push_back({std::move(record), replacing || m_holdingClient});
            return;
        }
    }
    changeAndNotify([&] {
        place(std::move(record), replacing);
        return true;
    });
}

namespace {

bool setsOutput(const FrameTag& tag) {
    return tag.kind == FrameTag::Kind::Route || tag.kind == FrameTag::Kind::Cycle;
}

}  // namespace

void CommandQueue::place(std::unique_ptr<TMatrixCommDataType> record, bool replacing) {
    FrameTag& tag = record->Tag;
    const bool output = setsOutput(tag);
    tag.replaceable = replacing && (output || tag.kind == FrameTag::Kind::Layer);
    for (auto waiting = m_records.rbegin(); tag.replaceable && waiting != m_records.rend();
         ++waiting) {
        const FrameTag& seen = (*waiting)->Tag;
        const bool sameTarget = output ? setsOutput(seen) && seen.output == tag.output
                                       : seen.kind == FrameTag::Kind::Layer;
        if (output && setsOutput(seen) && !sameTarget) continue;  // another output's
        if (sameTarget && seen.replaceable) {
            *waiting = std::move(record);
            return;
        }
        break;
    }
    m_records.push_back(std::move(record));
    m_ready.notify_all();
}

void CommandQueue::hold(bool client) {
    std::lock_guard lock(m_mutex);
    m_holding = true;
    m_holdingClient = client;
}

void CommandQueue::release() {
    changeAndNotify([&] {
        m_holding = false;
        m_holdingClient = false;
        for (Held& held : m_held)
            place(std::move(held.record), held.replacing);
        m_held.clear();
        return true;
    });
}

std::size_t CommandQueue::count() const {
    std::lock_guard lock(m_mutex);
    return m_records.size();
}

std::vector<FrameTag> CommandQueue::waitingTags() const {
    std::lock_guard lock(m_mutex);
    std::vector<FrameTag> tags;
    tags.reserve(m_records.size());
    for (const auto& record : m_records)
        tags.push_back(record->Tag);
    return tags;
}

std::unique_ptr<TMatrixCommDataType> CommandQueue::take() {
    return changeAndNotify([&] {
        std::unique_ptr<TMatrixCommDataType> record;
        if (!m_records.empty()) {
            record = std::move(m_records.front());
            m_records.pop_front();
        }
        return record;
    });
}

std::unique_ptr<TMatrixCommDataType> CommandQueue::waitTake(std::stop_token stop) {
    for (;;) {
        {
            std::unique_lock lock(m_mutex);
            m_ready.wait(lock, stop, [&] { return !m_records.empty(); });
            if (stop.stop_requested()) {
                return nullptr;
            }
        }
        // Taken through take() so that the listener hears of it in order. With
        // a second consumer the record may be gone by now: wait again.
        if (auto record = take()) {
            return record;
        }
    }
}

void CommandQueue::setCountListener(std::function<void(std::size_t)> listener) {
    std::lock_guard notifyLock(m_notifyMutex);
    m_countListener = std::move(listener);
}

void CommandQueue::setAppendListener(std::function<void(const TMatrixCommDataType&)> listener) {
    std::lock_guard notifyLock(m_notifyMutex);
    m_appendListener = std::move(listener);
}

namespace {

FrameTag routeTag(std::int32_t output) {
    return FrameTag{FrameTag::Kind::Route, output, false};
}

}  // namespace

void TQXRClass::SendOnOff(CommandQueue& Queue, std::int32_t Address, bool On) {
    composeOnOff(FrameData, Address, On);
    queueFrame(Queue, FrameTag{});
}

void TQXRClass::SendSwitch(CommandQueue& Queue, std::int32_t Address, std::int32_t Input,
                           std::int32_t Output, QueueMode Mode) {
    composeSwitch(FrameData, Address, Input, Output);
    queueFrame(Queue, routeTag(Output), Mode);
}

void TQXRClass::SendCloseOutput(CommandQueue& Queue, std::int32_t Address, std::int32_t Output,
                                QueueMode Mode) {
    composeClose(FrameData, Address, Output);
    queueFrame(Queue, routeTag(Output), Mode);
}

void TQXRClass::SendCycle(CommandQueue& Queue, std::int32_t Address,
                          const std::vector<std::int32_t>& Inputs, std::int32_t Count,
                          std::int32_t CycleTime) {
    // A Count beyond the list would read past its end; clamp instead.
    const auto count = std::clamp<std::int64_t>(Count, 0, static_cast<std::int64_t>(Inputs.size()));
    const std::span<const std::int32_t> sent(Inputs.data(), static_cast<std::size_t>(count));
    composeCycle(FrameData, Address, sent, CycleTime);
    queueFrame(Queue, FrameTag{FrameTag::Kind::Cycle, 0, false});
}

void TQXRClass::SendAddress(CommandQueue& Queue, std::int32_t Address, std::int32_t NewAddress) {
    composeSetAddress(FrameData, Address, NewAddress);
    queueFrame(Queue, FrameTag{});
}

void TQXRClass::SendLayer(CommandQueue& Queue, std::int32_t Address, std::int32_t Layer) {
    composeLayer(FrameData, Address, Layer);
    queueFrame(Queue, FrameTag{FrameTag::Kind::Layer, -1, false});
}

void TQXRClass::queueFrame(CommandQueue& Queue, FrameTag Tag, QueueMode Mode) {
    FrameLength = static_cast<std::int32_t>(FrameData.size());
    auto record = std::make_unique<TMatrixCommDataType>();
    record->SetData(FrameData.data(), FrameLength);
    record->Tag = Tag;
    if (Mode == QueueMode::Replace) {
        Queue.appendReplacing(std::move(record));
    } else {
        Queue.append(std::move(record));
    }
}

}  // namespace mc
