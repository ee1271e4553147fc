// termios2 speed handling. This file must not include <termios.h> (directly
// or through another header): it would redefine struct termios.

#include "serial/LineSpeed.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

#include <cerrno>
#include <cstring>

namespace mc {

namespace {

static_assert(sizeof(termios2) <= sizeof(SavedLineSettings::bytes),
              "SavedLineSettings too small for termios2");

int ioctlRetry(int fd, unsigned long request, void* arg) {
    int rc;
    do {
        rc = ::ioctl(fd, request, arg);
    } while (rc < 0 && errno == EINTR);
    return rc;
}

}  // namespace

bool setLineSpeed(int fd, std::uint32_t baud, std::uint32_t* actual) {
    if (baud == 0) {
        errno = EINVAL;  // speed 0 would hang the line up
        return false;
    }
    termios2 tio{};
    if (ioctlRetry(fd, TCGETS2, &tio) < 0) return false;
    // Clearing the input speed field (CIBAUD) makes the input speed follow
    // the output speed.
    tio.c_cflag &= ~(CBAUD | (CBAUD << IBSHIFT));
    tio.c_cflag |= BOTHER;
    tio.c_ispeed = baud;
    tio.c_ospeed = baud;
    if (ioctlRetry(fd, TCSETS2, &tio) < 0) return false;
    if (actual) {
        termios2 back{};
        if (ioctlRetry(fd, TCGETS2, &back) < 0) return false;
        *actual = back.c_ospeed;
    }
    return true;
}

bool readLineSpeed(int fd, std::uint32_t& baud) {
    termios2 tio{};
    if (ioctlRetry(fd, TCGETS2, &tio) < 0) return false;
    baud = tio.c_ospeed;
    return true;
}

bool saveLineSettings(int fd, SavedLineSettings& saved) {
    saved = SavedLineSettings{};
    termios2 tio{};
    if (ioctlRetry(fd, TCGETS2, &tio) < 0) return false;
    std::memcpy(saved.bytes.data(), &tio, sizeof tio);
    saved.valid = true;
    return true;
}

bool restoreLineSettings(int fd, const SavedLineSettings& saved) {
    if (!saved.valid) return false;
    termios2 tio{};
    std::memcpy(&tio, saved.bytes.data(), sizeof tio);
    return ioctlRetry(fd, TCSETS2, &tio) == 0;
}

}  // namespace mc
