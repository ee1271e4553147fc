// INI layer speed: one operation reading 1,000 keys of a 2,000-key name file,
// and one operation writing a status file of a 256-output matrix with all
// names (1,300 keys), into a new file and over an existing one. Each should
// stay well under 50 ms. The files live in a temporary folder on the disk that
// holds /tmp (or $TMPDIR); commit() includes its fsync.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "BenchFolder.h"
#include "config/IniFile.h"

namespace {

struct BenchDir : mc::ScratchFolder {
    BenchDir() : ScratchFolder("mc-ini-bench") {}
};

std::string portName(const char* kind, int index) {
    return std::string(kind) + " 会议室 " + std::to_string(index + 1);
}

// The name file of a 1000 x 1000 matrix: 2,000 keys in two sections.
void writeNameFile(const std::string& path) {
    mc::IniFile file(path);
    for (int i = 0; i < 1000; ++i)
        file.writeString("MatrixInputStringList", "InputString" + std::to_string(i),
                         portName("输入", i));
    for (int i = 0; i < 1000; ++i)
        file.writeString("MatrixOutputStringList", "OutputString" + std::to_string(i),
                         portName("输出", i));
    file.commit();
}

void BM_Read1000Of2000Keys(benchmark::State& state) {
    const BenchDir dir;
    const std::string path = dir.file("MatrixEditList.con");
    writeNameFile(path);
    for (auto _ : state) {
        const mc::IniFile file(path);
        std::size_t bytes = 0;
        for (int i = 0; i < 1000; ++i)
            bytes +=
                file.readString("MatrixOutputStringList", "OutputString" + std::to_string(i), "")
                    .size();
        benchmark::DoNotOptimize(bytes);
    }
}
BENCHMARK(BM_Read1000Of2000Keys)->Unit(benchmark::kMillisecond);

// For comparison: the same reads, each opening the file again.
void BM_Read1000Of2000KeysSingleShot(benchmark::State& state) {
    const BenchDir dir;
    const std::string path = dir.file("MatrixEditList.con");
    writeNameFile(path);
    for (auto _ : state) {
        std::size_t bytes = 0;
        for (int i = 0; i < 1000; ++i)
            bytes += mc::iniReadString(path, "MatrixOutputStringList",
                                       "OutputString" + std::to_string(i), "")
                         .size();
        benchmark::DoNotOptimize(bytes);
    }
}
BENCHMARK(BM_Read1000Of2000KeysSingleShot)->Unit(benchmark::kMillisecond);

// A 256 x 256 status file: every output switched, the first output cycling
// over 137 inputs (392 node sections of two keys), 4 message keys and all
// 512 names: 1,300 keys.
int writeStatusFile(const std::string& path) {
    constexpr int kPorts = 256;
    constexpr int kCycled = 137;
    mc::IniFile file(path);
    file.eraseSection("Matrix Message");
    file.writeInteger("Matrix Message", "Matrix Address", 82);
    file.writeInteger("Matrix Message", "MatrixInputNum", kPorts);
    file.writeInteger("Matrix Message", "MatrixOutputNum", kPorts);
    int keys = 3;
    int node = 0;
    for (int output = 0; output < kPorts; ++output) {
        const int inputs = output == 0 ? kCycled : 1;
        for (int input = 0; input < inputs; ++input) {
            const std::string section = "SwitchNode" + std::to_string(++node);
            file.writeInteger(section, "I", output);
            file.writeInteger(section, "J", (input + output) % kPorts);
            keys += 2;
        }
    }
    file.writeInteger("Matrix Message", "SwitchNodeNum", node);
    file.eraseSection("MatrixInputStringList");
    file.eraseSection("MatrixOutputStringList");
    for (int i = 0; i < kPorts; ++i)
        file.writeString("MatrixInputStringList", "InputString" + std::to_string(i),
                         portName("输入", i));
    for (int i = 0; i < kPorts; ++i)
        file.writeString("MatrixOutputStringList", "OutputString" + std::to_string(i),
                         portName("输出", i));
    file.commit();
    return keys + 1 + 2 * kPorts;
}

void BM_WriteStatusFileNew(benchmark::State& state) {
    const BenchDir dir;
    const std::string path = dir.file("state.ms");
    int keys = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::remove(path);
        state.ResumeTiming();
        keys = writeStatusFile(path);
    }
    state.counters["keys"] = keys;
}
BENCHMARK(BM_WriteStatusFileNew)->Unit(benchmark::kMillisecond);

void BM_WriteStatusFileOverExisting(benchmark::State& state) {
    const BenchDir dir;
    const std::string path = dir.file("state.ms");
    int keys = writeStatusFile(path);
    for (auto _ : state)
        keys = writeStatusFile(path);
    state.counters["keys"] = keys;
}
BENCHMARK(BM_WriteStatusFileOverExisting)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
