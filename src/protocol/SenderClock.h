#pragma once

// Time as the sender thread sees it. The program uses the steady clock; tests
// substitute a fake clock that jumps to each deadline at once and so paces
// frames without sleeping.

#include <chrono>
#include <stop_token>

namespace mc {

class ISenderClock {
public:
    using TimePoint = std::chrono::steady_clock::time_point;

    virtual ~ISenderClock() = default;
    virtual TimePoint now() = 0;
    // Returns true once `deadline` has passed, or false as soon as stop is
    // requested on `stop` (also when it already was).
    virtual bool sleepUntil(TimePoint deadline, std::stop_token stop) = 0;
};

// The steady clock. Stateless: one instance may serve any number of threads.
class SteadySenderClock final : public ISenderClock {
public:
    TimePoint now() override;
    bool sleepUntil(TimePoint deadline, std::stop_token stop) override;
};

// A process-wide SteadySenderClock, alive for the whole run.
ISenderClock& steadySenderClock();

}  // namespace mc
