#include "history/CounterHistory.h"

void CounterHistory::Add(const HistorySample& sample) {
    if (size_ < Capacity) {
        samples_[(head_ + size_) % Capacity] = sample;
        ++size_;
    } else {
        samples_[head_] = sample;
        head_ = (head_ + 1) % Capacity;
    }
}

std::optional<double> CounterHistory::RatePerSecond(size_t i) const {
    if (i == 0 || i >= size_) return std::nullopt;
    const HistorySample& before = At(i - 1);
    const HistorySample& after = At(i);
    if (before.kind != SampleKind::Value || after.kind != SampleKind::Value) return std::nullopt;
    const int64_t elapsedMs = after.timeMs - before.timeMs;
    if (elapsedMs <= 0) return std::nullopt;
    const auto change = static_cast<int32_t>(static_cast<uint32_t>(after.value) - static_cast<uint32_t>(before.value));
    return static_cast<double>(change) * 1000.0 / static_cast<double>(elapsedMs);
}
