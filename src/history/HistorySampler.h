#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "cycle/ITickObserver.h"
#include "driver/PublishedDriverVersion.h"
#include "history/CounterHistory.h"
#include "history/IHistoryListener.h"
#include "rows/CounterRef.h"

// Follows the counters the plots watch: on every tick of the polling cycle it adds each one's
// value (or why there is none) to its history. One observer serves every plot; its slots are
// fixed, so sampling allocates nothing.
class HistorySampler : public ITickObserver {
public:
    static constexpr size_t WatchCapacity = 8;

    // `published` tells whether the driver fills its extended counters.
    explicit HistorySampler(const PublishedDriverVersion& published);

    // The slot of the counter, with an empty history when it was not watched yet; -1 when
    // every slot is taken.
    int Watch(const CounterRef& counter);
    void Unwatch(int slot);
    int Find(const CounterRef& counter) const;
    bool Watching(int slot) const;
    size_t WatchCount() const;
    const CounterRef& Counter(int slot) const;
    const CounterHistory& History(int slot) const;
    // The latest time the sampler heard of, 0 before the first tick.
    int64_t NowMs() const { return nowMs_; }

    void SetListener(IHistoryListener* listener) { listener_ = listener; }

    void OnTick(const TickFacts& facts) override;
    void OnClearStatistics(int64_t monotonicMs, bool sent) override;

private:
    struct Slot {
        bool used = false;
        CounterRef counter;
        CounterHistory history;
    };
    void AddToAll(const TickFacts& facts);
    void Changed();

    const PublishedDriverVersion& published_;
    std::array<Slot, WatchCapacity> slots_{};
    IHistoryListener* listener_ = nullptr;
    int64_t nowMs_ = 0;
};
