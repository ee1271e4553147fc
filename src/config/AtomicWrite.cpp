#include "config/AtomicWrite.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace mc {

namespace {

std::string errnoText(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

// Closes the descriptor and removes the temporary file unless released.
class TempFile {
public:
    TempFile(int fd, std::string path) : m_fd(fd), m_path(std::move(path)) {}
    ~TempFile() {
        if (m_fd >= 0) ::close(m_fd);
        if (!m_path.empty()) ::unlink(m_path.c_str());
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    int fd() const { return m_fd; }
    const std::string& path() const { return m_path; }
    // Closes the descriptor; returns false when close reported an error.
    bool close() {
        const int fd = std::exchange(m_fd, -1);
        return ::close(fd) == 0;
    }
    // The file has been renamed into place: keep it.
    void release() { m_path.clear(); }

private:
    int m_fd = -1;
    std::string m_path;
};

// The file that is actually replaced: the target of a symbolic link, else path.
std::string resolveTarget(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved) == nullptr) return path;  // dangling: replace the link
    return resolved;
}

std::string folderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string baseNameOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Creates a new temporary file beside target with mode 0666 under the umask.
TempFile createTempBeside(const std::string& target, const std::string& reportedPath) {
    static std::atomic<unsigned> counter{0};
    const std::string stem =
        folderOf(target) + "/." + baseNameOf(target) + ".tmp" + std::to_string(::getpid()) + ".";
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = stem + std::to_string(counter.fetch_add(1));
        const int fd =
            ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (fd >= 0) {
            // Marks the file as being written (removeStaleTempFiles). A file
            // system without locks still gets its file written.
            ::flock(fd, LOCK_EX | LOCK_NB);
            return TempFile(fd, std::move(name));
        }
        if (errno != EEXIST) throw FileWriteError(reportedPath, errnoText("create temporary file"));
    }
    throw FileWriteError(reportedPath, "create temporary file: no free name");
}

void writeAll(int fd, std::string_view bytes, const std::string& reportedPath) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            throw FileWriteError(reportedPath, errnoText("write"));
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

// Best effort: makes the rename itself durable.
void syncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

FileWriteError::FileWriteError(const std::string& path, std::string reason)
    : std::runtime_error("Unable to write to " + path), m_path(path), m_reason(std::move(reason)) {}

long tempFileOwner(std::string_view name) {
    // ".<name>.tmp<pid>.<n>"
    if (!name.starts_with('.')) return 0;
    const auto dot = name.rfind('.');
    if (dot == std::string_view::npos || dot + 1 == name.size()) return 0;
    for (const char c : name.substr(dot + 1)) {
        if (c < '0' || c > '9') return 0;
    }
    const auto tmp = name.rfind(".tmp", dot);
    if (tmp == std::string_view::npos || tmp == 0 || tmp + 4 == dot) return 0;
    const std::string_view digits = name.substr(tmp + 4, dot - tmp - 4);
    if (digits.size() > 9 || digits.front() == '0') return 0;
    long pid = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') return 0;
        pid = pid * 10 + (c - '0');
    }
    return pid;
}

int removeStaleTempFiles(const std::string& folder) {
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) return 0;
    int removed = 0;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        const long pid = tempFileOwner(name);
        if (pid <= 0 || pid == ::getpid()) continue;
        // Alive, or maybe alive (EPERM: another user's process): not ours to touch.
        if (::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH) continue;
        const std::string path = folder + "/" + name;
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
        if (fd < 0) continue;
        struct stat opened {};
        struct stat named {};
        // Removed only while we hold the lock, and only the file we locked.
        if (::fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode) &&
            ::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::lstat(path.c_str(), &named) == 0 &&
            named.st_dev == opened.st_dev && named.st_ino == opened.st_ino &&
            ::unlink(path.c_str()) == 0) {
            ++removed;
        }
        ::close(fd);
    }
    ::closedir(dir);
    return removed;
}

void writeFileAtomically(const std::string& path, std::string_view bytes) {
    const std::string target = resolveTarget(path);

    struct stat old {};
    const bool replacing = ::stat(target.c_str(), &old) == 0;
    if (replacing && !S_ISREG(old.st_mode)) throw FileWriteError(path, "not a regular file");

    TempFile temp = createTempBeside(target, path);
    writeAll(temp.fd(), bytes, path);
    if (replacing) {
        // Keeps the owner when a privileged process rewrites someone's file;
        // an unprivileged process cannot and need not.
        if (old.st_uid != ::geteuid() || old.st_gid != ::getegid()) {
            [[maybe_unused]] int ignored = ::fchown(temp.fd(), old.st_uid, old.st_gid);
        }
        if (::fchmod(temp.fd(), old.st_mode & 07777) != 0)
            throw FileWriteError(path, errnoText("set permissions"));
    }
    if (::fsync(temp.fd()) != 0) throw FileWriteError(path, errnoText("flush"));
    if (!temp.close()) throw FileWriteError(path, errnoText("close"));
    if (::rename(temp.path().c_str(), target.c_str()) != 0)
        throw FileWriteError(path, errnoText("rename"));
    temp.release();
    syncFolder(folderOf(target));
}

}  // namespace mc
