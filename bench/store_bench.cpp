// Status files and matrix modes on the largest model: 256 × 256 with every
// output routed and every port named. Saving and loading a status file (the
// frames are queued, not sent; the queue is emptied between iterations),
// saving and applying a mode, and listing the modes of a file with 500 of them.
// Target: each under 50 ms.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <string>

#include "BenchFolder.h"
#include "config/AtomicWrite.h"
#include "control/CrosspointState.h"
#include "protocol/QXRClass.h"
#include "store/ModeStore.h"
#include "store/StatusFile.h"

namespace mc {
namespace {

constexpr std::int32_t kPorts = 256;

// A temporary folder for the files, removed at exit.
struct StoreFolder : ScratchFolder {
    StoreFolder() : ScratchFolder("mc-store-bench") {}
};

StoreFolder& folder() {
    static StoreFolder instance;
    return instance;
}

// The model: every output routed (output o on input (o * 7) % 256, every
// fifth output closed), every input and output named, both lists in use.
struct Model {
    Model() {
        StartupSettings settings;
        settings.MatrixInputNum = kPorts;
        settings.MatrixOutputNum = kPorts;
        settings.MatrixPattern = true;
        state = std::make_unique<CrosspointState>(queue, settings);
        std::vector<Node> nodes;
        for (std::int32_t o = 0; o < kPorts; ++o)
            nodes.push_back(Node{o, o % 5 == 0 ? kPorts : (o * 7) % kPorts});
        state->applyNodes(nodes);
        for (std::int32_t n = 0; n < kPorts; ++n) {
            state->setInputName(n, "输入端口" + std::to_string(n + 1));
            state->setOutputName(n, "输出端口" + std::to_string(n + 1));
        }
        state->MatrixInputEditEnable = true;
        state->MatrixOutputEditEnable = true;
        discardFrames();
    }
    void discardFrames() {
        while (queue.take()) {
        }
    }

    StatusContent content() const {
        return StatusContent{state->ActiveAddress, kPorts, kPorts, state->selectedNodes(),
                             PortNameLists{state->InputNames(), state->OutputNames()}};
    }
    // What the session does with nodes read from a file: selection cleared,
    // each node selected and its frame queued.
    ApplyResult apply(const std::vector<Node>& nodes) {
        state->clearSelection();
        return state->applyNodes(nodes);
    }

    CommandQueue queue;
    std::unique_ptr<CrosspointState> state;
};

void BM_SaveStatusFile(benchmark::State& bench) {
    Model model;
    const std::string path = folder().file("save.ms");
    for (auto _ : bench)
        saveStatusFile(path, model.content());
}
BENCHMARK(BM_SaveStatusFile)->Unit(benchmark::kMillisecond);

void BM_LoadStatusFile(benchmark::State& bench) {
    Model model;
    const std::string path = folder().file("load.ms");
    saveStatusFile(path, model.content());
    for (auto _ : bench) {
        const StatusFileRead read = readStatusFile(path, kPorts, kPorts);
        const ApplyResult result = model.apply(read.nodes);
        benchmark::DoNotOptimize(result.applied);
        bench.PauseTiming();
        model.discardFrames();
        bench.ResumeTiming();
    }
}
BENCHMARK(BM_LoadStatusFile)->Unit(benchmark::kMillisecond);

void BM_SaveMode(benchmark::State& bench) {
    Model model;
    const ModeStore store(folder().file("save-mode.xml"));
    for (auto _ : bench)
        store.saveMode("Mode全部路由", model.state->selectedNodes());
}
BENCHMARK(BM_SaveMode)->Unit(benchmark::kMillisecond);

void BM_ApplyMode(benchmark::State& bench) {
    Model model;
    const ModeStore store(folder().file("apply-mode.xml"));
    store.saveMode("Mode全部路由", model.state->selectedNodes());
    for (auto _ : bench) {
        const auto result = model.apply(store.readMode("Mode全部路由").nodes);
        benchmark::DoNotOptimize(result);
        bench.PauseTiming();
        model.discardFrames();
        bench.ResumeTiming();
    }
}
BENCHMARK(BM_ApplyMode)->Unit(benchmark::kMillisecond);

// 500 modes, each holding range(0) nodes (16, or the full routing of 256).
void BM_ListModes(benchmark::State& bench) {
    std::string body;
    for (std::int64_t o = 0; o < bench.range(0); ++o) {
        body += "<SwitchNode" + std::to_string(o + 1) + "><InputPort>" + std::to_string(o) +
                "</InputPort><OutputPort>" + std::to_string(o) + "</OutputPort></SwitchNode" +
                std::to_string(o + 1) + ">\n";
    }
    std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<MatrixMode>\n";
    for (int n = 1; n <= 500; ++n) {
        const std::string name = "Mode场景" + std::to_string(n);
        text += "<" + name + ">\n" + body + "</" + name + ">\n";
    }
    text += "</MatrixMode>\n";
    const std::string path = folder().file("list-" + std::to_string(bench.range(0)) + ".xml");
    writeFileAtomically(path, text);
    bench.counters["file_MiB"] = static_cast<double>(text.size()) / (1024.0 * 1024.0);
    const ModeStore store(path);
    for (auto _ : bench) {
        const std::vector<std::string> names = store.listModes();
        if (names.size() != 500) bench.SkipWithError("wrong mode count");
        benchmark::DoNotOptimize(names.data());
    }
}
BENCHMARK(BM_ListModes)->Arg(16)->Arg(kPorts)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace mc

BENCHMARK_MAIN();
