#include "SpeedProbe.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

namespace mc::test {

std::uint32_t probeOutputSpeed(int fd) {
    termios2 tio{};
    if (::ioctl(fd, TCGETS2, &tio) < 0) return 0;
    return tio.c_ospeed;
}

bool probeSetSpeed(int fd, std::uint32_t baud) {
    termios2 tio{};
    if (::ioctl(fd, TCGETS2, &tio) < 0) return false;
    tio.c_cflag &= ~(CBAUD | (CBAUD << IBSHIFT));
    tio.c_cflag |= BOTHER;
    tio.c_ispeed = baud;
    tio.c_ospeed = baud;
    return ::ioctl(fd, TCSETS2, &tio) == 0;
}

}  // namespace mc::test
