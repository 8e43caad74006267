#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "history/CounterHistory.h"

namespace {
HistorySample V(int64_t t, int64_t value) { return {t, value, SampleKind::Value}; }
HistorySample Mark(int64_t t, SampleKind kind) { return {t, 0, kind}; }

struct RateCase {
    const char* what;
    std::vector<HistorySample> samples;
    std::optional<double> lastRate;
};
}  // namespace

TEST(CounterHistory, TheRateIsTheChangePerSecondBetweenTwoValuesAndNothingAcrossAnythingElse) {
    const RateCase cases[] = {
        {"a counter at 8000 a second", {V(0, 100), V(500, 4100)}, 8000.0},
        {"ticks that come late", {V(0, 100), V(2000, 4100)}, 2000.0},
        {"a 32-bit counter that wraps", {V(0, 0xFFFFFF00), V(500, 0x100)}, 1024.0},
        {"a value that falls", {V(0, 48000), V(500, 44100)}, -7800.0},
        {"a signed value through zero", {V(0, -5), V(1000, 3)}, 8.0},
        {"a signed value that wraps", {V(0, INT32_MAX), V(1000, INT32_MIN)}, 1.0},
        {"the first sample", {V(0, 100)}, std::nullopt},
        {"after n/a", {V(0, 100), Mark(500, SampleKind::NotAvailable), V(1000, 200)}, std::nullopt},
        {"after a driver loss", {V(0, 100), Mark(500, SampleKind::DriverLost), V(1000, 200)}, std::nullopt},
        {"right after a clear", {V(0, 90000), Mark(400, SampleKind::Cleared), V(500, 10)}, std::nullopt},
        {"one tick after a clear", {V(0, 90000), Mark(400, SampleKind::Cleared), V(500, 10), V(1000, 60)}, 100.0},
        {"no time between", {V(500, 100), V(500, 200)}, std::nullopt},
        {"time going back", {V(500, 100), V(0, 200)}, std::nullopt},
    };
    for (const RateCase& c : cases) {
        CounterHistory history;
        for (const HistorySample& s : c.samples) history.Add(s);
        ASSERT_EQ(history.Size(), c.samples.size()) << c.what;
        EXPECT_EQ(history.RatePerSecond(history.Size() - 1), c.lastRate) << c.what;
        EXPECT_EQ(history.RatePerSecond(0), std::nullopt) << c.what;
        EXPECT_EQ(history.RatePerSecond(history.Size()), std::nullopt) << c.what;
    }
}

TEST(CounterHistory, AFullRingDropsItsOldestSamplesAndKeepsTheOrder) {
    CounterHistory history;
    const int64_t extra = 10;
    for (int64_t i = 0; i < static_cast<int64_t>(CounterHistory::Capacity) + extra; ++i)
        history.Add(V(i * 500, i * 4000));
    ASSERT_EQ(history.Size(), CounterHistory::Capacity);
    EXPECT_EQ(history.At(0).timeMs, extra * 500);
    EXPECT_EQ(history.At(CounterHistory::Capacity - 1).timeMs, (static_cast<int64_t>(CounterHistory::Capacity) + extra - 1) * 500);
    for (size_t i = 1; i < history.Size(); ++i) ASSERT_LT(history.At(i - 1).timeMs, history.At(i).timeMs) << i;
    // The sample before the oldest kept is gone: no rate from it.
    EXPECT_EQ(history.RatePerSecond(0), std::nullopt);
    EXPECT_EQ(history.RatePerSecond(1), 8000.0);
    // Ten minutes of 500 ms ticks fit.
    EXPECT_GE(history.At(history.Size() - 1).timeMs - history.At(0).timeMs, 10 * 60 * 1000);

    history.Reset();
    EXPECT_EQ(history.Size(), 0u);
    history.Add(V(1, 2));
    EXPECT_EQ(history.At(0).value, 2);
}
