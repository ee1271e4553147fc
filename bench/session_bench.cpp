// The cost of one step of the session on a 256 x 256 model with every port
// named: a network client's route (lock check, state change, frame queued,
// journal line written, change event to an observer), and the journal's
// append alone, so the step's cost without the disk write is the difference;
// a take of 256 staged outputs; storing the line of 256 outputs on two
// tables, as the user-interface thread pays for it (a copy handed to the
// writer's thread) and as that thread writes it (MatrixLine.json, flushed to
// the disk); and reading the journal dialog's newest 1,000 entries from a
// journal about to rotate, and from one just rotated (the older file read as
// well).

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "BenchFolder.h"
#include "config/AppPaths.h"
#include "control/LineWriter.h"
#include "control/MatrixSession.h"
#include "serial/UiPoster.h"
#include "store/Journal.h"
#include "store/ModeStore.h"

namespace mc {
namespace {

class NoPoster final : public IUiPoster {
public:
    void post(std::function<void()>) override {}
};

class CountingObserver final : public ISessionObserver {
public:
    void sessionChanged(const SessionChange& change) override { routes += change.routes.size(); }
    std::size_t routes = 0;
};

// A scratch program folder with a 256 x 256 model; removed at the end.
struct Folder {
    ScratchFolder scratch{"session-bench"};
    AppPaths paths = benchProgramFolder(scratch, 256, 256, true);
    std::string path = scratch.path();
};

void BM_RouteStep256(benchmark::State& bench) {
    Folder folder;
    NoPoster poster;
    MatrixSession session(AppPaths(folder.path), poster, SessionOptions::queueOnly());
    session.start();
    for (std::int32_t port = 0; port < 256; ++port) {
        session.setInputName("127.0.0.2", port, "Input " + std::to_string(port + 1));
        session.setOutputName("127.0.0.2", port, "Output " + std::to_string(port + 1));
    }
    CountingObserver observer;
    session.attach(observer);
    std::int32_t n = 0;
    for (auto _ : bench) {
        session.routeOutput("127.0.0.2", n % 256, (n / 256 + n) % 256);
        ++n;
        if (session.commandQueue()->count() > 256) {
            bench.PauseTiming();
            while (session.commandQueue()->take()) {
            }
            bench.ResumeTiming();
        }
    }
    session.detach(observer);
    bench.counters["events"] = static_cast<double>(observer.routes);
}
BENCHMARK(BM_RouteStep256)->Unit(benchmark::kMicrosecond);

// A take of 256 staged outputs (a mode previewed in take mode): every frame
// queued and the step journalled.
void BM_Take256(benchmark::State& bench) {
    Folder folder;
    NoPoster poster;
    const AppPaths paths(folder.path);
    {
        std::vector<Node> even, odd;
        for (std::int32_t o = 0; o < 256; ++o) {
            even.push_back({o, o});
            odd.push_back({o, (o + 1) % 256});
        }
        ModeStore modes(paths.modeFile());
        modes.saveMode("ModeA", even);
        modes.saveMode("ModeB", odd);
    }
    MatrixSession session(paths, poster, SessionOptions::queueOnly());
    session.start();
    session.setTakeMode(MatrixSession::kWindowOwner, true);
    bool odd = false;
    for (auto _ : bench) {
        bench.PauseTiming();
        while (session.commandQueue()->take()) {
        }
        session.applyMode(odd ? "B" : "A");
        odd = !odd;
        bench.ResumeTiming();
        session.take();
    }
    bench.counters["frames"] = 256;
}
BENCHMARK(BM_Take256)->Unit(benchmark::kMicrosecond);

// A line of 256 outputs whose every entry on both tables was sent.
Line fullLine() {
    Line line;
    line.reset(256, false);
    for (std::int32_t o = 0; o < 256; ++o) {
        line.restore(LineLayer::Video, o, {Carried::routed((o * 7) % 256), false, 1765000000000});
        line.restore(LineLayer::Audio, o, {Carried::routed((o * 5) % 256), false, 1765000000000});
    }
    return line;
}

// Argument 0: what the user-interface thread pays per store (the line copied
// and handed over; writes coalesce). Argument 1: the file written and flushed.
void BM_LineStore256(benchmark::State& bench) {
    Folder folder;
    const std::string path = AppPaths(folder.path).configFile("MatrixLine.json");
    AppPaths(folder.path).ensureConfigDir();
    const Line line = fullLine();
    LineWriter writer(nullptr);
    for (auto _ : bench) {
        StoredLine stored = storedLine(line, "Bench", 0x52, 256);
        if (bench.range(0) == 0) {
            writer.store(path, std::move(stored));
        } else {
            writeStoredLine(path, stored);
        }
    }
    writer.flush();
}
BENCHMARK(BM_LineStore256)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_JournalAppend(benchmark::State& bench) {
    Folder folder;
    Journal journal(AppPaths(folder.path).configDir());
    JournalEntry entry;
    entry.time = std::chrono::system_clock::now();
    entry.origin = "127.0.0.2";
    entry.action = journal::kRoute;
    entry.changes = {{17, 3, 4, "video", "Desk 18", "", "Camera 4", {}, "", "Camera 5", {}}};
    entry.frames = {{0xEB, 0x52, 0x02, 0x02, 0x11, 0x04, 0x6B}};
    for (auto _ : bench)
        benchmark::DoNotOptimize(journal.append(entry));
}
BENCHMARK(BM_JournalAppend)->Unit(benchmark::kMicrosecond);

// Argument 0: MatrixJournal.jsonl holds nearly 8 MiB of client routes.
// Argument 1: that file has become MatrixJournal.1.jsonl and the new one holds
// ten entries.
void BM_JournalReadLatest(benchmark::State& bench) {
    Folder folder;
    const std::string dir = AppPaths(folder.path).configDir();
    JournalEntry entry;
    entry.time = std::chrono::system_clock::now();
    entry.origin = "127.0.0.2";
    entry.action = journal::kRoute;
    entry.changes = {{17, 3, 4, "video", "Desk 18", "", "Camera 4", {}, "", "Camera 5", {}}};
    entry.frames = {{0xEB, 0x52, 0x02, 0x02, 0x11, 0x04, 0x6B}};
    const std::string line = journalLine(entry) + "\n";
    std::string full;
    while (full.size() + line.size() <= Journal::kRotateBytes)
        full += line;
    const bool rotated = bench.range(0) == 1;
    std::ofstream(dir + "/" + (rotated ? Journal::kRotatedFileName : Journal::kFileName)) << full;
    if (rotated) {
        Journal journal(dir);
        for (int k = 0; k < 10; ++k)
            journal.append(entry);
    }
    for (auto _ : bench)
        benchmark::DoNotOptimize(Journal::readLatest(dir, 1000));
    bench.counters["MiB"] = static_cast<double>(full.size()) / (1024 * 1024);
}
BENCHMARK(BM_JournalReadLatest)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace mc

BENCHMARK_MAIN();
