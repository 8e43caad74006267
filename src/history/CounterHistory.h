#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

enum class SampleKind : uint8_t {
    Value,         // the counter as the pages showed it
    NotAvailable,  // the pages showed "n/a": nothing to plot
    DriverLost,    // the control device did not open: a gap in the line
    Cleared,       // Clear Statistics went out: a marker, and no rate across it
};

struct HistorySample {
    int64_t timeMs = 0;  // the polling cycle's clock
    int64_t value = 0;   // only for SampleKind::Value
    SampleKind kind = SampleKind::NotAvailable;
};

// The latest samples of one counter in a ring of fixed size: ten minutes of 500 ms ticks with
// room to spare. When full, each new sample overwrites the oldest.
class CounterHistory {
public:
    static constexpr size_t Capacity = 1280;

    void Add(const HistorySample& sample);
    void Reset() { size_ = 0; }
    size_t Size() const { return size_; }
    // 0 is the oldest sample kept.
    const HistorySample& At(size_t i) const { return samples_[(head_ + i) % Capacity]; }

    // The change per second from the sample before `i` to `i`; nothing unless both are values.
    // Counters are 32 bits wide: one that wraps counts on through the wrap, and a change is
    // taken the short way round, so a value that falls gives a negative rate.
    std::optional<double> RatePerSecond(size_t i) const;

private:
    std::array<HistorySample, Capacity> samples_{};
    size_t head_ = 0;  // index of the oldest sample
    size_t size_ = 0;
};
