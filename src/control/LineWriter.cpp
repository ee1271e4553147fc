#include "control/LineWriter.h"

#include <exception>
#include <filesystem>
#include <utility>

namespace mc {

LineWriter::LineWriter(Failed failed)
    : m_failed(std::move(failed)), m_thread([this](std::stop_token stop) { run(stop); }) {}

LineWriter::~LineWriter() {
    m_thread.request_stop();
    m_thread.join();
}

void LineWriter::store(std::string path, StoredLine line) {
    {
        std::lock_guard lock(m_mutex);
        // Absolute now: the working directory may change before the write.
        std::error_code error;
        std::filesystem::path absolute = std::filesystem::absolute(path, error);
        m_pending.emplace(error ? std::move(path) : absolute.string(), std::move(line));
    }
    m_wake.notify_one();
}

void LineWriter::flush() {
    std::unique_lock lock(m_mutex);
    m_idle.wait(lock, [this] { return !m_pending && !m_writing; });
}

void LineWriter::run(const std::stop_token& stop) {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, stop, [this] { return m_pending.has_value(); });
        if (!m_pending) break;  // stopped with nothing left to write
        auto [path, line] = std::move(*m_pending);
        m_pending.reset();
        m_writing = true;
        lock.unlock();
        try {
            writeStoredLine(path, line);
        } catch (const std::exception& error) {
            if (m_failed) m_failed(error.what());
        }
        lock.lock();
        m_writing = false;
        m_idle.notify_all();
    }
    m_idle.notify_all();
}

}  // namespace mc
