#include <gtest/gtest.h>

#include <set>
#include <string>

#include "history/PlotScale.h"

TEST(PlotScale, ValueTicksTakeInTheRangeWithinTheirNumberAndNoTwoLabelsAlike) {
    struct Case {
        double low, high;
        int maxTicks;
        double step;  // expected
    };
    const Case cases[] = {
        {0, 1, 6, 0.2},         {0, 100, 6, 20},         {0, 101, 6, 50},           {95, 105, 6, 5},
        {-3, 7, 3, 10},         {48000, 48000, 5, 0.5},  {0, 4294967295.0, 8, 1e9}, {0.2, 0.9, 4, 0.5},
        {-8000, 8000, 9, 2000}, {1e6, 1e6 + 3, 3, 2},    {0, 0, 2, 0.5},            {7, 3, 5, 1},
    };
    for (const Case& c : cases) {
        // A span across zero needs three ticks at the least.
        const ValueTicks t = PlotScale::Values(c.low, c.high, c.maxTicks);
        const std::string what = std::to_string(c.low) + ".." + std::to_string(c.high);
        EXPECT_DOUBLE_EQ(t.step, c.step) << what;
        EXPECT_LE(t.count, std::max(c.maxTicks, 3)) << what;
        EXPECT_LE(t.low, std::min(c.low, c.high)) << what;
        EXPECT_GE(t.low + t.step * (t.count - 1), std::max(c.low, c.high) - 1e-9) << what;
        std::set<std::string> labels;
        for (int i = 0; i < t.count; ++i) labels.insert(PlotScale::ValueText(t.low + i * t.step, t.decimals));
        EXPECT_EQ(labels.size(), size_t(t.count)) << what;
    }
}

TEST(PlotScale, TimeTicksAreWholeClockStepsInsideTheSpan) {
    struct Case {
        int64_t start, end;
        int maxTicks;
        int64_t step, first;
        int count;
    };
    const Case cases[] = {
        {0, 600000, 7, 120000, 0, 6},               // ten minutes: every two minutes
        {1500, 600000, 11, 60000, 60000, 10},       // the first whole minute after the start
        {59000, 69000, 11, 1000, 59000, 11},        // ten seconds
        {59001, 69000, 3, 5000, 60000, 2},          // few labels fit
        {-7000, 3000, 3, 5000, -5000, 2},           // before the epoch all the same
        {0, 86400000, 4, 3600000, 0, 25},           // a day: no step beyond an hour
    };
    for (const Case& c : cases) {
        const TimeTicks t = PlotScale::Times(c.start, c.end, c.maxTicks);
        EXPECT_EQ(t.stepMs, c.step) << c.start << ".." << c.end;
        EXPECT_EQ(t.first, c.first) << c.start << ".." << c.end;
        EXPECT_EQ(t.count, c.count) << c.start << ".." << c.end;
    }
}

TEST(PlotScale, TextsAreClockTimesAndGroupedNumbers) {
    EXPECT_STREQ(PlotScale::ClockText(0).data(), "00:00:00");
    EXPECT_STREQ(PlotScale::ClockText((13 * 3600 + 5 * 60 + 9) * 1000LL + 999).data(), "13:05:09");
    EXPECT_STREQ(PlotScale::ClockText(24 * 3600 * 1000LL + 1000).data(), "00:00:01");
    EXPECT_STREQ(PlotScale::ClockText(-1000).data(), "23:59:59");
    const std::pair<double, int> values[] = {{48000, 0}, {-1234567.5, 1}, {0.25, 2}, {-0.0001, 2}, {999, 0}};
    const char* texts[] = {"48 000", "-1 234 567.5", "0.25", "0.00", "999"};
    for (size_t i = 0; i < std::size(texts); ++i)
        EXPECT_EQ(PlotScale::ValueText(values[i].first, values[i].second), texts[i]);
}
