// remote_bench: the network control server on a real MatrixSession (48
// inputs, 32 outputs, its sender not started so the frames stay queued)
// under 32 clients, measured from the clients' side (a thread of plain
// sockets) and on the server's event loop. A route is timed when the session
// reports it changed (an observer of its change events), its frame queued.
//
//   (a) closed loop: 32 clients each send 1,000 route requests, the next one
//       after the previous ACK; request-to-session-change latency
//   (b) burst: 32 clients each send 1,000 route requests at once; the same
//       latency (mostly queueing) and the time until all are handled
//   (c) fan-out: a change made outside the network (as the window makes it)
//       until all 32 clients have received its update
// Each part prints the event loop's longest stall while it ran.
//   (d) backlog: a session whose sender runs at the switcher's pace; one
//       client sends 5 blocks of 1,000 routes of output 1 (inputs 2 and 3 in
//       turn), then a second client routes output 4 to input 8: the time from
//       that request until its frame reaches the line (target: under 1 s)
//
// Usage: remote_bench [requests per client, default 1000]

#include "BenchFolder.h"
#include "config/AppPaths.h"
#include "control/MatrixSession.h"
#include "control/SessionObserver.h"
#include "protocol/Frames.h"
#include "remote/VideohubServer.h"
#include "serial/UiPoster.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QMetaObject>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using Millis = std::chrono::duration<double, std::milli>;
constexpr int kClients = 32;
constexpr int kFanOutChanges = 200;

struct Percentiles {
    double median = 0, p99 = 0, max = 0;
};

Percentiles percentiles(std::vector<double> values) {
    if (values.empty()) return {};
    std::sort(values.begin(), values.end());
    const auto at = [&](double q) {
        return values[static_cast<std::size_t>(q * (values.size() - 1))];
    };
    return {at(0.5), at(0.99), values.back()};
}

// One client socket of the client thread, with what it has received.
struct Peer {
    int fd = -1;
    std::string buffer;
    int acks = 0;
    int sent = 0;
    bool prelude = false;
    std::vector<Clock::time_point> sendTimes;
    std::vector<Clock::time_point> fanOutTimes;  // receipt of each output 31 update
};

// Shared between the event-loop thread and the client thread.
struct Shared {
    quint16 port = 0;
    int requests = 1000;
    std::atomic<int> phase{0};       // 0 prelude, 1 closed loop, 2 burst, 3 fan-out, 4 done
    std::atomic<int> donePhase{-1};  // the last phase the client thread saw complete
    std::vector<Peer> peers;
    std::vector<Clock::time_point> fanOutChanges;  // written by the loop thread
    std::atomic<int> fanOutSent{0};
};

void sendAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::send(fd, text.data() + done, text.size() - done, MSG_NOSIGNAL);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
        } else {
            pollfd p{fd, POLLOUT, 0};
            ::poll(&p, 1, 100);
        }
    }
}

// The k-th route of client c: output c to input k % 32, so each request of a
// client (the burst's go on from the closed loop's) changes its output.
std::string routeRequest(int client, int k) {
    return "VIDEO OUTPUT ROUTING:\n" + std::to_string(client) + ' ' + std::to_string(k % 32) +
           "\n\n";
}

// Splits what arrived into blocks and counts what the phase waits for.
void consume(Peer& peer, int phase, Clock::time_point now) {
    std::size_t end;
    while ((end = peer.buffer.find("\n\n")) != std::string::npos) {
        const std::string_view block(peer.buffer.data(), end + 1);
        if (block == "ACK\n") {
            ++peer.acks;
        } else if (block == "END PRELUDE:\n") {
            peer.prelude = true;
        } else if (phase == 3 && (block == "VIDEO OUTPUT ROUTING:\n31 40\n" ||
                                  block == "VIDEO OUTPUT ROUTING:\n31 41\n")) {
            peer.fanOutTimes.push_back(now);
        }
        peer.buffer.erase(0, end + 2);
    }
}

bool phaseComplete(const Shared& shared, int phase) {
    for (const Peer& peer : shared.peers) {
        if (phase == 0 && !peer.prelude) return false;
        if ((phase == 1 || phase == 2) && peer.acks < shared.requests) return false;
        if (phase == 3 && peer.fanOutTimes.size() < kFanOutChanges) return false;
    }
    return true;
}

