// serial_bench: the paced sender and the serial port component together, on
// a pseudo-terminal, measured from the device's side (the master).
//
//   (a) pacing: 50 frames queued at once; gaps between frames as they arrive
//   (b) latency: a frame appended to an idle queue until it is readable
//   (c) idle cost: wake-ups per second of the sender and port threads
//   (d) idle cost while the device is away (pulled out): the port waits for
//       it to come back with inotify, without polling
//
// Usage: serial_bench [latency samples, default 200] [parts to run, default abcd]

#include "protocol/MatrixComm.h"
#include "protocol/QXRClass.h"
#include "serial/SerialComm.h"
#include "serial/UiPoster.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using Millis = std::chrono::duration<double, std::milli>;
constexpr std::size_t kFrameSize = 7;  // a switch frame

// The device side of a pseudo-terminal; its slave stays open all along.
struct Device {
    int master = -1;
    int slave = -1;
    std::string path;

    Device() {
        master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (master < 0 || ::grantpt(master) < 0 || ::unlockpt(master) < 0) {
            throw std::runtime_error("posix_openpt");
        }
        ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
        char name[128] = {};
        ::ptsname_r(master, name, sizeof name);
        path = name;
        slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    }
    ~Device() {
        ::close(slave);
        ::close(master);
    }
    Device(const Device&) = delete;
    Device& operator=(const Device&) = delete;

    // Reads what is there; waits up to timeoutMs for the first byte.
    std::size_t read(std::vector<std::uint8_t>& into, int timeoutMs) {
        pollfd fd{master, POLLIN, 0};
        if (::poll(&fd, 1, timeoutMs) <= 0) return 0;
        std::uint8_t buffer[512];
        const ssize_t n = ::read(master, buffer, sizeof buffer);
        if (n <= 0) return 0;
        into.insert(into.end(), buffer, buffer + n);
        return static_cast<std::size_t>(n);
    }
};

// A port, the command queue and the running sender, as the program has them.
struct Rig {
    Device device;
    mc::QueuedPoster poster;  // never run: the handlers are not what is measured
    mc::TComm comm{poster};
    mc::CommandQueue queue;
    mc::TMatrixCommDataThread sender{queue, comm};
    mc::TQXRClass cell;

    Rig() {
        comm.setCommName(device.path);
        comm.OpenPort();
        sender.start();
    }
    ~Rig() {
        sender.stop();
        comm.ClosePort();
    }
    void queueFrame(int n) { cell.SendSwitch(queue, 1, n % 16, (n / 16) % 16); }
};

double percentile(std::vector<double> values, double p) {
    std::sort(values.begin(), values.end());
    const auto index = static_cast<std::size_t>(p * static_cast<double>(values.size() - 1) + 0.5);
    return values[index];
}

void report(const char* what, double value, const char* unit, const char* target, bool met) {
    std::printf("  %-28s %9.3f %-4s  target %-10s %s\n", what, value, unit, target,
                met ? "met" : "MISSED");
}

void benchPacing() {
    constexpr int kFrames = 50;
    Rig rig;
    // When the sender handed each frame over (written by the sender thread,
    // read after the last frame has arrived).
    std::vector<Clock::time_point> handOvers(kFrames);
    std::atomic<int> handedOver{0};
    rig.sender.stop();
    rig.sender.setHandOverListener([&](bool, std::size_t) {
        const int n = handedOver.load();
        if (n < kFrames) handOvers[static_cast<std::size_t>(n)] = Clock::now();
        handedOver.store(n + 1);
    });
    rig.sender.start();
    std::vector<Clock::time_point> arrivals;  // first byte of each frame
    std::vector<std::uint8_t> bytes;
    for (int i = 0; i < kFrames; ++i)
        rig.queueFrame(i);
    const Clock::time_point deadline = Clock::now() + std::chrono::seconds(30);
    while (arrivals.size() < kFrames && Clock::now() < deadline) {
        const std::size_t before = bytes.size();
        if (rig.device.read(bytes, 1000) == 0) continue;
        const Clock::time_point now = Clock::now();
        for (std::size_t start = (before + kFrameSize - 1) / kFrameSize * kFrameSize;
             start < bytes.size(); start += kFrameSize) {
            arrivals.push_back(now);
        }
    }
    if (arrivals.size() < kFrames) {
        std::printf("(a) pacing: only %zu of %d frames arrived\n", arrivals.size(), kFrames);
        return;
    }
    std::vector<double> gaps;
    for (std::size_t i = 1; i < arrivals.size(); ++i) {
        gaps.push_back(Millis(arrivals[i] - arrivals[i - 1]).count());
    }
    const double low = *std::min_element(gaps.begin(), gaps.end());
    const double median = percentile(gaps, 0.5);
    const double high = *std::max_element(gaps.begin(), gaps.end());
    std::printf("(a) pacing: %d frames queued at once, %zu gaps read on the device side\n", kFrames,
                gaps.size());
    report("minimum gap", low, "ms", ">= 205.0", low >= 205.0);
    report("median gap", median, "ms", "<= 206", median <= 206.0);
    report("maximum gap", high, "ms", "<= 215", high <= 215.0);

    // Where a short gap comes from: the sender's own spacing, or the time
    // from hand-over to the bytes being readable.
    std::vector<double> senderGaps;
    std::vector<double> delays;
    for (std::size_t i = 0; i < arrivals.size() && i < handOvers.size(); ++i) {
        if (i > 0) senderGaps.push_back(Millis(handOvers[i] - handOvers[i - 1]).count());
        delays.push_back(Millis(arrivals[i] - handOvers[i]).count());
    }
    std::printf("  sender hand-over gaps: min %.3f, median %.3f, max %.3f ms\n",
                *std::min_element(senderGaps.begin(), senderGaps.end()),
                percentile(senderGaps, 0.5),
                *std::max_element(senderGaps.begin(), senderGaps.end()));
    std::printf("  hand-over to readable: min %.3f, median %.3f, max %.3f ms\n",
                *std::min_element(delays.begin(), delays.end()), percentile(delays, 0.5),
                *std::max_element(delays.begin(), delays.end()));
}

