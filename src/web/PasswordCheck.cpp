#include "web/PasswordCheck.h"

#include "web/PasswordHash.h"

namespace mc::web {

PasswordCheck::PasswordCheck() {
    m_pool.setMaxThreadCount(kRunning);
}

PasswordCheck::~PasswordCheck() {
    m_pool.clear();
    m_pool.waitForDone();
}

bool PasswordCheck::check(const QString& hash, const QByteArray& password,
                          std::function<void(bool)> done) {
    if (m_inFlight >= kRunning + kWaiting) return false;
    ++m_inFlight;
    m_pool.start([this, hash, password, done = std::move(done)]() mutable {
        const bool right = checkPassword(hash, password);
        // Posted: dropped with the receiver if this object is gone by then.
        QMetaObject::invokeMethod(
            &m_receiver,
            [this, right, done = std::move(done)] {
                --m_inFlight;
                done(right);
            },
            Qt::QueuedConnection);
    });
    return true;
}

}  // namespace mc::web
