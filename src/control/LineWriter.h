#pragma once

// LineWriter: stores the line in MatrixLine.json on a thread of its own, so
// that the user-interface thread pays only for a copy of the line, never for
// the file's flush to the disk. Writes coalesce: of the lines handed over
// while one is being written, only the newest is written next.
//
// Threads: store() and flush() from any one thread; the failure callback runs
// on the writer's thread. The destructor writes what is pending, then stops.

#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <stop_token>
#include <string>
#include <thread>

#include "control/LineFile.h"

namespace mc {

class LineWriter {
public:
    // Told the text of each write that failed.
    using Failed = std::function<void(const std::string& error)>;
    explicit LineWriter(Failed failed);
    ~LineWriter();
    LineWriter(const LineWriter&) = delete;
    LineWriter& operator=(const LineWriter&) = delete;

    // `line` is to be written to `path` (writeStoredLine) as soon as may be.
    void store(std::string path, StoredLine line);
    // Returns once every line handed over so far is written (or failed).
    void flush();

private:
    void run(const std::stop_token& stop);

    Failed m_failed;
    std::mutex m_mutex;
    std::condition_variable_any m_wake;  // a line is pending, or stop
    std::condition_variable m_idle;      // nothing pending, nothing being written
    std::optional<std::pair<std::string, StoredLine>> m_pending;  // guarded by m_mutex
    bool m_writing = false;                                       // guarded by m_mutex
    std::jthread m_thread;  // declared last: started once the fields exist
};

}  // namespace mc
