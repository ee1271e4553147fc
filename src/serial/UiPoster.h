#pragma once

// The posting seam: core objects that run threads of their own (the serial
// port, the sender) report to the user-interface thread through it.

#include <chrono>
#include <deque>
#include <functional>
#include <mutex>
#include <utility>

namespace mc {

// Runs posted tasks on the user-interface thread, one at a time, in the order
// in which they were posted. post() may be called from any thread.
class IUiPoster {
public:
    virtual ~IUiPoster() = default;
    virtual void post(std::function<void()> task) = 0;
    // Runs `task` on the user-interface thread about `delay` from now, after
    // what is posted meanwhile. Without a clock of its own (tests) a poster
    // may run it as soon as a posted task.
    virtual void postLater(std::function<void()> task, std::chrono::milliseconds delay) {
        (void)delay;
        post(std::move(task));
    }
};

// A poster for code without an event loop (tests, command-line tools): tasks
// wait until the owning thread calls runPending(); those posted for later
// wait until it calls runLater(), whatever their delay.
class QueuedPoster final : public IUiPoster {
public:
    void post(std::function<void()> task) override {
        std::lock_guard lock(m_mutex);
        m_tasks.push_back(std::move(task));
    }
    void postLater(std::function<void()> task, std::chrono::milliseconds) override {
        std::lock_guard lock(m_mutex);
        m_later.push_back(std::move(task));
    }
    // Moves the tasks posted for later to the others and runs them all.
    int runLater() {
        {
            std::lock_guard lock(m_mutex);
            for (auto& task : m_later)
                m_tasks.push_back(std::move(task));
            m_later.clear();
        }
        return runPending();
    }

    // Runs every task posted so far, and those they post, in order; returns
    // how many ran. Call it from the thread that stands for the UI thread.
    int runPending() {
        int ran = 0;
        for (;;) {
            std::function<void()> task;
            {
                std::lock_guard lock(m_mutex);
                if (m_tasks.empty()) return ran;
                task = std::move(m_tasks.front());
                m_tasks.pop_front();
            }
            task();
            ++ran;
        }
    }

    std::size_t pending() const {
        std::lock_guard lock(m_mutex);
        return m_tasks.size();
    }

private:
    mutable std::mutex m_mutex;
    std::deque<std::function<void()>> m_tasks;  // guarded by m_mutex
    std::deque<std::function<void()>> m_later;  // guarded by m_mutex
};

}  // namespace mc