void clientThread(Shared& shared) {
    for (Peer& peer : shared.peers) {
        peer.fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        const int one = 1;
        ::setsockopt(peer.fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        // One source address each (127.0.0.2 on): the server takes at most
        // 16 connections from one address.
        const auto index = static_cast<std::uint32_t>(&peer - shared.peers.data());
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK + 1 + index);
        ::bind(peer.fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(shared.port);
        ::connect(peer.fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    }
    std::vector<pollfd> fds(kClients);
    int phase = 0;
    while (phase < 4) {
        if (phase != shared.phase.load()) {
            phase = shared.phase.load();
            for (Peer& peer : shared.peers)
                peer.acks = peer.sent = 0;
            if (phase == 2) {  // the burst: everything at once
                for (int c = 0; c < kClients; ++c) {
                    std::string burst;
                    for (int k = 0; k < shared.requests; ++k)
                        burst += routeRequest(c, shared.requests + k);
                    shared.peers[c].sendTimes.assign(shared.requests, Clock::now());
                    sendAll(shared.peers[c].fd, burst);
                    shared.peers[c].sent = shared.requests;
                }
            }
        }
        for (int c = 0; c < kClients; ++c) {
            Peer& peer = shared.peers[c];
            if (phase == 1 && peer.sent == peer.acks && peer.sent < shared.requests) {
                if (peer.sent == 0) peer.sendTimes.clear();
                peer.sendTimes.push_back(Clock::now());
                sendAll(peer.fd, routeRequest(c, peer.sent++));
            }
            fds[c] = pollfd{peer.fd, POLLIN, 0};
        }
        ::poll(fds.data(), fds.size(), 5);
        const auto now = Clock::now();
        for (int c = 0; c < kClients; ++c) {
            char chunk[65536];
            ssize_t n;
            while ((n = ::recv(fds[c].fd, chunk, sizeof chunk, 0)) > 0) {
                shared.peers[c].buffer.append(chunk, static_cast<std::size_t>(n));
            }
            consume(shared.peers[c], phase, now);
        }
        if (shared.donePhase.load() != phase && phaseComplete(shared, phase)) {
            shared.donePhase = phase;
        }
    }
    for (Peer& peer : shared.peers)
        ::close(peer.fd);
}

// A route the session reported changed, and when.
struct RouteCall {
    int output = 0;
    Clock::time_point at;
};
using RouteCalls = std::vector<RouteCall>;

// Records every route change of the session's video table as it is told.
class RouteTimes final : public mc::ISessionObserver {
public:
    explicit RouteTimes(mc::MatrixSession& session) : m_session(session) {
        m_session.attach(*this);
    }
    ~RouteTimes() override { m_session.detach(*this); }
    RouteCalls calls;

private:
    void sessionChanged(const mc::SessionChange& change) override {
        const auto now = Clock::now();
        for (const mc::RouteChange& route : change.routes) {
            if (route.layer != mc::LineLayer::Audio) calls.push_back({route.output, now});
        }
    }
    mc::MatrixSession& m_session;
};

// Request-to-session-change latency: client c routes output c, in order, each
// request to another input than the one before.
Percentiles callLatency(const Shared& shared, const RouteCalls& calls, std::size_t firstCall) {
    std::vector<int> seen(kClients, 0);
    std::vector<double> latencies;
    for (std::size_t i = firstCall; i < calls.size(); ++i) {
        const auto& call = calls[i];
        const Peer& peer = shared.peers[call.output];
        const int k = seen[call.output]++;
        if (k < static_cast<int>(peer.sendTimes.size())) {
            latencies.push_back(Millis(call.at - peer.sendTimes[k]).count());
        }
    }
    return percentiles(latencies);
}

// Runs the session's posted tasks on the event loop.
class LoopPoster final : public mc::IUiPoster {
public:
    void post(std::function<void()> task) override {
        QMetaObject::invokeMethod(&m_context, std::move(task), Qt::QueuedConnection);
    }

private:
    QObject m_context;
};

// Runs the three parts against `server`, whose session's route changes are
// recorded in `calls`; `change(n)` makes the n-th change of output 31 to
// input 40 or 41 as the window makes it. False when the server cannot listen.
bool runCase(const char* title, mc::remote::VideohubServer& server, const RouteCalls& calls,
             const std::function<void(int)>& change, int requests) {
    Shared shared;
    shared.requests = requests;
    shared.peers.resize(kClients);
    if (!server.listen(QHostAddress(QStringLiteral("127.0.0.1")), 0)) {
        std::fprintf(stderr, "%s\n", qPrintable(server.errorString()));
        return false;
    }
    shared.port = server.listenPort();
    std::printf("%s\n", title);
    QEventLoop loop;
    // The event loop's longest stall: the gap between turns of a zero timer.
    QElapsedTimer sinceTick;
    double longestStall = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        longestStall = std::max(longestStall, sinceTick.nsecsElapsed() / 1e6);
        sinceTick.restart();
    });

    Clock::time_point phaseStart;
    std::size_t firstCall = 0;
    QTimer fanOut;  // one change every 5 ms, made as the window makes it
    QObject::connect(&fanOut, &QTimer::timeout, [&] {
        const int n = shared.fanOutSent.load();
        if (n >= kFanOutChanges) return fanOut.stop();
        shared.fanOutChanges.push_back(Clock::now());
        change(n);  // inputs no request uses
        shared.fanOutSent = n + 1;
    });
    QTimer driver;  // advances the phases when the client thread reports one done
    QObject::connect(&driver, &QTimer::timeout, [&] {
        const int phase = shared.phase.load();
        if (shared.donePhase.load() != phase) return;
        const double elapsed = Millis(Clock::now() - phaseStart).count();
        if (phase == 1 || phase == 2) {
            const Percentiles p = callLatency(shared, calls, firstCall);
            std::printf(
                "(%c) %s: %d x %d routes in %.1f ms; request to session change: median "
                "%.3f ms, p99 %.3f ms, max %.3f ms; longest loop stall %.2f ms\n",
                phase == 1 ? 'a' : 'b', phase == 1 ? "closed loop" : "burst", kClients,
                shared.requests, elapsed, p.median, p.p99, p.max, longestStall);
        } else if (phase == 3) {
            std::vector<double> delays;
            for (int n = 0; n < kFanOutChanges; ++n) {
                Clock::time_point last = shared.fanOutChanges[n];
                for (const Peer& peer : shared.peers)
                    last = std::max(last, peer.fanOutTimes[n]);
                delays.push_back(Millis(last - shared.fanOutChanges[n]).count());
            }
            const Percentiles p = percentiles(delays);
            std::printf(
                "(c) fan-out: change to update at all %d clients: median %.3f ms, p99 "
                "%.3f ms, max %.3f ms; longest loop stall %.2f ms\n",
                kClients, p.median, p.p99, p.max, longestStall);
        }
        std::fflush(stdout);
        firstCall = calls.size();
        longestStall = 0;
        sinceTick.restart();
        phaseStart = Clock::now();
        shared.phase = phase + 1;
        if (phase + 1 == 3) fanOut.start(5);
        if (phase + 1 == 4) loop.quit();
    });

    std::thread clients(clientThread, std::ref(shared));
    sinceTick.start();
    tick.start(0);
    driver.start(1);
    phaseStart = Clock::now();
    loop.exec();
    clients.join();
    server.close();
    return true;
}

