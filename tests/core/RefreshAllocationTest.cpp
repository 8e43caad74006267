#include <gtest/gtest.h>

#include <memory>

#include "events/EventDetector.h"
#include "cycle/PollingCycle.h"
#include "history/HistorySampler.h"
#include "support/AllocationCounter.h"
#include "support/SimulatedDriver.h"

namespace {
struct NullWindow : IStatusPanes, IToolbarImage, IPollingView {
    void SetPane(int, std::string_view, Colour, Colour) override {}
    void RepaintNow() override {}
    void LoadBitmap(int) override {}
    void RefreshInfoPage(bool) override {}
    void RefreshPage(PageId) override {}
    void ResetPageState() override {}
    void ShowPlaceholder(PageId, std::string_view) override {}
    void RebuildTree() override {}
    void SelectLastSelectedItem() override {}
    void SelectGeneral() override {}
    void ClearDescription() override {}
};

struct CountingSink : IEventSink {
    int events = 0;
    void OnEvent(const DriverEvent&) override { ++events; }
};

// The polling cycle over the simulator at the driver's maximum load, with a window that shows nothing.
struct RefreshAllocation : ::testing::Test {
    SimulatedDriver driver{sim::SimOptions::MaxLoad()};
    sim::DriverSimulator& simulator = driver.sim;
    CDev& dev = driver.dev;
    RestoreWindow restore;
    NullWindow window;
    PollingCycle cycle{dev, restore, window, window, window};
};
}  // namespace

TEST_F(RefreshAllocation, ATickAtMaximumLoadAllocatesNothing) {
    cycle.OnRefreshTimer();  // warm-up
    simulator.Advance(500);

    AllocationCounter::Start();
    cycle.OnRefreshTimer();
    for (uint32_t d = 0; d < dev.DeviceCount(); ++d) dev.GetDeviceName(simulator.DeviceId(d));
    const AllocationCounter::Counts counts = AllocationCounter::Stop();

    EXPECT_EQ(counts.news, 0u);
    EXPECT_EQ(counts.heap, 0u) << "malloc and its kin, where counted";
    EXPECT_EQ(dev.DeviceCount(), 64u);
    EXPECT_EQ(dev.Snapshot().bundleList.Count(Dir::Out), 128u);
    EXPECT_EQ(dev.Snapshot().Bundle(Dir::Out, 127).ChannelCount(), 16u);
    EXPECT_EQ(dev.Snapshot().isoStreamStatistics.Count(Dir::In), 16u);
}

TEST_F(RefreshAllocation, TheEventDetectorAllocatesNothingOnAQuietTickAtMaximumLoad) {
    CountingSink sink;
    EventDetector detector(&sink);
    ASSERT_TRUE(cycle.AddObserver(detector));
    cycle.OnRefreshTimer();  // the start-up events
    simulator.Advance(500);
    cycle.OnRefreshTimer();
    ASSERT_GT(sink.events, 64);
    sink.events = 0;

    AllocationCounter::Start();
    for (int i = 0; i < 3; ++i) {
        simulator.Advance(500);
        cycle.OnRefreshTimer();
    }
    const AllocationCounter::Counts counts = AllocationCounter::Stop();
    EXPECT_EQ(counts.news, 0u);
    EXPECT_EQ(counts.heap, 0u) << "malloc and its kin, where counted";
    EXPECT_EQ(sink.events, 0) << "nothing changed, nothing to tell";
}

TEST_F(RefreshAllocation, TheEventDetectorTellsAnIncreaseWithoutAllocating) {
    CountingSink sink;
    EventDetector detector(&sink, [] { return int64_t(0); });
    cycle.AddObserver(detector);
    cycle.OnRefreshTimer();
    sink.events = 0;
    simulator.SetBundleEntryField(Dir::Out, 127, 15, BundleChannelEntryField::NoBuffer, 9);

    AllocationCounter::Start();
    simulator.Advance(500);
    cycle.OnRefreshTimer();
    const AllocationCounter::Counts counts = AllocationCounter::Stop();
    EXPECT_EQ(counts.news, 0u);
    EXPECT_EQ(counts.heap, 0u) << "malloc and its kin, where counted";
    EXPECT_EQ(sink.events, 1);
}

TEST_F(RefreshAllocation, SamplingEveryWatchedCounterAllocatesNothing) {
    auto sampler = std::make_unique<HistorySampler>(dev.Published());
    ASSERT_TRUE(cycle.AddObserver(*sampler));
    const CounterRef watched[] = {
        {CounterGroup::Asio, Dir::In, 0, 0, 0},       {CounterGroup::Asio, Dir::In, 0, 0, 12},
        {CounterGroup::IsoStream, Dir::In, 15, 0, 3}, {CounterGroup::IsoStream, Dir::Out, 0, 0, 5},
        {CounterGroup::Channel, Dir::In, 0, 0, 4},    {CounterGroup::Channel, Dir::Out, 127, 15, 6},
        {CounterGroup::Asio, Dir::In, 0, 0, 18},      {CounterGroup::IsoStream, Dir::In, 40, 0, 3},
    };
    for (const CounterRef& c : watched) ASSERT_GE(sampler->Watch(c), 0);
    cycle.OnRefreshTimer();  // warm-up
    // Full rings, so that the count also covers samples that overwrite.
    TickFacts lost;
    for (size_t i = 0; i < CounterHistory::Capacity; ++i) sampler->OnTick(lost);
    simulator.Advance(500);

    AllocationCounter::Start();
    cycle.OnRefreshTimer();
    sampler->OnClearStatistics(1, true);
    simulator.SetLoaded(false);
    cycle.OnRefreshTimer();
    const AllocationCounter::Counts counts = AllocationCounter::Stop();

    EXPECT_EQ(counts.news, 0u);
    EXPECT_EQ(counts.heap, 0u) << "malloc and its kin, where counted";
    const CounterHistory& first = sampler->History(sampler->Find(watched[0]));
    ASSERT_EQ(first.Size(), CounterHistory::Capacity);
    EXPECT_EQ(first.At(first.Size() - 3).kind, SampleKind::Value);
    EXPECT_EQ(first.At(first.Size() - 2).kind, SampleKind::Cleared);
    EXPECT_EQ(first.At(first.Size() - 1).kind, SampleKind::DriverLost);
}
