#pragma once

// PasswordCheck: password checks (a key derivation each, about a quarter of
// a second) on worker threads, so that the event loop never waits for one.
// At most kRunning run at once and kWaiting more wait; past that, check()
// refuses at once. The verdict comes back on the thread that made this
// object, through its event loop.
//
// Lifetime: the destructor drops the checks still waiting and waits for the
// running ones; no verdict comes after it. Threads: the creating thread's
// event loop calls check() and gets the verdicts.

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QThreadPool>

#include <functional>

namespace mc::web {

class PasswordCheck {
public:
    static constexpr int kRunning = 2;
    static constexpr int kWaiting = 32;

    PasswordCheck();
    ~PasswordCheck();
    PasswordCheck(const PasswordCheck&) = delete;
    PasswordCheck& operator=(const PasswordCheck&) = delete;

    // Checks `password` against `hash` (checkPassword); `done` gets whether
    // it is right. False, and `done` is never called, when kRunning +
    // kWaiting checks are in flight already.
    bool check(const QString& hash, const QByteArray& password, std::function<void(bool)> done);
    int inFlight() const { return m_inFlight; }

private:
    QObject m_receiver;  // the verdicts are posted to it
    QThreadPool m_pool;
    int m_inFlight = 0;  // the creating thread's only
};

}  // namespace mc::web
