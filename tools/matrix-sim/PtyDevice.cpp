#include "PtyDevice.h"

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace mc::sim {

namespace {

[[noreturn]] void fail(const char* what) {
    throw std::system_error(errno, std::generic_category(), what);
}

}  // namespace

PtyDevice::PtyDevice() {
    m_master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_master < 0) {
        fail("posix_openpt");
    }
    char path[256];
    if (grantpt(m_master) != 0 || unlockpt(m_master) != 0 ||
        ptsname_r(m_master, path, sizeof path) != 0) {
        const int saved = errno;
        ::close(m_master);
        errno = saved;
        fail("preparing the pseudo-terminal");
    }
    m_slavePath = path;
    m_slave = ::open(path, O_RDWR | O_NOCTTY | O_CLOEXEC);
    const int flags = m_slave < 0 ? -1 : fcntl(m_master, F_GETFL);
    if (flags < 0 || fcntl(m_master, F_SETFL, flags | O_NONBLOCK) != 0) {
        const int saved = errno;
        if (m_slave >= 0) {
            ::close(m_slave);
        }
        ::close(m_master);
        errno = saved;
        fail("opening the pseudo-terminal's slave side");
    }
}

PtyDevice::~PtyDevice() {
    ::close(m_slave);
    ::close(m_master);
}

long PtyDevice::read(std::span<std::uint8_t> buffer) {
    for (;;) {
        const ssize_t n = ::read(m_master, buffer.data(), buffer.size());
        if (n >= 0) {
            return static_cast<long>(n);
        }
        if (errno == EINTR) {
            continue;
        }
        return (errno == EAGAIN || errno == EWOULDBLOCK) ? 0 : -1;
    }
}

std::size_t PtyDevice::write(std::span<const std::uint8_t> bytes) {
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(m_master, bytes.data() + written, bytes.size() - written);
        if (n > 0) {
            written += static_cast<std::size_t>(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            break;  // full (the program is not reading) or gone: the rest is dropped
        }
    }
    return written;
}

}  // namespace mc::sim
