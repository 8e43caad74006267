#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <new>

#include "events/EventDetector.h"
#include "cycle/PollingCycle.h"
#include "history/HistorySampler.h"
#include "sim/DriverSimulator.h"
#include "sim/SimControlDevice.h"

// Counts every operator new of this test binary while armed.
namespace {
std::atomic<bool> gCounting{false};
std::atomic<long> gAllocations{0};

void* CountedAlloc(std::size_t size) {
    if (gCounting.load(std::memory_order_relaxed)) gAllocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
}  // namespace

void* operator new(std::size_t size) { return CountedAlloc(size); }
void* operator new[](std::size_t size) { return CountedAlloc(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return CountedAlloc(size);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

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
}  // namespace

TEST(RefreshAllocation, ATickAtMaximumLoadAllocatesNothing) {
    sim::DriverSimulator simulator(sim::SimOptions::MaxLoad());
    sim::SimControlDevice device(simulator);
    CDev dev(device);
    RestoreWindow restore;
    NullWindow window;
    PollingCycle cycle(dev, restore, window, window, window);
    cycle.OnRefreshTimer();  // warm-up
    simulator.Advance(500);

    gAllocations = 0;
    gCounting = true;
    cycle.OnRefreshTimer();
    for (uint32_t d = 0; d < dev.DeviceCount(); ++d) dev.GetDeviceName(simulator.DeviceId(d));
    gCounting = false;

    EXPECT_EQ(gAllocations.load(), 0);
    EXPECT_EQ(dev.DeviceCount(), 64u);
    EXPECT_EQ(dev.Snapshot().bundleList.Count(Dir::Out), 128u);
    EXPECT_EQ(dev.Snapshot().Bundle(Dir::Out, 127).ChannelCount(), 16u);
    EXPECT_EQ(dev.Snapshot().isoStreamStatistics.Count(Dir::In), 16u);
}

TEST(RefreshAllocation, TheEventDetectorAllocatesNothingOnAQuietTickAtMaximumLoad) {
    sim::DriverSimulator simulator(sim::SimOptions::MaxLoad());
    sim::SimControlDevice device(simulator);
    CDev dev(device);
    RestoreWindow restore;
    NullWindow window;
    PollingCycle cycle(dev, restore, window, window, window);
    struct CountingSink : IEventSink {
        int events = 0;
        void OnEvent(const DriverEvent&) override { ++events; }
    } sink;
    EventDetector detector(&sink);
    ASSERT_TRUE(cycle.AddObserver(detector));
    cycle.OnRefreshTimer();  // the start-up events
    simulator.Advance(500);
    cycle.OnRefreshTimer();
    ASSERT_GT(sink.events, 64);
    sink.events = 0;

    gAllocations = 0;
    gCounting = true;
    for (int i = 0; i < 3; ++i) {
        simulator.Advance(500);
        cycle.OnRefreshTimer();
    }
    gCounting = false;
    EXPECT_EQ(gAllocations.load(), 0);
    EXPECT_EQ(sink.events, 0) << "nothing changed, nothing to tell";
}

TEST(RefreshAllocation, TheEventDetectorTellsAnIncreaseWithoutAllocating) {
    sim::DriverSimulator simulator(sim::SimOptions::MaxLoad());
    sim::SimControlDevice device(simulator);
    CDev dev(device);
    RestoreWindow restore;
    NullWindow window;
    PollingCycle cycle(dev, restore, window, window, window);
    struct CountingSink : IEventSink {
        int events = 0;
        void OnEvent(const DriverEvent&) override { ++events; }
    } sink;
    EventDetector detector(&sink, [] { return int64_t(0); });
    cycle.AddObserver(detector);
    cycle.OnRefreshTimer();
    sink.events = 0;
    simulator.SetBundleEntryField(Dir::Out, 127, 15, BundleChannelEntryField::NoBuffer, 9);

    gAllocations = 0;
    gCounting = true;
    simulator.Advance(500);
    cycle.OnRefreshTimer();
    gCounting = false;
    EXPECT_EQ(gAllocations.load(), 0);
    EXPECT_EQ(sink.events, 1);
}

TEST(RefreshAllocation, SamplingEveryWatchedCounterAllocatesNothing) {
    sim::DriverSimulator simulator(sim::SimOptions::MaxLoad());
    sim::SimControlDevice device(simulator);
    CDev dev(device);
    RestoreWindow restore;
    NullWindow window;
    PollingCycle cycle(dev, restore, window, window, window);
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

    gAllocations = 0;
    gCounting = true;
    cycle.OnRefreshTimer();
    sampler->OnClearStatistics(1, true);
    simulator.SetLoaded(false);
    cycle.OnRefreshTimer();
    gCounting = false;

    EXPECT_EQ(gAllocations.load(), 0);
    const CounterHistory& first = sampler->History(sampler->Find(watched[0]));
    ASSERT_EQ(first.Size(), CounterHistory::Capacity);
    EXPECT_EQ(first.At(first.Size() - 3).kind, SampleKind::Value);
    EXPECT_EQ(first.At(first.Size() - 2).kind, SampleKind::Cleared);
    EXPECT_EQ(first.At(first.Size() - 1).kind, SampleKind::DriverLost);
}
