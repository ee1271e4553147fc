#include "serial/FolderWatch.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <system_error>

namespace mc {

namespace {

constexpr std::uint32_t kFolderEvents = IN_CREATE | IN_MOVED_TO | IN_DELETE | IN_MOVED_FROM |
                                        IN_ATTRIB | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;

int checked(int fd, const char* what) {
    if (fd < 0) throw std::system_error(errno, std::generic_category(), what);
    return fd;
}

}  // namespace

std::string parentFolder(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string resolvedPath(const std::string& path) {
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (resolved == nullptr) return path;
    std::string result = resolved;
    std::free(resolved);
    return result;
}

FolderWatch::FolderWatch(std::vector<std::string> folders, ChangeHandler onChange)
    : m_onChange(std::move(onChange)),
      m_inotify(checked(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC), "inotify_init1")),
      m_stop(checked(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC), "eventfd")),
      m_folders(std::move(folders)),
      m_thread([this] { Execute(); }) {}

FolderWatch::~FolderWatch() {
    signalCloseEvent(m_stop.get());
    if (m_thread.joinable()) m_thread.join();
}

void FolderWatch::arm() {
    // Watching a folder twice gives back the same watch: re-arming after
    // every batch only adds what appeared. Watches of removed folders end by
    // themselves.
    for (std::string folder : m_folders) {
        while (::inotify_add_watch(m_inotify.get(), folder.c_str(), kFolderEvents) < 0) {
            if (folder == "/" || folder == ".") break;
            folder = parentFolder(folder);
        }
    }
}

bool FolderWatch::drainEvents() {
    alignas(inotify_event) char buffer[4096];
    for (;;) {
        const ssize_t got = ::read(m_inotify.get(), buffer, sizeof buffer);
        if (got > 0) continue;
        if (got < 0 && errno == EINTR) continue;
        return got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
    }
}

void FolderWatch::Execute() {
    arm();
    Wait wait = m_onChange(false);
    for (;;) {
        pollfd fds[2] = {{m_stop.get(), POLLIN, 0}, {m_inotify.get(), POLLIN, 0}};
        const int timeout = wait ? static_cast<int>(std::max<long long>(wait->count(), 0)) : -1;
        const int ready = pollOnce(fds, 2, timeout);
        if (ready < 0 || fds[0].revents != 0) return;
        if (ready == 0 && !wait) continue;  // interrupted
        m_wakeUps.fetch_add(1);
        if (ready == 0) {
            wait = m_onChange(true);
            continue;
        }
        if (!drainEvents()) return;
        arm();
        wait = m_onChange(false);
    }
}

}  // namespace mc
