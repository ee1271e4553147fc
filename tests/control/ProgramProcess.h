#pragma once

// Runs a program of ours as a child process for the termination tests: on the
// offscreen platform, standard output and error into files, signals by
// process id, and waits with time limits. The child is killed when the object
// goes away.

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace mc::test {

class ProgramProcess {
public:
    // Starts path with args; output goes to outputFile (stdout and stderr).
    ProgramProcess(const std::string& path, std::vector<std::string> args,
                   const std::string& outputFile)
        : m_outputFile(outputFile) {
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outputFile.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
        std::vector<std::string> env{"QT_QPA_PLATFORM=offscreen"};
        for (char** e = environ; *e != nullptr; ++e) {
            if (!std::string_view(*e).starts_with("QT_QPA_PLATFORM=")) env.emplace_back(*e);
        }
        std::vector<char*> envp;
        for (auto& entry : env)
            envp.push_back(entry.data());
        envp.push_back(nullptr);
        args.insert(args.begin(), path);
        std::vector<char*> argv;
        for (auto& arg : args)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        if (posix_spawn(&m_pid, path.c_str(), &actions, nullptr, argv.data(), envp.data()) != 0)
            m_pid = -1;
        posix_spawn_file_actions_destroy(&actions);
    }
    ~ProgramProcess() {
        if (m_pid > 0 && !m_status) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
    }
    ProgramProcess(const ProgramProcess&) = delete;
    ProgramProcess& operator=(const ProgramProcess&) = delete;

    bool started() const { return m_pid > 0; }
    pid_t pid() const { return m_pid; }
    void signal(int number) const { ::kill(m_pid, number); }

    // The wait status once the process has ended within limit; nullopt while
    // it runs.
    std::optional<int> wait(std::chrono::milliseconds limit) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (!m_status) {
            int status = 0;
            const pid_t done = ::waitpid(m_pid, &status, WNOHANG);
            if (done == m_pid) {
                m_status = status;
                break;
            }
            if (std::chrono::steady_clock::now() >= deadline) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return m_status;
    }

    // Waits until the process has used no processor time for `quiet` (it
    // sits in its event loop, or in a box's), at most limit. False when it
    // ended or never settled.
    bool waitUntilIdle(std::chrono::milliseconds quiet = std::chrono::milliseconds(400),
                       std::chrono::milliseconds limit = std::chrono::seconds(20)) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        long last = -1;
        auto since = std::chrono::steady_clock::now();
        while (std::chrono::steady_clock::now() < deadline) {
            if (wait(std::chrono::milliseconds(0))) return false;
            const long used = cpuTicks();
            const auto now = std::chrono::steady_clock::now();
            if (used != last) {
                last = used;
                since = now;
            } else if (now - since >= quiet) {
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    }

    // What the process wrote to standard output and error.
    std::string output() const {
        std::ifstream in(m_outputFile, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

private:
    // utime + stime from /proc/<pid>/stat (fields 14 and 15).
    long cpuTicks() const {
        std::ifstream in("/proc/" + std::to_string(m_pid) + "/stat");
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const auto close = text.rfind(')');
        if (close == std::string::npos) return -1;
        std::istringstream fields(text.substr(close + 2));
        std::string field;
        long ticks = 0;
        for (int k = 3; k <= 15 && fields >> field; ++k) {
            if (k >= 14) ticks += std::stol(field);
        }
        return ticks;
    }

    pid_t m_pid = -1;
    std::optional<int> m_status;
    std::string m_outputFile;
};

}  // namespace mc::test
