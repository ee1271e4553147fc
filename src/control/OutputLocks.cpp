#include "control/OutputLocks.h"

namespace mc {

namespace {

const std::string kNobody;

}  // namespace

void OutputLocks::reset(std::int32_t outputs) {
    m_owners.assign(static_cast<std::size_t>(outputs > 0 ? outputs : 0), std::string());
}

const std::string& OutputLocks::owner(std::int32_t output) const {
    if (output < 0 || output >= size()) return kNobody;
    return m_owners[static_cast<std::size_t>(output)];
}

bool OutputLocks::allows(std::int32_t output, const std::string& who) const {
    const std::string& holder = owner(output);
    return holder.empty() || holder == who;
}

bool OutputLocks::request(std::int32_t output, const std::string& who, LockRequest request,
                          bool& changed) {
    changed = false;
    if (output < 0 || output >= size() || who.empty()) return false;
    std::string& holder = m_owners[static_cast<std::size_t>(output)];
    switch (request) {
        case LockRequest::Lock:
            if (!holder.empty() && holder != who) return false;
            changed = holder.empty();
            holder = who;
            return true;
        case LockRequest::Unlock:
            if (!holder.empty() && holder != who) return false;
            changed = !holder.empty();
            holder.clear();
            return true;
        case LockRequest::ForceUnlock:
            changed = !holder.empty();
            holder.clear();
            return true;
    }
    return false;
}

}  // namespace mc
