#pragma once

// Small helpers shared by the port threads: the close event (an eventfd that
// is written once and never read, so every poll() that watches it sees it
// from then on), poll() with EINTR handling, and best-effort thread niceness.

#include <poll.h>

#include <utility>

namespace mc {

// Owns one file descriptor and closes it on destruction. -1 means none.
class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : m_fd(fd) {}
    UniqueFd(UniqueFd&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        if (this != &other) reset(std::exchange(other.m_fd, -1));
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    ~UniqueFd() { reset(); }

    int get() const { return m_fd; }
    explicit operator bool() const { return m_fd >= 0; }
    // Closes the descriptor held (if any) and takes fd.
    void reset(int fd = -1);

private:
    int m_fd = -1;
};

// Creates the close event. Returns its descriptor (close-on-exec), or -1
// with errno set.
int createCloseEvent();

// Signals the close event. Safe to call more than once.
void signalCloseEvent(int closeEvent);

// True once the close event has been signalled (does not wait).
bool isCloseSignalled(int closeEvent);

// poll() that reports an interrupted wait (EINTR) as a wake-up with nothing
// ready (0), so that callers simply look again. Other errors: -1, errno set.
int pollOnce(pollfd* fds, nfds_t count, int timeoutMs);

// Changes the calling thread's nice value by delta (negative = more
// important). Best effort: a refusal (no privilege) is silently accepted.
// Returns whether the change took effect.
bool adjustThreadNice(int delta);

}  // namespace mc
