#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <optional>
#include <vector>

#include "driver/DriverRecords.h"
#include "history/HistorySampler.h"
#include "rows/AsioRows.h"
#include "rows/IsoStreamRows.h"

namespace {
uint16_t AsioRowNamed(const char* name) {
    const auto rows = AsioRows();
    for (size_t i = 0; i < rows.size(); ++i)
        if (std::strcmp(rows[i].name, name) == 0) return static_cast<uint16_t>(i);
    ADD_FAILURE() << name;
    return 0;
}

struct Listener : IHistoryListener {
    std::vector<int64_t> told;
    void OnHistoryChanged(int64_t nowMs) override { told.push_back(nowMs); }
};

// The sampler fed ticks scripted as the polling cycle would tell them.
struct SamplerFixture : ::testing::Test {
    std::unique_ptr<StatisticsSnapshot> snapshot = std::make_unique<StatisticsSnapshot>();
    RecordValidity validity;
    PublishedDriverVersion published;
    HistorySampler sampler{published};
    Listener listener;
    // An extended ASIO counter, so that a sampler blind to the extended flag shows up.
    const uint16_t switchesRow = AsioRowNamed("TotalBufferSwitches");
    const CounterRef switches{CounterGroup::Asio, Dir::In, 0, 0, switchesRow};

    SamplerFixture() {
        published.ExtendedStatistics = 1;
        validity.asioStatistics = true;
        sampler.SetListener(&listener);
    }

    void Read(int64_t t, uint32_t value) {
        snapshot->asioStatistics.PutU32(AsioRows()[switchesRow].field, value);
        TickFacts facts;
        facts.monotonicMs = t;
        facts.deviceOpen = facts.readingEnabled = facts.refreshed = true;
        facts.snapshot = snapshot.get();
        facts.validity = &validity;
        sampler.OnTick(facts);
    }
    void Lost(int64_t t) {
        TickFacts facts;
        facts.monotonicMs = t;
        facts.readingEnabled = true;
        sampler.OnTick(facts);
    }
    void Stopped(int64_t t) {
        TickFacts facts;
        facts.monotonicMs = t;
        facts.deviceOpen = true;
        sampler.OnTick(facts);
    }

    std::vector<SampleKind> Kinds(int slot) const {
        std::vector<SampleKind> kinds;
        const CounterHistory& h = sampler.History(slot);
        for (size_t i = 0; i < h.Size(); ++i) kinds.push_back(h.At(i).kind);
        return kinds;
    }
    std::vector<std::optional<double>> Rates(int slot) const {
        std::vector<std::optional<double>> rates;
        const CounterHistory& h = sampler.History(slot);
        for (size_t i = 0; i < h.Size(); ++i) rates.push_back(h.RatePerSecond(i));
        return rates;
    }
};

constexpr SampleKind Val = SampleKind::Value;
constexpr SampleKind Gap = SampleKind::DriverLost;
constexpr SampleKind Na = SampleKind::NotAvailable;
constexpr SampleKind Clr = SampleKind::Cleared;
const std::optional<double> None;
}  // namespace

TEST_F(SamplerFixture, ADriverLossIsAGapAndTheLineGoesOnAfterIt) {
    const int slot = sampler.Watch(switches);
    ASSERT_GE(slot, 0);
    Read(500, 100);
    Read(1000, 200);
    Lost(1500);
    Lost(2000);
    Read(2500, 400);
    Read(3000, 500);
    EXPECT_EQ(Kinds(slot), (std::vector<SampleKind>{Val, Val, Gap, Gap, Val, Val}));
    EXPECT_EQ(Rates(slot), (std::vector<std::optional<double>>{None, 200.0, None, None, None, 200.0}));
    EXPECT_EQ(sampler.History(slot).At(4).value, 400);
    EXPECT_EQ(listener.told, (std::vector<int64_t>{500, 1000, 1500, 2000, 2500, 3000}));
}

TEST_F(SamplerFixture, ClearStatisticsIsAMarkerWithNoRateAcrossIt) {
    const int slot = sampler.Watch(switches);
    Read(500, 90000);
    Read(1000, 94000);
    sampler.OnClearStatistics(1200, false);  // not sent: nothing was cleared
    sampler.OnClearStatistics(1300, true);
    Read(1500, 40);
    Read(2000, 4040);
    EXPECT_EQ(Kinds(slot), (std::vector<SampleKind>{Val, Val, Clr, Val, Val}));
    EXPECT_EQ(sampler.History(slot).At(2).timeMs, 1300);
    // Without the marker the fall to 40 would read as a wrap of some 8.6 million a second.
    EXPECT_EQ(Rates(slot), (std::vector<std::optional<double>>{None, 8000.0, None, None, 8000.0}));
    EXPECT_EQ(listener.told.back(), 2000);
}

