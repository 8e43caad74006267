// What qorpoll's metrics cost beside the refresh they come from, in ratios of one run: a scrape
// at maximum load against one refresh, the metrics of one poll against its refresh, 20 scrapers
// at once against the driver reads of one poll, and resident memory over 10,000 scrapes.
#include <benchmark/benchmark.h>

#include <chrono>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "driver/CDev.h"
#include "metrics/MetricsServer.h"
#include "sim/DriverSimulator.h"
#include "sim/SimControlDevice.h"
#include "support/LoopbackHttp.h"
#include "RefreshReads.h"

namespace {

using Clock = std::chrono::steady_clock;

struct MetricsRig {
    explicit MetricsRig(bool maxLoad)
        : sim(std::make_unique<sim::DriverSimulator>(maxLoad ? sim::SimOptions::MaxLoad() : sim::SimOptions{})),
          device(*sim),
          dev(device) {
        Poll();
        std::string error;
        started = server.Start(ListenAddress{"127.0.0.1", 0}, error);
    }
    // What qorpoll does once per period.
    void Poll() {
        RefreshReads(dev);
        const PageTextSources pages{
            PageSources{dev.Snapshot(), dev.Validity(), dev.Published().ExtendedStatistics != 0}, dev.Published()};
        latest.Publish(MetricFamilies(MetricsSources{pages, true, 0.0}));
        latest.Text(MetricsText::Format::Prometheus);
    }
    std::size_t Scrape() const { return LoopbackExchange(server.Port(), LoopbackGet("/metrics")).size(); }
    double SecondsPerRefresh(int times) {
        const auto start = Clock::now();
        for (int i = 0; i < times; ++i) RefreshReads(dev);
        return std::chrono::duration<double>(Clock::now() - start).count() / times;
    }

    std::unique_ptr<sim::DriverSimulator> sim;
    sim::SimControlDevice device;
    CDev dev;
    LatestMetrics latest;
    MetricsServer server{latest};
    bool started = false;
};

// One GET /metrics of the latest poll's text, as a ratio of one refresh measured just before.
void BM_ScrapeAgainstRefresh(benchmark::State& state) {
    MetricsRig rig(state.range(0) != 0);
    if (!rig.started) return state.SkipWithError("cannot listen");
    const double refresh = rig.SecondsPerRefresh(20);
    std::size_t bytes = rig.Scrape();
    const auto start = Clock::now();
    for (auto _ : state) bytes = rig.Scrape();
    const double scrape = std::chrono::duration<double>(Clock::now() - start).count() / double(state.iterations());
    state.counters["bytes"] = double(bytes);
    state.counters["refresh_ms"] = refresh * 1e3;
    state.counters["x_refresh"] = scrape / refresh;
}
BENCHMARK(BM_ScrapeAgainstRefresh)->ArgName("max_load")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// A poll with its metrics (families and text) against the refresh alone.
void BM_PollWithMetricsAgainstRefresh(benchmark::State& state) {
    MetricsRig rig(state.range(0) != 0);
    const double refresh = rig.SecondsPerRefresh(20);
    const auto start = Clock::now();
    for (auto _ : state) rig.Poll();
    const double poll = std::chrono::duration<double>(Clock::now() - start).count() / double(state.iterations());
    state.counters["x_refresh"] = poll / refresh;
}
BENCHMARK(BM_PollWithMetricsAgainstRefresh)->ArgName("max_load")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// 20 scrapers at once after every poll: the driver sees the requests of one refresh per poll.
void BM_TwentyScrapersPerPoll(benchmark::State& state) {
    MetricsRig rig(false);
    if (!rig.started) return state.SkipWithError("cannot listen");
    rig.sim->ResetRequestLog();
    RefreshReads(rig.dev);
    const double perRefresh = double(rig.sim->TotalRequests());
    rig.sim->ResetRequestLog();
    const uint64_t writtenBefore = rig.latest.TextsWritten();
    for (auto _ : state) {
        rig.Poll();
        std::vector<std::thread> scrapers;
        for (int i = 0; i < 20; ++i) scrapers.emplace_back([&rig] { benchmark::DoNotOptimize(rig.Scrape()); });
        for (std::thread& t : scrapers) t.join();
    }
    const double polls = double(state.iterations());
    state.counters["reads_x_one_refresh"] = double(rig.sim->TotalRequests()) / polls / perRefresh;
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
