#pragma once

#include <array>
#include <cstdint>
#include <string>

// Where a plot's axis puts its labelled ticks: at 1, 2 or 5 times a power of ten for values,
// at whole clock steps for times. Each label differs from its neighbours.
struct ValueTicks {
    double low = 0;  // the lowest tick; the axis runs from it
    double step = 1;
    int count = 0;     // ticks from low on, the last one at or above the data's high
    int decimals = 0;  // digits after the point that tell two ticks apart
};

struct TimeTicks {
    int64_t first = 0;  // the first tick at or after the start
    int64_t stepMs = 1000;
    int count = 0;  // ticks up to the end
};

class PlotScale {
public:
    // At most `maxTicks` (3 or more) ticks that take in [low, high].
    static ValueTicks Values(double low, double high, int maxTicks);
    // Ticks of a clock within [startMs, endMs], each a whole multiple of a step from 1 s to
    // one hour, at most `maxTicks` of them (at least one step's worth).
    static TimeTicks Times(int64_t startMs, int64_t endMs, int maxTicks);
    // "HH:MM:SS" of a time of day in milliseconds (local time, as the caller counts it).
    static std::array<char, 9> ClockText(int64_t ms);
    // The value with `decimals` digits after the point and the integer digits grouped by
    // three with a blank, as the pages group them.
    static std::string ValueText(double value, int decimals);
};