void benchLatency(int samples) {
    Rig rig;
    std::vector<double> latencies;
    for (int i = 0; i < samples; ++i) {
        // Past the pacing slot of the previous frame: the sender waits on an
        // idle queue.
        std::this_thread::sleep_for(std::chrono::milliseconds(230));
        std::vector<std::uint8_t> bytes;
        const Clock::time_point appended = Clock::now();
        rig.queueFrame(i);
        if (rig.device.read(bytes, 1000) == 0) {
            std::printf("(b) latency: frame %d did not arrive\n", i);
            return;
        }
        latencies.push_back(Millis(Clock::now() - appended).count());
        while (bytes.size() < kFrameSize && rig.device.read(bytes, 1000) > 0) {
        }
    }
    const double median = percentile(latencies, 0.5);
    const double p99 = percentile(latencies, 0.99);
    std::printf("(b) latency: append to an idle queue until readable, %d samples\n", samples);
    report("median", median, "ms", "< 1", median < 1.0);
    report("99th percentile", p99, "ms", "< 3", p99 < 3.0);
}

// Context switches (voluntary and not) of every thread but the calling one.
std::map<std::string, long> switchesPerThread(pid_t self) {
    std::map<std::string, long> counts;
    DIR* dir = ::opendir("/proc/self/task");
    if (!dir) return counts;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string tid = entry->d_name;
        if (tid == "." || tid == ".." || tid == std::to_string(self)) continue;
        std::ifstream status("/proc/self/task/" + tid + "/status");
        std::string line;
        long total = 0;
        while (std::getline(status, line)) {
            if (line.find("ctxt_switches:") != std::string::npos) {
                total += std::atol(line.substr(line.find(':') + 1).c_str());
            }
        }
        counts[tid] = total;
    }
    ::closedir(dir);
    return counts;
}

constexpr double kIdleSeconds = 5.0;

// Wake-ups per second of every thread but the calling one over kIdleSeconds;
// `threads` gets their number.
double idleWakeUps(std::size_t& threads) {
    std::this_thread::sleep_for(std::chrono::milliseconds(500));  // let start-up settle
    const pid_t self = ::gettid();
    const auto before = switchesPerThread(self);
    std::this_thread::sleep_for(std::chrono::duration<double>(kIdleSeconds));
    const auto after = switchesPerThread(self);
    long wakeUps = 0;
    for (const auto& [tid, count] : after) {
        const auto it = before.find(tid);
        wakeUps += count - (it == before.end() ? 0 : it->second);
    }
    threads = after.size();
    return static_cast<double>(wakeUps) / kIdleSeconds;
}

void benchIdle() {
    Rig rig;
    std::size_t threads = 0;
    const double perSecond = idleWakeUps(threads);
    std::printf("(c) idle cost: port open, nothing to send, %zu threads over %.0f s\n", threads,
                kIdleSeconds);
    report("wake-ups per second", perSecond, "/s", "<= 2", perSecond <= 2.0);
}

void benchIdleAwaiting() {
    char folder[] = "/tmp/serial-bench-XXXXXX";
    if (::mkdtemp(folder) == nullptr) throw std::runtime_error("mkdtemp");
    const std::string link = std::string(folder) + "/adapter";
    {
        auto device = std::make_unique<Device>();
        if (::symlink(device->path.c_str(), link.c_str()) != 0) throw std::runtime_error("symlink");
        mc::QueuedPoster poster;
        mc::TComm comm{poster};
        comm.setCommName(link);
        comm.OpenPort();
        device.reset();  // pulled out: the terminal is gone
        for (int i = 0; i < 500 && !comm.awaitingDevice(); ++i) {
            poster.runPending();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        if (!comm.awaitingDevice()) {
            std::printf("(d) idle cost while the device is away: the hang-up was not seen\n");
        } else {
            std::size_t threads = 0;
            const double perSecond = idleWakeUps(threads);
            std::printf("(d) idle cost: device away, waiting for it, %zu threads over %.0f s\n",
                        threads, kIdleSeconds);
            report("wake-ups per second", perSecond, "/s", "0", perSecond == 0.0);
        }
        comm.ClosePort();
    }
    ::unlink(link.c_str());
    ::rmdir(folder);
}

}  // namespace

int main(int argc, char** argv) {
    const int samples = argc > 1 ? std::max(2, std::atoi(argv[1])) : 200;
    const std::string parts = argc > 2 ? argv[2] : "abcd";
    try {
        if (parts.find('a') != std::string::npos) benchPacing();
        if (parts.find('b') != std::string::npos) benchLatency(samples);
        if (parts.find('c') != std::string::npos) benchIdle();
        if (parts.find('d') != std::string::npos) benchIdleAwaiting();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "serial_bench: %s\n", error.what());
        return 1;
    }
    return 0;
}
