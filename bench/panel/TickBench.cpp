// One 500 ms tick of the panel, node by node: what it allocates once nothing changes any
// more, and where its time goes at the driver's maximum load (driver requests, page updates,
// painting).
#include <benchmark/benchmark.h>

#include <QPixmap>
#include <array>
#include <ctime>

#include "support/AllocationCounter.h"
#include "PanelRig.h"
#include "support/RefreshReads.h"

namespace {

// One node of every page the view can show.
constexpr std::array<PanelRig::Node, 11> Nodes{{
    {NodeKind_Info, -1},
    {NodeKind_Asio, -1},
    {NodeKind_Devices, -1},
    {NodeKind_IsoInStreams, -1},
    {NodeKind_IsoInStreams, 0},
    {NodeKind_IsoOutStreams, -1},
    {NodeKind_IsoOutStreams, 0},
    {NodeKind_ChannelsIn, -1},
    {NodeKind_ChannelsIn, 0},
    {NodeKind_ChannelsOut, -1},
    {NodeKind_ChannelsOut, 0},
}};

// Past the rebuild after the first open and the restore window that follows it.
constexpr int SettleTicks = 10;

sim::SimOptions Setup(int64_t maxLoad) { return maxLoad ? sim::SimOptions::MaxLoad() : sim::SimOptions{}; }

// A panel showing the node of the benchmark's first argument, settled.
bool Prepare(benchmark::State& state, PanelRig& rig) {
    rig.Tick(SettleTicks);
    const PanelRig::Node node = Nodes[size_t(state.range(0))];
    if (!rig.Select(node)) {
        state.SkipWithError("node not in the tree");
        return false;
    }
    rig.Tick(SettleTicks);
    if (rig.Find(node) != rig.Tree().currentItem()) {
        state.SkipWithError("selection did not stay");
        return false;
    }
    state.SetLabel(rig.SelectedLabel().toStdString());
    return true;
}

double ThreadCpuUs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e6 + double(t.tv_nsec) / 1e3;
}

// Allocations of a tick on a settled panel, split into the tick handler and the events it
// leaves behind (painting), with the driver requests the tick made.
void BM_SteadyTick(benchmark::State& state) {
    PanelRig rig(Setup(state.range(1)));
    if (!Prepare(state, rig)) return;
    AllocationCounter::Counts handler, events;
    const uint64_t requestsBefore = rig.Sim().TotalRequests();
    for (auto _ : state) {
        rig.Advance();
        AllocationCounter::Start();
        rig.RunTickHandler();
        const AllocationCounter::Counts h = AllocationCounter::Stop();
        AllocationCounter::Start();
        rig.ProcessEvents();
        const AllocationCounter::Counts e = AllocationCounter::Stop();
        handler.heap += h.heap;
        handler.news += h.news;
        events.heap += e.heap;
        events.news += e.news;
    }
    const double ticks = double(state.iterations());
    state.counters["handler_allocs"] = double(handler.heap) / ticks;
    state.counters["handler_news"] = double(handler.news) / ticks;
    state.counters["paint_allocs"] = double(events.heap) / ticks;
    state.counters["paint_news"] = double(events.news) / ticks;
    state.counters["requests"] = double(rig.Sim().TotalRequests() - requestsBefore) / ticks;
}
BENCHMARK(BM_SteadyTick)
    ->ArgNames({"node", "max_load"})
    ->ArgsProduct({{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, {0, 1}})
    ->Iterations(200)
    ->Unit(benchmark::kMicrosecond);

// The phases of one tick in the tick's own order, timed on the thread's CPU clock so that
// other processes on the machine count less: the driver requests alone (a pass of their own
// right before, after an untimed one), then on the open device the status update (toolbar image, panes, the
// immediate repaint of the status bar) and the refresh (the same requests plus the pages),
// then the events the tick left behind (painting what changed) and, for comparison, a
// repaint of the whole window.
void BM_MaxLoadTickSplit(benchmark::State& state) {
    PanelRig rig(sim::SimOptions::MaxLoad());
    if (!Prepare(state, rig)) return;
    CDev& dev = rig.Panel().dev;
    PollingCycle& cycle = rig.Frame().Cycle();
    double readsUs = 0, statusUs = 0, refreshUs = 0, paintUs = 0, fullRepaintUs = 0;
    uint64_t requests = 0;
    for (auto _ : state) {
        rig.Advance();
        RefreshReads(dev);  // the timed passes below both find the records in the caches
        const uint64_t r0 = rig.Sim().TotalRequests();
        const double t0 = ThreadCpuUs();
        RefreshReads(dev);
        const double t1 = ThreadCpuUs();
        const uint64_t r1 = rig.Sim().TotalRequests();
        dev.Open();
        cycle.UpdateStatus(cycle.ReadingEnabled());
        const double t2 = ThreadCpuUs();
        cycle.RefreshAll();
        dev.Close();
        const double t3 = ThreadCpuUs();
        rig.ProcessEvents();
        const double t4 = ThreadCpuUs();
        QPixmap everything = rig.Frame().grab();
        benchmark::DoNotOptimize(everything);
        const double t5 = ThreadCpuUs();
        readsUs += t1 - t0;
        statusUs += t2 - t1;
        refreshUs += t3 - t2;
        paintUs += t4 - t3;
        fullRepaintUs += t5 - t4;
        requests += r1 - r0;
    }
    const double ticks = double(state.iterations());
    state.counters["driver_reads_us"] = readsUs / ticks;
    state.counters["pages_us"] = (refreshUs - readsUs) / ticks;
    state.counters["status_us"] = statusUs / ticks;
    state.counters["paint_us"] = paintUs / ticks;
    state.counters["tick_us"] = (statusUs + refreshUs + paintUs) / ticks;
    state.counters["full_repaint_us"] = fullRepaintUs / ticks;
    state.counters["requests"] = double(requests) / ticks;
}
BENCHMARK(BM_MaxLoadTickSplit)
    ->ArgName("node")
    ->DenseRange(0, int(Nodes.size()) - 1)
    ->Iterations(50)
    ->Unit(benchmark::kMillisecond);

}  // namespace
