// What recording the driver's answers costs: one refresh at maximum load with and without the
// recording device in between, to the tick and to the process (the driver's counters moving 500 ms between refreshes, as between
// ticks), and the file that an hour of the default studio makes.
#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <unistd.h>

#include "driver/CDev.h"
#include "record/DriverRecorder.h"
#include "sim/DriverSimulator.h"
#include "platform/SocketControlDevice.h"
#include "sim/SimControlDevice.h"
#include "SocketRig.h"
#include "support/RefreshReads.h"

namespace {
std::filesystem::path BenchFile() {
    return std::filesystem::temp_directory_path() / ("qor-record-bench-" + std::to_string(::getpid()) + ".qorrec");
}

// No limits: the benchmark measures the recording, not its stop.
constexpr RecordWriter::Limits Unlimited{uint64_t(1) << 50, 0};

// The driver in process (its answers a copy away: the recording's least favourable case) or
// on qorsimd's socket (a request a system call away, as the real driver's are).
void BM_RefreshAtMaxLoad(benchmark::State& state) {
    const bool recording = state.range(0) != 0;
    const bool overSocket = state.range(1) != 0;
    SocketRig rig(sim::SimOptions::MaxLoad());
    if (overSocket) rig.server->Start();
    sim::SimControlDevice inProcess(*rig.sim);
    SocketControlDevice socket(rig.Path());
    auto dev = std::make_unique<CDev>(overSocket ? static_cast<ControlDevice&>(socket) : inProcess);
    DriverRecorder recorder(*dev);
    const std::filesystem::path file = BenchFile();
    if (recording && !recorder.Start(file, 500, Unlimited)) {
        state.SkipWithError(recorder.Error().c_str());
        return;
    }
    RefreshReads(*dev);
    for (auto _ : state) {
        rig.sim->Advance(500);
        const auto start = std::chrono::steady_clock::now();
        RefreshReads(*dev);
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        // The 500 ms between ticks, in which the recording's thread writes what the tick read.
        recorder.Flush();
    }
    if (recording) {
        state.counters["file_bytes_per_refresh"] = double(recorder.FileBytes()) / double(state.iterations() + 1);
        recorder.Stop();
        std::filesystem::remove(file);
    }
}
// Time is the tick's own; CPU is the whole process's, the recording's thread (and on the
// socket, the simulator's) included.
BENCHMARK(BM_RefreshAtMaxLoad)
    ->ArgNames({"recording", "socket"})
    ->ArgsProduct({{0, 1}, {0, 1}})
    ->UseManualTime()
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMicrosecond);

// 7,200 ticks of 500 ms.
void BM_RecordedHourOfDefaultStudio(benchmark::State& state) {
    const std::filesystem::path file = BenchFile();
    for (auto _ : state) {
        auto s = std::make_unique<sim::DriverSimulator>();
        sim::SimControlDevice device(*s);
        auto dev = std::make_unique<CDev>(device);
        DriverRecorder recorder(*dev);
        if (!recorder.Start(file, 500, Unlimited)) {
            state.SkipWithError(recorder.Error().c_str());
            return;
        }
        for (int tick = 0; tick < 7200; ++tick) {
            s->Advance(500);
            RefreshReads(*dev);
        }
        recorder.Stop();
        state.counters["MB_per_hour"] = double(std::filesystem::file_size(file)) / 1e6;
    }
    std::filesystem::remove(file);
}
BENCHMARK(BM_RecordedHourOfDefaultStudio)->Iterations(1)->Unit(benchmark::kMillisecond);
}  // namespace
