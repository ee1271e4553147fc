#pragma once

// Output locks: an output locked by one owner refuses switches from every
// other owner. Owners are names: the control window is one owner, a network
// client is identified by its address (two connections from one address are
// one owner). Locks are not saved; they live until unlocked, force-unlocked,
// or the matrix is rebuilt. UI-thread use only.

#include <cstdint>
#include <string>
#include <vector>

namespace mc {

enum class LockRequest {
    Lock,         // take the lock; refused when someone else holds it
    Unlock,       // release one's own lock; refused for another owner's lock
    ForceUnlock,  // break whoever's lock
};

class OutputLocks {
public:
    // Every output unlocked.
    void reset(std::int32_t outputs);
    std::int32_t size() const { return static_cast<std::int32_t>(m_owners.size()); }

    // "" when unlocked or out of range.
    const std::string& owner(std::int32_t output) const;
    // True when `who` may switch the output: it is unlocked or locked by `who`.
    bool allows(std::int32_t output, const std::string& who) const;

    // Carries out the request of `who` on output `output`. Returns false when
    // it is refused or out of range; `changed` tells whether the owner changed
    // (locking one's own lock again, or unlocking an unlocked output, is
    // accepted without a change).
    bool request(std::int32_t output, const std::string& who, LockRequest request, bool& changed);

private:
    std::vector<std::string> m_owners;
};

}  // namespace mc
