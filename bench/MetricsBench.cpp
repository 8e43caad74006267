// What qorpoll's metrics cost beside the refresh they come from, in ratios of one run: a scrape
// at maximum load against one refresh, the metrics of one poll against its refresh, 20 scrapers
// at once against the driver reads of one poll, and resident memory over 10,000 scrapes. The
// refresh goes over the simulator's socket as qorpoll's does; the ratios are of CPU time of the
// whole process (the simulator's side of the socket included), since the wall clock of a busy
// machine says little.
#include <benchmark/benchmark.h>

#include <chrono>
#include <ctime>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "driver/CDev.h"
#include "metrics/MetricsLayout.h"
#include "metrics/MetricsServer.h"
#include "sim/DriverSimulator.h"
#include "platform/SocketControlDevice.h"
#include "support/LoopbackHttp.h"
#include "support/PageTextSourcesOf.h"
#include "support/RefreshReads.h"
#include "SocketRig.h"

namespace {

double CpuSeconds() { return double(std::clock()) / CLOCKS_PER_SEC; }

std::string Served(SocketRig& rig) {
    rig.server->Start();
    return rig.Path();
}

struct MetricsRig {
    explicit MetricsRig(bool maxLoad)
        : socket(maxLoad ? sim::SimOptions::MaxLoad() : sim::SimOptions{}),
          sim(*socket.sim),
          device(Served(socket)),
          dev(device) {
        Poll();
        std::string error;
        started = socket.server->Running() && server.Start(ListenAddress{"127.0.0.1", 0}, error);
    }
    // What qorpoll does once per period.
    // A tick, and its text as the text file or the first scraper after it has it written.
    void Poll() {
        latest.Update([this] { RefreshReads(dev); });
        latest.Text(MetricsText::Format::Prometheus);
    }
    std::size_t Scrape() const { return LoopbackExchange(server.Port(), LoopbackGet("/metrics")).size(); }
    double CpuPerRefresh(int times) {
        const double start = CpuSeconds();
        for (int i = 0; i < times; ++i) RefreshReads(dev);
        return (CpuSeconds() - start) / times;
    }

    SocketRig socket;
    sim::DriverSimulator& sim;
    SocketControlDevice device;
    CDev dev;
    MetricsLayout layout;
    LatestMetrics latest{[this](MetricsText::Format format) {
        return layout.Text(MetricsSources{PageTextSourcesOf(dev), true, 0.0}, format);
    }};
    MetricsServer server{latest};
    bool started = false;
};

// One GET /metrics against one refresh measured just before: the first scrape after a tick,
// which has the metrics made, or a later one, which gets the text the first one left.
void BM_ScrapeAgainstRefresh(benchmark::State& state) {
    MetricsRig rig(state.range(0) != 0);
    if (!rig.started) return state.SkipWithError("cannot listen");
    const bool afterTick = state.range(1) != 0;
    const double refresh = rig.CpuPerRefresh(5);
    std::size_t bytes = rig.Scrape();
    double scrapes = 0;
    for (auto _ : state) {
        if (afterTick) {
            state.PauseTiming();
            rig.latest.Update([&rig] { RefreshReads(rig.dev); });
            state.ResumeTiming();
        }
        const double start = CpuSeconds();
        bytes = rig.Scrape();
        scrapes += CpuSeconds() - start;
    }
    state.counters["bytes"] = double(bytes);
    state.counters["refresh_cpu_ms"] = refresh * 1e3;
    state.counters["x_refresh"] = scrapes / double(state.iterations()) / refresh;
}
BENCHMARK(BM_ScrapeAgainstRefresh)
    ->ArgNames({"max_load", "after_tick"})
    ->ArgsProduct({{0, 1}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// A tick with its metrics made and written, as with the text file, against the refresh alone.
void BM_PollWithMetricsAgainstRefresh(benchmark::State& state) {
    MetricsRig rig(state.range(0) != 0);
    const double refresh = rig.CpuPerRefresh(5);
    const double start = CpuSeconds();
    for (auto _ : state) rig.Poll();
    const double poll = (CpuSeconds() - start) / double(state.iterations());
    state.counters["x_refresh"] = poll / refresh;
}
BENCHMARK(BM_PollWithMetricsAgainstRefresh)->ArgName("max_load")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// 20 scrapers at once after every poll: the driver sees the requests of one refresh per poll.
void BM_TwentyScrapersPerPoll(benchmark::State& state) {
    MetricsRig rig(false);
    if (!rig.started) return state.SkipWithError("cannot listen");
    rig.sim.ResetRequestLog();
    RefreshReads(rig.dev);
    const double perRefresh = double(rig.sim.TotalRequests());
    rig.sim.ResetRequestLog();
    const uint64_t writtenBefore = rig.latest.TextsWritten();
    for (auto _ : state) {
        rig.Poll();
        std::vector<std::thread> scrapers;
        for (int i = 0; i < 20; ++i) scrapers.emplace_back([&rig] { benchmark::DoNotOptimize(rig.Scrape()); });
        for (std::thread& t : scrapers) t.join();
    }
    const double polls = double(state.iterations());
    state.counters["reads_x_one_refresh"] = double(rig.sim.TotalRequests()) / polls / perRefresh;
    state.counters["texts_per_poll"] = double(rig.latest.TextsWritten() - writtenBefore) / polls;
    state.counters["scrapes"] = double(rig.server.Scrapes());
}
BENCHMARK(BM_TwentyScrapersPerPoll)->Unit(benchmark::kMillisecond)->UseRealTime();

long ResidentKib() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// Resident memory before and after 10,000 scrapes of the studio, after 500 to warm up.
void BM_ResidentMemoryOver10000Scrapes(benchmark::State& state) {
    MetricsRig rig(false);
    if (!rig.started) return state.SkipWithError("cannot listen");
    for (int i = 0; i < 500; ++i) rig.Scrape();
    const long before = ResidentKib();
    for (auto _ : state)
        for (int i = 0; i < 10000; ++i) benchmark::DoNotOptimize(rig.Scrape());
    const long after = ResidentKib();
    state.counters["rss_before_kib"] = double(before);
    state.counters["rss_growth_kib"] = double(after - before);
}
BENCHMARK(BM_ResidentMemoryOver10000Scrapes)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