// The line of part (d): counts the frames handed over and notes when the
// watched one arrives. Called on the sender thread.
class LinePort final : public mc::IBytePort {
public:
    explicit LinePort(std::vector<std::uint8_t> watched) : m_watched(std::move(watched)) {}
    bool WriteData(const std::uint8_t* bytes, std::uint16_t count) override {
        ++frames;
        if (!seen && std::equal(bytes, bytes + count, m_watched.begin(), m_watched.end())) {
            seenAt = Clock::now();
            seen = true;
        }
        return true;
    }
    std::atomic<int> frames{0};
    std::atomic<bool> seen{false};
    Clock::time_point seenAt;  // written before seen is set

private:
    std::vector<std::uint8_t> m_watched;
};

// A blocking client on source address `from`; -1 when it cannot connect.
int connectFrom(const char* from, quint16 port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    ::inet_pton(AF_INET, from, &address.sin_addr);
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    address.sin_port = htons(port);
    ::inet_pton(AF_INET, "127.0.0.1", &address.sin_addr);
    const timeval limit{30, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Reads until `text` has arrived `count` times; false on a time-out.
bool awaitText(int fd, const std::string& text, int count) {
    std::string received;
    std::size_t at = 0;
    for (int seen = 0; seen < count;) {
        if (const std::size_t found = received.find(text, at); found != std::string::npos) {
            ++seen;
            at = found + text.size();
            continue;
        }
        char chunk[65536];
        const ssize_t n = ::recv(fd, chunk, sizeof chunk, 0);
        if (n <= 0) return false;
        received.append(chunk, static_cast<std::size_t>(n));
    }
    return true;
}

bool runBacklogCase(const mc::AppPaths& paths) {
    std::vector<std::uint8_t> watched;
    mc::composeSwitch(watched, 0x52, 7, 3);
    LinePort line(watched);
    LoopPoster poster;
    mc::SessionOptions options;
    options.senderPort = &line;
    mc::MatrixSession session(paths, poster, options);
    session.start();
    mc::remote::VideohubServer server(session);
    if (!server.listen(QHostAddress(QStringLiteral("127.0.0.1")), 0)) return false;

    std::atomic<bool> clientsDone{false};
    bool clientsOk = false;
    Clock::time_point requested;
    std::thread clients([&] {
        const int flood = connectFrom("127.0.0.2", server.listenPort());
        std::string blocks;
        for (int block = 0; block < 5; ++block) {
            blocks += "VIDEO OUTPUT ROUTING:\n";
            for (int k = 0; k < 1000; ++k)
                blocks += k % 2 == 0 ? "0 1\n" : "0 2\n";
            blocks += "\n";
        }
        if (flood >= 0 && awaitText(flood, "END PRELUDE:\n\n", 1)) {
            sendAll(flood, blocks);
            const int other = connectFrom("127.0.0.3", server.listenPort());
            if (awaitText(flood, "ACK\n\n", 5) && other >= 0 &&
                awaitText(other, "END PRELUDE:\n\n", 1)) {
                requested = Clock::now();
                sendAll(other, "VIDEO OUTPUT ROUTING:\n3 7\n\n");
                clientsOk = awaitText(other, "ACK\n\n", 1);
            }
            if (other >= 0) ::close(other);
        }
        if (flood >= 0) ::close(flood);
        clientsDone = true;
    });
    QElapsedTimer limit;
    limit.start();
    while (!(clientsDone && line.seen) && limit.elapsed() < 60000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    clients.join();
    if (clientsOk && line.seen) {
        std::printf(
            "(d) backlog: 5 x 1,000 routes of one output from one client, then one route "
            "from another: its frame on the line %.0f ms after the request; %d frames sent "
            "in all, %zu still queued\n",
            Millis(line.seenAt - requested).count(), line.frames.load(),
            session.commandQueue()->count());
    } else {
        std::printf("(d) backlog: the second client's frame did not reach the line\n");
    }
    session.close();
    return clientsOk && line.seen;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int requests = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1000;

    // A session on a scratch program folder; COM1 maps to a path that does
    // not exist, so no device is opened and the queued frames are only counted.
    const mc::ScratchFolder folder("remote-bench");
    const mc::AppPaths paths = mc::benchProgramFolder(folder, 48, 32, true);
    bool done = false;
    {
        LoopPoster poster;
        mc::MatrixSession session(paths, poster, mc::SessionOptions::queueOnly());
        session.start();
        RouteTimes times(session);
        mc::remote::VideohubServer server(session);
        done = runCase(
            "MatrixSession (a route is reported with its frame queued; sender not started):",
            server, times.calls,
            [&](int n) { session.routeOutput(mc::MatrixSession::kWindowOwner, 31, 40 + n % 2); },
            requests);
        std::printf("frames queued: %zu\n", session.commandQueue()->count());
    }
    std::printf("Sender running at the switcher's pace:\n");
    done = runBacklogCase(paths) && done;
    return done ? 0 : 1;
}