TEST_F(SamplerFixture, WhatThePagesShowAsNaIsNotPlotted) {
    const int slot = sampler.Watch(switches);
    Read(500, 10);
    Read(1000, ValueNotAvailable);
    published.ExtendedStatistics = 0;  // the driver stops filling its extended counters
    Read(1500, 30);
    published.ExtendedStatistics = 1;
    validity.asioStatistics = false;  // the read failed
    Read(2000, 40);
    validity.asioStatistics = true;
    Read(2500, 50);
    EXPECT_EQ(Kinds(slot), (std::vector<SampleKind>{Val, Na, Na, Na, Val}));
    EXPECT_EQ(Rates(slot), (std::vector<std::optional<double>>(5, None)));
}

TEST_F(SamplerFixture, ACounterThatWrapsKeepsItsRate) {
    const int slot = sampler.Watch(switches);
    Read(500, 0xFFFFF000);
    Read(1000, 0x00000800);
    EXPECT_EQ(sampler.History(slot).RatePerSecond(1), 0x1800 * 2.0);
}

TEST_F(SamplerFixture, WithReadingStoppedTimeMovesOnButNothingIsAdded) {
    const int slot = sampler.Watch(switches);
    Read(500, 10);
    Stopped(1000);
    Stopped(1500);
    Read(2000, 160);
    EXPECT_EQ(Kinds(slot), (std::vector<SampleKind>{Val, Val}));
    EXPECT_EQ(sampler.History(slot).RatePerSecond(1), 100.0);
    EXPECT_EQ(listener.told, (std::vector<int64_t>{500, 1000, 1500, 2000}));
    EXPECT_EQ(sampler.NowMs(), 2000);
}

TEST_F(SamplerFixture, EachWatchedCounterHasAHistoryOfItsOwn) {
    snapshot->isoStreamStatistics.PutU32(IsoStreamStatistics::InCountOffset, 1);
    validity.isoStreams = true;
    const CounterRef firstStream{CounterGroup::IsoStream, Dir::In, 0, 0, 0};
    const CounterRef missingStream{CounterGroup::IsoStream, Dir::In, 5, 0, 0};
    ASSERT_TRUE(IsNumericCounter(firstStream));
    const int a = sampler.Watch(switches);
    Read(500, 1);
    const int b = sampler.Watch(firstStream);
    const int c = sampler.Watch(missingStream);
    Read(1000, 2);
    EXPECT_EQ(Kinds(a), (std::vector<SampleKind>{Val, Val}));
    EXPECT_EQ(Kinds(b), (std::vector<SampleKind>{Val}));
    EXPECT_EQ(Kinds(c), (std::vector<SampleKind>{Na}));  // beyond the driver's streams
}

TEST_F(SamplerFixture, SlotsAreLimitedAndACounterIsWatchedOnce) {
    EXPECT_EQ(sampler.Watch(switches), sampler.Watch(switches));
    std::vector<int> slots{sampler.Find(switches)};
    for (uint16_t row = 0; slots.size() < HistorySampler::WatchCapacity; ++row)
        if (row != switchesRow) slots.push_back(sampler.Watch({CounterGroup::Asio, Dir::In, 0, 0, row}));
    for (int s : slots) EXPECT_GE(s, 0);
    EXPECT_EQ(sampler.WatchCount(), HistorySampler::WatchCapacity);
    const CounterRef oneMore{CounterGroup::IsoStream, Dir::Out, 0, 0, 1};
    EXPECT_EQ(sampler.Watch(oneMore), -1);

    // A counter watched anew starts with an empty history.
    const int slot = sampler.Find(switches);
    Read(500, 10);
    sampler.Unwatch(slot);
    EXPECT_FALSE(sampler.Watching(slot));
    EXPECT_EQ(sampler.Find(switches), -1);
    const int again = sampler.Watch(oneMore);
    EXPECT_EQ(again, slot);
    EXPECT_EQ(sampler.History(again).Size(), 0u);
    EXPECT_EQ(sampler.Counter(again), oneMore);
}

TEST_F(SamplerFixture, NothingWatchedNobodyIsTold) {
    Read(500, 1);
    Lost(1000);
    sampler.OnClearStatistics(1200, true);
    EXPECT_TRUE(listener.told.empty());
    const int slot = sampler.Watch(switches);
    sampler.Unwatch(slot);
    Read(1500, 1);
    EXPECT_TRUE(listener.told.empty());
}
