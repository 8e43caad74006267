#include "history/HistorySampler.h"

HistorySampler::HistorySampler(const PublishedDriverVersion& published) : published_(published) {}

int HistorySampler::Watch(const CounterRef& counter) {
    if (const int existing = Find(counter); existing >= 0) return existing;
    for (size_t i = 0; i < slots_.size(); ++i) {
        Slot& slot = slots_[i];
        if (slot.used) continue;
        slot.used = true;
        slot.counter = counter;
        slot.history.Reset();
        return static_cast<int>(i);
    }
    return -1;
}

void HistorySampler::Unwatch(int slot) {
    if (Watching(slot)) slots_[static_cast<size_t>(slot)].used = false;
}

int HistorySampler::Find(const CounterRef& counter) const {
    for (size_t i = 0; i < slots_.size(); ++i)
        if (slots_[i].used && slots_[i].counter == counter) return static_cast<int>(i);
    return -1;
}

bool HistorySampler::Watching(int slot) const {
    return slot >= 0 && static_cast<size_t>(slot) < slots_.size() && slots_[static_cast<size_t>(slot)].used;
}

size_t HistorySampler::WatchCount() const {
    size_t n = 0;
    for (const Slot& slot : slots_) n += slot.used ? 1 : 0;
    return n;
}

const CounterRef& HistorySampler::Counter(int slot) const { return slots_.at(static_cast<size_t>(slot)).counter; }

const CounterHistory& HistorySampler::History(int slot) const { return slots_.at(static_cast<size_t>(slot)).history; }

void HistorySampler::OnTick(const TickFacts& facts) {
    nowMs_ = facts.monotonicMs;
    // With reading stopped the pages keep their last values: there is nothing new to add.
    if (facts.deviceOpen && !facts.refreshed) return Changed();
    AddToAll(facts);
    Changed();
}

void HistorySampler::AddToAll(const TickFacts& facts) {
    const bool read = facts.refreshed && facts.snapshot != nullptr && facts.validity != nullptr;
    for (Slot& slot : slots_) {
        if (!slot.used) continue;
        HistorySample sample;
        sample.timeMs = facts.monotonicMs;
        if (!facts.deviceOpen) {
            sample.kind = SampleKind::DriverLost;
        } else if (read) {
            const PageSources sources{*facts.snapshot, *facts.validity, published_.ExtendedStatistics != 0};
            if (const std::optional<int64_t> value = ReadCounter(sources, slot.counter)) {
                sample.kind = SampleKind::Value;
                sample.value = *value;
            }
        }
        slot.history.Add(sample);
    }
}

void HistorySampler::OnClearStatistics(int64_t monotonicMs, bool sent) {
    // A request that did not go out cleared nothing.
    if (!sent) return;
    nowMs_ = monotonicMs;
    for (Slot& slot : slots_)
        if (slot.used) slot.history.Add({monotonicMs, 0, SampleKind::Cleared});
    Changed();
}

void HistorySampler::Changed() {
    if (listener_ != nullptr && WatchCount() > 0) listener_->OnHistoryChanged(nowMs_);
}
