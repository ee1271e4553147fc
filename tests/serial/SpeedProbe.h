#pragma once

// Reads and changes a terminal's speed through termios2, independently of
// the code under test (the kernel header cannot meet <termios.h>).

#include <cstdint>

namespace mc::test {

// Output speed in bits per second, or 0 when it cannot be read.
std::uint32_t probeOutputSpeed(int fd);
// Sets both speeds; false on failure.
bool probeSetSpeed(int fd, std::uint32_t baud);

}  // namespace mc::test
