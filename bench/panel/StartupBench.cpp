// The panel against a driver stand-in served over the control device socket, measured in units
// of one refresh taken in the same run (the requests of one tick alone, RefreshReads): the
// ticks and refreshes from the first tick to a complete tree, and what a click on a node costs
// beside one refresh and the paint that follows it.
#include <benchmark/benchmark.h>

#include <QTreeWidgetItem>
#include <array>
#include <chrono>

#include "PanelRig.h"
#include "support/RefreshReads.h"

namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

bool TreeComplete(PanelRig& rig, const sim::SimOptions& options) {
    const std::array<std::pair<uint32_t, uint32_t>, 4> expected{{{NodeKind_IsoInStreams, options.inStreams},
                                                                  {NodeKind_IsoOutStreams, options.outStreams},
                                                                  {NodeKind_ChannelsIn, options.inBundles},
                                                                  {NodeKind_ChannelsOut, options.outBundles}}};
    for (const auto& [kind, count] : expected)
        if (uint32_t(rig.Find({kind, -1})->childCount()) != count) return false;
    return true;
}

// Mean seconds of one refresh's requests alone, after an untimed one.
double RefreshSeconds(PanelRig& rig, int passes) {
    RefreshReads(rig.Panel().dev);
    const Clock::time_point start = Clock::now();
    for (int i = 0; i < passes; ++i) RefreshReads(rig.Panel().dev);
    return SecondsSince(start) / passes;
}

sim::SimOptions Setup(int64_t maxLoad) { return maxLoad ? sim::SimOptions::MaxLoad() : sim::SimOptions{}; }

// From the first tick of a new panel to the tree holding every stream and bundle node.
void BM_FirstTickToCompleteTree(benchmark::State& state) {
    constexpr int MaxTicks = 10;
    double ticks = 0, refreshes = 0, completeAfterFirst = 0, refreshMs = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const sim::SimOptions options = Setup(state.range(0));
        PanelRig panel(options, PanelRig::Link::Socket);
        if (!panel.Started()) {
            state.SkipWithError(panel.Error().c_str());
            return;
        }
        state.ResumeTiming();
        const Clock::time_point start = Clock::now();
        int n = 0;
        while (n < MaxTicks && !TreeComplete(panel, options)) {
            panel.Tick();
            ++n;
        }
        const double seconds = SecondsSince(start);
        state.PauseTiming();
        const double refresh = RefreshSeconds(panel, 3);
        ticks += n;
        refreshes += seconds / refresh;
        refreshMs += refresh * 1e3;
        completeAfterFirst += n == 1 && TreeComplete(panel, options) ? 1 : 0;
        state.ResumeTiming();
    }
    const double runs = double(state.iterations());
    state.counters["ticks_to_tree"] = ticks / runs;
    state.counters["refreshes_to_tree"] = refreshes / runs;
    state.counters["complete_after_first_tick"] = completeAfterFirst / runs;
    state.counters["refresh_ms"] = refreshMs / runs;
}
BENCHMARK(BM_FirstTickToCompleteTree)
    ->ArgName("max_load")
    ->Arg(0)
    ->Arg(1)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The pages a click can bring up, the heaviest first: a bundle of 16 channels re-reads the
// device list once per channel.
constexpr std::array<PanelRig::Node, 6> Nodes{{
    {NodeKind_ChannelsIn, 5},
    {NodeKind_ChannelsIn, -1},
    {NodeKind_IsoOutStreams, -1},
    {NodeKind_IsoInStreams, 3},
    {NodeKind_Devices, -1},
    {NodeKind_Asio, -1},
}};

// A click on a node of a settled panel at the driver's maximum load: the selection change that
// shows the page, then its paint, each against one refresh and the paint after a tick.
void BM_ClickAgainstRefresh(benchmark::State& state) {
    PanelRig panel(sim::SimOptions::MaxLoad(), PanelRig::Link::Socket);
    if (!panel.Started()) {
        state.SkipWithError(panel.Error().c_str());
        return;
    }
    panel.Tick(8);
    QTreeWidgetItem* target = panel.Find(Nodes[size_t(state.range(0))]);
    QTreeWidgetItem* general = panel.Find({NodeKind_Info, -1});
    if (!target) {
        state.SkipWithError("node not in the tree");
        return;
    }
    state.SetLabel(target->text(0).toStdString());

    CTreeCtrlEx& tree = panel.Tree();
    double clickSeconds = 0, clickPaintSeconds = 0, refreshSeconds = 0, tickPaintSeconds = 0;
    for (auto _ : state) {
        tree.setCurrentItem(general);
        PanelRig::ProcessEvents();
        Clock::time_point start = Clock::now();
        tree.setCurrentItem(target);
        clickSeconds += SecondsSince(start);
        start = Clock::now();
        PanelRig::ProcessEvents();
        clickPaintSeconds += SecondsSince(start);

        // One tick on the shown page, for its paint, then a refresh alone.
        panel.Advance();
        panel.RunTickHandler();
        start = Clock::now();
        PanelRig::ProcessEvents();
        tickPaintSeconds += SecondsSince(start);
        refreshSeconds += RefreshSeconds(panel, 1);
    }
    const double n = double(state.iterations());
    state.counters["click_ms"] = clickSeconds / n * 1e3;
    state.counters["click_paint_ms"] = clickPaintSeconds / n * 1e3;
    state.counters["refresh_ms"] = refreshSeconds / n * 1e3;
    state.counters["click_over_refresh"] = clickSeconds / refreshSeconds;
    state.counters["click_and_paint_over_refresh_and_paint"] =
        (clickSeconds + clickPaintSeconds) / (refreshSeconds + tickPaintSeconds);
}
BENCHMARK(BM_ClickAgainstRefresh)
    ->ArgName("node")
    ->DenseRange(0, int(Nodes.size()) - 1)
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
