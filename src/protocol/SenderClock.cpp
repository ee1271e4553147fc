#include "protocol/SenderClock.h"

#include <condition_variable>
#include <mutex>

namespace mc {

ISenderClock::TimePoint SteadySenderClock::now() {
    return std::chrono::steady_clock::now();
}

bool SteadySenderClock::sleepUntil(TimePoint deadline, std::stop_token stop) {
    // Nothing but a stop request notifies this condition variable: the wait
    // ends at the deadline or when the stop callback wakes it.
    std::mutex mutex;
    std::condition_variable_any wake;
    std::unique_lock lock(mutex);
    wake.wait_until(lock, stop, deadline, [] { return false; });
    return !stop.stop_requested();
}

ISenderClock& steadySenderClock() {
    static SteadySenderClock clock;
    return clock;
}

}  // namespace mc
