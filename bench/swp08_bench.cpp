// SW-P-08 at the session and link level, without TCP, on a 256 x 256 model
// with every port named (two levels): a controller's connect to the 04 it
// receives (decoding, ACK, the session's step with its journal line, the
// tally); a change made through the session reaching 32 controllers; and what
// a controller reads on connect: the implementation, source names of both
// levels, destination names and a tally dump of each level. Each figure is
// the median of five repetitions. Targets: below 1 ms, 5 ms and 20 ms.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "BenchFolder.h"
#include "config/AppPaths.h"
#include "control/MatrixSession.h"
#include "protocol/Swp08Messages.h"
#include "serial/UiPoster.h"
#include "swp08/Swp08Link.h"
#include "swp08/Swp08Router.h"

namespace mc::swp08 {
namespace {

class NoPoster final : public IUiPoster {
public:
    void post(std::function<void()>) override {}
};

// The device is missing on purpose: no error box, no line about it.
class QuietPrompts final : public ISessionPrompts {
public:
    bool ignorePortError(const std::string&, const std::string&) override { return true; }
    void showError(const std::string&) override {}
    void showMessage(const std::string&) override {}
    std::optional<std::string> askModeName() override { return std::nullopt; }
};

// Counts what a controller receives: bytes, and the messages of one code.
class CountingPeer final : public IPeer {
public:
    explicit CountingPeer(std::uint8_t code = 0) : m_code(code) {}
    void send(std::span<const std::uint8_t> bytes) override {
        this->bytes += bytes.size();
        for (std::size_t at = 0; at + 2 < bytes.size(); ++at) {
            if (bytes[at] == kDle && bytes[at + 1] == kStx && bytes[at + 2] == m_code) ++messages;
        }
    }
    void disconnect() override {}
    std::size_t bytes = 0;
    std::size_t messages = 0;

private:
    std::uint8_t m_code;
};

// A scratch program folder with a named 256 x 256 model, its session started
// (no device: the frames stay queued and are dropped now and then), and the
// router; removed at the end.
struct Bench {
    Bench() {
        const AppPaths paths = benchProgramFolder(folder, 256, 256, false);
        SessionOptions options = SessionOptions::queueOnly();
        options.portLog = [](const std::string&) {};
        session = std::make_unique<MatrixSession>(paths, poster, options);
        session->setPrompts(&prompts);
        session->start();
        for (std::int32_t port = 0; port < 256; ++port) {
            session->setInputName("10.0.0.9", port, "Camera " + std::to_string(port + 1));
            session->setOutputName("10.0.0.9", port, "Monitor " + std::to_string(port + 1));
        }
        router = std::make_unique<Swp08Router>(*session);
    }
    ~Bench() {
        router.reset();
        session.reset();
    }
    void dropFrames() {
        if (session->commandQueue()->count() < 1024) return;
        while (session->commandQueue()->take()) {
        }
    }

    ScratchFolder folder{"swp08-bench"};
    NoPoster poster;
    QuietPrompts prompts;
    std::unique_ptr<MatrixSession> session;
    std::unique_ptr<Swp08Router> router;
};

std::vector<std::uint8_t> message(const Request& request) {
    return encodeMessage(requestData(request));
}

void BM_ConnectToItsTally(benchmark::State& state) {
    Bench bench;
    CountingPeer peer(0x04);
    Swp08Link link(*bench.router, "127.0.0.2", peer);
    std::vector<std::vector<std::uint8_t>> connects;
    for (std::int32_t n = 0; n < 1024; ++n)
        connects.push_back(
            message({Request::Kind::Connect, false, 0, n % 2, n % 256, n / 4 % 256}));
    std::size_t n = 0;
    for (auto _ : state) {
        link.receive(connects[n++ % connects.size()]);
        state.PauseTiming();
        bench.dropFrames();
        state.ResumeTiming();
    }
    if (peer.messages != n) state.SkipWithError("a connect without its 04");
}
BENCHMARK(BM_ConnectToItsTally)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

void BM_ChangeTo32Controllers(benchmark::State& state) {
    Bench bench;
    std::vector<std::unique_ptr<CountingPeer>> peers;
    std::vector<std::unique_ptr<Swp08Link>> links;
    for (int i = 0; i < 32; ++i) {
        peers.push_back(std::make_unique<CountingPeer>(0x04));
        links.push_back(std::make_unique<Swp08Link>(*bench.router,
                                                    "127.0.0." + std::to_string(i + 2), *peers[i]));
    }
    std::int32_t n = 0;
    for (auto _ : state) {
        bench.session->routeOutput("10.0.0.9", n % 256, (n / 256 + n) % 256);
        ++n;
        state.PauseTiming();
        bench.dropFrames();
        state.ResumeTiming();
    }
    if (peers.back()->messages == 0) state.SkipWithError("no 04 reached the controllers");
    state.counters["04s per controller"] = static_cast<double>(peers.back()->messages);
}
BENCHMARK(BM_ChangeTo32Controllers)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

void BM_NamesAndDumps256(benchmark::State& state) {
    using K = Request::Kind;
    Bench bench;
    std::vector<std::uint8_t> reading;
    for (const Request& request :
         {Request{K::Implementation}, Request{K::SourceNames, true, 0, 0, 0, 0, 2},
          Request{K::SourceNames, true, 0, 1, 0, 0, 2},
          Request{K::DestinationNames, true, 0, 0, 0, 0, 2}, Request{K::TallyDump, true, 0, 0},
          Request{K::TallyDump, true, 0, 1}}) {
        const std::vector<std::uint8_t> bytes = message(request);
        reading.insert(reading.end(), bytes.begin(), bytes.end());
    }
    CountingPeer peer;
    Swp08Link link(*bench.router, "127.0.0.2", peer);
    for (auto _ : state) {
        peer.bytes = 0;
        link.receive(reading);
    }
    state.counters["bytes"] = static_cast<double>(peer.bytes);
}
BENCHMARK(BM_NamesAndDumps256)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace
}  // namespace mc::swp08

BENCHMARK_MAIN();
