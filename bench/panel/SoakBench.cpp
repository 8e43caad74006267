// A long run of the panel through everything that changes its tree and lists: a device that
// comes and goes, sample rate changes, stream and bundle counts moving, the driver unloading,
// and the user's selection visiting every node. What it measures is what stays behind.
#include <benchmark/benchmark.h>

#include <QTreeWidgetItem>
#include <algorithm>
#include <array>
#include <chrono>
#include <utility>

#include "support/AllocationCounter.h"
#include "PanelRig.h"

namespace {

constexpr int SoakTicks = 20000;
// Long enough for every layout of the schedule below to have been shown once.
constexpr int WarmUpTicks = 2000;
constexpr int SelectEveryTicks = 5;
constexpr int RateEveryTicks = 50;
constexpr int LayoutEveryTicks = 250;
constexpr int UnloadEveryTicks = 1000;
constexpr int UnloadedTicks = 3;
constexpr uint32_t HotplugMs = 15000;

constexpr std::array<uint32_t, 6> SampleRates{44100, 48000, 88200, 96000, 176400, 192000};
struct Layout {
    uint32_t inStreams, outStreams, inBundles, outBundles;
};
constexpr std::array<Layout, 6> Layouts{{
    {2, 2, 5, 5},
    {1, 3, 8, 3},
    {4, 1, 1, 12},
    {16, 16, 40, 40},
    {0, 2, 0, 5},
    {3, 3, 128, 128},
}};

// What the schedule changes before tick `t`.
void Schedule(PanelRig& rig, int t, size_t& nextNode) {
    sim::DriverSimulator& sim = rig.Sim();
    if (t % RateEveryTicks == 0) sim.SetSampleRate(SampleRates[size_t(t / RateEveryTicks) % SampleRates.size()]);
    if (t % LayoutEveryTicks == 0) {
        const Layout& l = Layouts[size_t(t / LayoutEveryTicks) % Layouts.size()];
        sim.SetStreamCounts(l.inStreams, l.outStreams);
        sim.SetBundleCounts(l.inBundles, l.outBundles);
    }
    if (t % UnloadEveryTicks == UnloadEveryTicks / 2) sim.SetLoaded(false);
    if (t % UnloadEveryTicks == UnloadEveryTicks / 2 + UnloadedTicks) sim.SetLoaded(true);
    if (t % SelectEveryTicks == 0) {
        const std::vector<QTreeWidgetItem*> nodes = rig.AllNodes();
        if (!nodes.empty()) rig.Tree().setCurrentItem(nodes[nextNode++ % nodes.size()]);
    }
}

void BM_Soak(benchmark::State& state) {
    for (auto _ : state) {
        PanelRig rig;
        rig.Sim().SetHotplugPeriod(HotplugMs);
        size_t nextNode = 0;
        for (int t = 0; t < WarmUpTicks; ++t) {
            Schedule(rig, t, nextNode);
            rig.Tick();
        }
        const long rssWarm = PanelRig::ResidentKb();
        const std::size_t heapWarm = PanelRig::HeapInUse();
        long rssPeak = rssWarm;

        const auto start = std::chrono::steady_clock::now();
        AllocationCounter::Start();
        for (int t = WarmUpTicks; t < SoakTicks; ++t) {
            Schedule(rig, t, nextNode);
            rig.Tick();
            if (t % 1000 == 0) rssPeak = std::max(rssPeak, PanelRig::ResidentKb());
        }
        const AllocationCounter::Counts counts = AllocationCounter::Stop();
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const long rssEnd = PanelRig::ResidentKb();
        const std::size_t heapEnd = PanelRig::HeapInUse();
        const double measured = SoakTicks - WarmUpTicks;

        state.counters["ticks"] = SoakTicks;
        state.counters["rss_warm_kb"] = double(rssWarm);
        state.counters["rss_end_kb"] = double(rssEnd);
        state.counters["rss_peak_kb"] = double(std::max(rssPeak, rssEnd));
        state.counters["rss_growth_kb"] = double(rssEnd - rssWarm);
        state.counters["heap_warm_kb"] = double(heapWarm) / 1024.0;
        state.counters["heap_end_kb"] = double(heapEnd) / 1024.0;
        state.counters["heap_growth_kb"] = (double(heapEnd) - double(heapWarm)) / 1024.0;
        state.counters["allocs_per_tick"] = double(counts.heap) / measured;
        state.counters["news_per_tick"] = double(counts.news) / measured;
        state.counters["ms_per_tick"] = seconds * 1000.0 / measured;
    }
}
BENCHMARK(BM_Soak)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
