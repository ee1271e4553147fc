// Crosspoint state: building it for small and large models, and a page change
// on the largest model including every box view the window derives.

#include <benchmark/benchmark.h>

#include <cstdint>

#include "control/CrosspointState.h"
#include "control/GridPage.h"
#include "protocol/QXRClass.h"

namespace mc {
namespace {

StartupSettings square(std::int32_t ports) {
    StartupSettings settings;
    settings.MatrixInputNum = ports;
    settings.MatrixOutputNum = ports;
    return settings;
}

void BM_Construct(benchmark::State& bench) {
    const StartupSettings settings = square(static_cast<std::int32_t>(bench.range(0)));
    CommandQueue queue;
    for (auto _ : bench) {
        CrosspointState state(queue, settings);
        benchmark::DoNotOptimize(state.MatrixInputNum());
    }
}
BENCHMARK(BM_Construct)->Arg(16)->Arg(32)->Arg(256)->Unit(benchmark::kMicrosecond);

// Sums what the views hold so the work cannot be dropped.
std::size_t deriveAllBoxes(const GridPage& page) {
    std::size_t total = 0;
    for (std::int32_t r = 0; r < page.visibleRows(); ++r) {
        for (std::int32_t c = 0; c <= page.visibleColumns(); ++c) {
            const BoxView view = page.box(r, c);
            total += view.hint.size() + view.caption.size() + (view.checked ? 1 : 0);
        }
    }
    for (std::int32_t c = 0; c < page.labelCount(); ++c)
        total += page.label(c).caption.size();
    return total;
}

void BM_PageChange256(benchmark::State& bench) {
    CommandQueue queue;
    CrosspointState state(queue, square(256));
    for (std::int32_t o = 0; o < 256; ++o) {
        state.applyNodes({Node{o, (o * 7) % 257}});
    }
    while (queue.take()) {
    }
    GridPage page(state);
    bool forward = true;
    for (auto _ : bench) {
        if (forward ? !page.RightBitBtnClick() : !page.LeftBitBtnClick()) {
            forward = !forward;
            continue;
        }
        benchmark::DoNotOptimize(deriveAllBoxes(page));
    }
}
BENCHMARK(BM_PageChange256)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace mc

BENCHMARK_MAIN();
