#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace mc::test {

// A pseudo-terminal. The test talks to the port under test through the
// master side; it keeps one descriptor of the slave open for its whole life,
// so that the component's opens and closes of the slave are never seen as a
// hang-up, and reads the slave's settings through it. The master is never
// configured: its settings are the port's.
class Pty {
public:
    Pty();
    ~Pty();
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;

    const std::string& slavePath() const { return m_slavePath; }
    int slave() const { return m_slave; }
    int master() const { return m_master; }

    // Writes every byte to the master (what the device sends); fails the
    // test when it cannot within the time limit.
    void send(const std::vector<std::uint8_t>& bytes);
    // Reads from the master until `count` bytes arrived or `limit` passed.
    std::vector<std::uint8_t> receive(std::size_t count, std::chrono::milliseconds limit);
    // Closes the master: the device goes away.
    void closeMaster();

private:
    int m_master = -1;
    int m_slave = -1;
    std::string m_slavePath;
};

}  // namespace mc::test
