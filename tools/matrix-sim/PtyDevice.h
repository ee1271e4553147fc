#pragma once

// The simulated switcher's end of a pseudo-terminal. The program under test
// opens the slave side as its serial port; the simulator reads and writes the
// master side.
//
// The simulator never changes terminal settings: a pseudo-terminal has one set
// of settings, and they belong to the program under test. It keeps a slave
// descriptor of its own open for its whole life, so that the program opening
// and closing the port never looks like a hang-up on the master side.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace mc::sim {

class PtyDevice {
public:
    // Opens a new pseudo-terminal; throws std::system_error on failure.
    PtyDevice();
    ~PtyDevice();

    PtyDevice(const PtyDevice&) = delete;
    PtyDevice& operator=(const PtyDevice&) = delete;

    // The slave's device path, e.g. /dev/pts/7.
    const std::string& slavePath() const { return m_slavePath; }
    // Non-blocking master descriptor, for poll().
    int masterFd() const { return m_master; }

    // Reads what the program wrote: the number of bytes, 0 when nothing is
    // there now, -1 on an error other than "try again".
    long read(std::span<std::uint8_t> buffer);
    // Writes towards the program without blocking; returns how many bytes went.
    std::size_t write(std::span<const std::uint8_t> bytes);

private:
    int m_master = -1;
    int m_slave = -1;
    std::string m_slavePath;
};

}  // namespace mc::sim
