// matrix-sim: a simulated matrix switcher on a pseudo-terminal, for running
// and testing the control program without a device. See SimOptions.cpp for
// the command line and FrameReport.h for the output formats.

#include <poll.h>
#include <sys/signalfd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

#include "FrameMonitor.h"
#include "PtyDevice.h"
#include "SimOptions.h"

namespace mc::sim {
namespace {

// Writes one line to stdout at once (others read it through a pipe).
bool printLine(const std::string& line) {
    const std::string text = line.back() == '\n' ? line : line + "\n";
    return std::fwrite(text.data(), 1, text.size(), stdout) == text.size() &&
           std::fflush(stdout) == 0;
}

// Files the simulator creates for others to find it by; removed at exit.
class Announcements {
public:
    Announcements(const SimOptions& options, const std::string& devicePath) {
        if (!options.pathFile.empty()) {
            // Written under another name and renamed: a reader never sees half.
            const std::string temporary = options.pathFile + ".tmp";
            std::ofstream(temporary) << devicePath << "\n";
            if (std::rename(temporary.c_str(), options.pathFile.c_str()) != 0) {
                throw std::system_error(errno, std::generic_category(), options.pathFile);
            }
            m_pathFile = options.pathFile;
        }
        if (!options.link.empty()) {
            struct stat info {};
            if (lstat(options.link.c_str(), &info) == 0) {
                if (!S_ISLNK(info.st_mode)) {
                    throw std::runtime_error(options.link + ": exists and is not a symbolic link");
                }
                ::unlink(options.link.c_str());
            }
            if (::symlink(devicePath.c_str(), options.link.c_str()) != 0) {
                throw std::system_error(errno, std::generic_category(), options.link);
            }
            m_link = options.link;
        }
    }
    ~Announcements() {
        if (!m_link.empty()) {
            ::unlink(m_link.c_str());
        }
        if (!m_pathFile.empty()) {
            ::unlink(m_pathFile.c_str());
        }
    }
    Announcements(const Announcements&) = delete;
    Announcements& operator=(const Announcements&) = delete;

private:
    std::string m_pathFile;
    std::string m_link;
};

// The signals the simulator handles, delivered through a descriptor.
int openSignalFd() {
    sigset_t set;
    sigemptyset(&set);
    for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGUSR1}) {
        sigaddset(&set, signal);
    }
    if (sigprocmask(SIG_BLOCK, &set, nullptr) != 0) {
        return -1;
    }
    return signalfd(-1, &set, SFD_CLOEXEC | SFD_NONBLOCK);
}

class Simulator {
public:
    Simulator(const SimOptions& options, PtyDevice& pty)
        : m_options(options),
          m_pty(pty),
          m_monitor(options.address, options.minGapMs, options.toleranceMs) {}

    // Runs until a stop signal; returns the exit status.
    int run(int signals) {
        std::array<pollfd, 2> fds{pollfd{m_pty.masterFd(), POLLIN, 0}, pollfd{signals, POLLIN, 0}};
        for (;;) {
            const int timeout = m_monitor.pending() ? m_options.idleFlushMs : -1;
            const int ready = ::poll(fds.data(), fds.size(), timeout);
            if (ready < 0 && errno != EINTR) {
                std::perror("matrix-sim: poll");
                return 1;
            }
            if (ready == 0 && !show(m_monitor.flush(now()))) {
                return 1;
            }
            if (fds[1].revents & POLLIN) {
                signalfd_siginfo info{};
                while (::read(signals, &info, sizeof info) == sizeof info) {
                    if (info.ssi_signo != SIGUSR1) {
                        return finish();
                    }
                    if (!dump()) {
                        return 1;
                    }
                }
            }
            if ((fds[0].revents & (POLLIN | POLLERR | POLLHUP)) && !readInput()) {
                return 1;
            }
        }
    }

private:
    static FrameMonitor::TimePoint now() { return std::chrono::steady_clock::now(); }

    bool readInput() {
        std::array<std::uint8_t, 4096> buffer{};
        for (;;) {
            const long n = m_pty.read(buffer);
            if (n < 0) {
                std::fprintf(stderr, "matrix-sim: reading the pseudo-terminal: %s\n",
                             std::strerror(errno));
                return false;
            }
            if (n == 0) {
                return true;
            }
            const auto at = now();
            if (!show(m_monitor.receive({buffer.data(), static_cast<std::size_t>(n)}, at))) {
                return false;
            }
        }
    }

    bool show(const std::vector<FrameReport>& reports) {
        for (const auto& report : reports) {
            if (!printLine(m_options.json ? jsonLine(report) : humanLine(report))) {
                return false;
            }
            if (!m_options.reply.empty() && FrameMonitor::wantsReply(report)) {
                m_pty.write(m_options.reply);
            }
        }
        return true;
    }

    bool dump() {
        const SwitcherState& state = m_monitor.state();
        return printLine(m_options.json ? jsonDump(state) : humanDump(state));
    }

    int finish() {
        bool ok = show(m_monitor.flush(now()));
        if (ok && m_options.dumpOnExit) {
            ok = dump();
        }
        return ok ? 0 : 1;
    }

    const SimOptions& m_options;
    PtyDevice& m_pty;
    FrameMonitor m_monitor;
};

int runMain(int argc, char** argv) {
    const ParsedOptions parsed = parseOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.error.empty()) {
        std::fprintf(stderr, "matrix-sim: %s\n", parsed.error.c_str());
        return 2;
    }
    if (parsed.options.help) {
        std::fputs(usageText().c_str(), stdout);
        return 0;
    }
    std::signal(SIGPIPE, SIG_IGN);  // a closed stdout shows up as a failed write
    const int signals = openSignalFd();
    if (signals < 0) {
        std::perror("matrix-sim: signalfd");
        return 1;
    }
    try {
        PtyDevice pty;
        Announcements announcements(parsed.options, pty.slavePath());
        if (!printLine(pty.slavePath())) {
            return 1;
        }
        Simulator simulator(parsed.options, pty);
        return simulator.run(signals);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "matrix-sim: %s\n", error.what());
        return 1;
    }
}

}  // namespace
}  // namespace mc::sim

int main(int argc, char** argv) {
    return mc::sim::runMain(argc, argv);
}
