#include "history/PlotScale.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {
constexpr std::array<int64_t, 13> ClockSteps{1000,   2000,   5000,    10000,   15000,   30000,  60000,
                                             120000, 300000, 600000, 900000, 1800000, 3600000};
constexpr int64_t MsPerDay = 24 * 3600 * 1000;

int64_t FloorDiv(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0); }
}  // namespace

ValueTicks PlotScale::Values(double low, double high, int maxTicks) {
    // A span across zero takes three ticks however wide their step.
    maxTicks = std::max(maxTicks, 3);
    if (!std::isfinite(low) || !std::isfinite(high)) low = high = 0;
    // Far beyond any counter: the steps stay numbers.
    low = std::clamp(low, -1e15, 1e15);
    high = std::clamp(high, -1e15, 1e15);
    if (high < low) std::swap(low, high);
    if (high - low < 1e-9 * std::max(1.0, std::fabs(high))) {
        const double pad = std::max(0.5, std::fabs(high) * 1e-6);
        low -= pad;
        high += pad;
    }
    const double rough = (high - low) / (maxTicks - 1);
    double power = std::pow(10.0, std::floor(std::log10(rough)));
    ValueTicks t;
    for (int tries = 0; tries < 64; ++tries) {
        for (double m : {1.0, 2.0, 5.0, 10.0}) {
            t.step = m * power;
            t.low = std::floor(low / t.step) * t.step;
            t.count = static_cast<int>(std::ceil(high / t.step - 1e-9) - std::floor(low / t.step)) + 1;
            if (t.count <= maxTicks) break;
        }
        if (t.count <= maxTicks) break;
        power *= 10;
    }
    // A step of 0.5 needs one digit, 0.25 never comes: 1, 2 and 5 need as many as the power.
    t.decimals = t.step >= 1 ? 0 : static_cast<int>(std::ceil(-std::log10(t.step) - 1e-9));
    return t;
}

TimeTicks PlotScale::Times(int64_t startMs, int64_t endMs, int maxTicks) {
    TimeTicks t;
    if (endMs < startMs) std::swap(startMs, endMs);
    maxTicks = std::max(maxTicks, 1);
    t.stepMs = ClockSteps.back();
    for (int64_t step : ClockSteps)
        if ((endMs - startMs) / step + 1 <= maxTicks) {
            t.stepMs = step;
            break;
        }
    t.first = FloorDiv(startMs + t.stepMs - 1, t.stepMs) * t.stepMs;
    t.count = endMs < t.first ? 0 : static_cast<int>((endMs - t.first) / t.stepMs) + 1;
    return t;
}

std::array<char, 9> PlotScale::ClockText(int64_t ms) {
    const int64_t ofDay = ms - FloorDiv(ms, MsPerDay) * MsPerDay;
    const auto seconds = static_cast<unsigned>(ofDay / 1000);
    std::array<char, 9> text{};
    // The remainders keep each field two digits, which the compiler can see.
    std::snprintf(text.data(), text.size(), "%02u:%02u:%02u", seconds / 3600 % 24, seconds / 60 % 60, seconds % 60);
    return text;
}

std::string PlotScale::ValueText(double value, int decimals) {
    decimals = std::clamp(decimals, 0, 9);
    std::array<char, 64> plain{};
    const int n = std::snprintf(plain.data(), plain.size(), "%.*f", decimals, value);
    if (n <= 0 || static_cast<size_t>(n) >= plain.size()) return "?";
    const std::string text(plain.data(), static_cast<size_t>(n));
    const size_t sign = text[0] == '-' ? 1 : 0;
    const size_t point = std::min(text.find('.'), text.size());
    std::string out = text.substr(0, sign);
    for (size_t i = sign; i < point; ++i) {
        if (i > sign && (point - i) % 3 == 0) out += ' ';
        out += text[i];
    }
    out += text.substr(point);
    // "-0" says nothing that "0" does not.
    if (out.find_first_not_of("-0. ") == std::string::npos && sign == 1) out.erase(0, 1);
    return out;
}
