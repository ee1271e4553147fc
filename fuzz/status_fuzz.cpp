// libFuzzer target of the status-file reader. The input is a status file's
// bytes; its last two bytes give the matrix (1..64 inputs and outputs).
// Properties: a load never selects a cell outside the port counts; it queues
// exactly one frame per applied node; applied and skipped nodes add up to
// "SwitchNodeNum"; a refused or unreadable file changes nothing; the names
// are as many as the ports; loading again gives the same.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzCheck.h"
#include "config/IniFile.h"
#include "config/StartupSettings.h"
#include "control/CrosspointState.h"
#include "protocol/QXRClass.h"
#include "store/StatusFile.h"

namespace {

std::size_t drain(mc::CommandQueue& queue) {
    std::size_t frames = 0;
    while (queue.take())
        ++frames;
    return frames;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider provider(data, size);
    mc::StartupSettings settings;
    settings.MatrixInputNum = provider.ConsumeIntegralInRange<std::int32_t>(1, 64);
    settings.MatrixOutputNum = provider.ConsumeIntegralInRange<std::int32_t>(1, 64);
    const std::string bytes = provider.ConsumeRemainingBytesAsString();

    mc::CommandQueue queue;
    mc::CrosspointState state(queue, settings);
    state.applyNodes({{0, 0}});  // something for a refused load to keep
    drain(queue);

    const mc::IniFile file("fuzz.ms", bytes);
    const mc::StatusFileRead read =
        mc::readStatusFile(file, state.MatrixInputNum(), state.MatrixOutputNum());
    MC_FUZZ_CHECK(read.unreadable >= 0);
    if (!read.error.empty() || !read.matched) {
        MC_FUZZ_CHECK(read.nodes.empty() && read.unreadable == 0);
        return 0;
    }
    const std::int32_t count = file.readInteger("Matrix Message", "SwitchNodeNum", 0);
    MC_FUZZ_CHECK(static_cast<std::int64_t>(read.nodes.size()) + read.unreadable ==
                  (count > 0 ? count : 0));
    MC_FUZZ_CHECK(read.inputNames.size() == static_cast<std::size_t>(state.MatrixInputNum()));
    MC_FUZZ_CHECK(read.outputNames.size() == static_cast<std::size_t>(state.MatrixOutputNum()));
    for (const mc::Node& node : read.nodes)
        MC_FUZZ_CHECK(node.I >= 0 && node.J >= 0);

    // Applied as a load applies it: only cells inside the matrix, one frame each.
    state.clearSelection();
    const mc::ApplyResult applied = state.applyNodes(read.nodes);
    const std::size_t frames = drain(queue);
    for (const mc::Node& node : state.selectedNodes()) {
        MC_FUZZ_CHECK(node.I >= 0 && node.I < state.MatrixOutputNum());
        MC_FUZZ_CHECK(node.J >= 0 && node.J <= state.MatrixInputNum());
    }
    MC_FUZZ_CHECK(frames == static_cast<std::size_t>(applied.applied));
    MC_FUZZ_CHECK(applied.applied >= 0 && applied.skipped >= 0);
    MC_FUZZ_CHECK(static_cast<std::size_t>(applied.applied + applied.skipped) == read.nodes.size());

    // Reading and applying again gives the same.
    const auto selected = state.selectedNodes();
    const mc::StatusFileRead again =
        mc::readStatusFile(file, state.MatrixInputNum(), state.MatrixOutputNum());
    MC_FUZZ_CHECK(again.nodes == read.nodes && again.unreadable == read.unreadable);
    state.clearSelection();
    MC_FUZZ_CHECK(state.applyNodes(again.nodes) == applied);
    MC_FUZZ_CHECK(state.selectedNodes() == selected);
    MC_FUZZ_CHECK(drain(queue) == frames);
    return 0;
}
