#include "serial/PortSignals.h"

#include <sys/eventfd.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

namespace mc {

void UniqueFd::reset(int fd) {
    if (m_fd >= 0) ::close(m_fd);  // EINTR: the descriptor is closed on Linux
    m_fd = fd;
}

int createCloseEvent() {
    return ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
}

void signalCloseEvent(int closeEvent) {
    const std::uint64_t one = 1;
    ssize_t rc;
    do {
        rc = ::write(closeEvent, &one, sizeof one);
    } while (rc < 0 && errno == EINTR);
}

bool isCloseSignalled(int closeEvent) {
    pollfd fd{closeEvent, POLLIN, 0};
    return pollOnce(&fd, 1, 0) > 0 && (fd.revents & POLLIN) != 0;
}

int pollOnce(pollfd* fds, nfds_t count, int timeoutMs) {
    const int rc = ::poll(fds, count, timeoutMs);
    if (rc < 0 && errno == EINTR) {
        for (nfds_t i = 0; i < count; ++i)
            fds[i].revents = 0;
        return 0;
    }
    return rc;
}

bool adjustThreadNice(int delta) {
    const pid_t tid = ::gettid();
    errno = 0;
    const int current = ::getpriority(PRIO_PROCESS, static_cast<id_t>(tid));
    if (current == -1 && errno != 0) return false;
    return ::setpriority(PRIO_PROCESS, static_cast<id_t>(tid), current + delta) == 0;
}

}  // namespace mc
