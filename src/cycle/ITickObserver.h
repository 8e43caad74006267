#pragma once

#include <cstdint>

#include "driver/RecordValidity.h"
#include "driver/StatisticsSnapshot.h"

// What one tick of the polling cycle found, for the features that follow the driver over time
// (the event log, the history plots). Everything it points to lives only for the call.
struct TickFacts {
    int64_t monotonicMs = 0;  // the cycle's clock
    bool deviceOpen = false;  // the control device opened this tick
    bool readingEnabled = false;
    // The records were re-read this tick; only then are snapshot and validity set.
    bool refreshed = false;
    bool readFailed = false;  // a request of this refresh failed or answered short
    const StatisticsSnapshot* snapshot = nullptr;
    const RecordValidity* validity = nullptr;
};

// Told by the polling cycle after each tick and each command, in the GUI thread. Observers
// must not call back into the cycle, and should not allocate in steady state: they run every
// 500 ms for as long as the panel does.
class ITickObserver {
public:
    virtual ~ITickObserver() = default;
    virtual void OnTick(const TickFacts& facts) = 0;
    // Clear Statistics went out; `sent` is false when the request failed.
    virtual void OnClearStatistics(int64_t /*monotonicMs*/, bool /*sent*/) {}
    virtual void OnReadingSwitched(int64_t /*monotonicMs*/, bool /*reading*/) {}
    // The user set a new trace mask from the panel.
    virtual void OnTraceMaskChanged(int64_t /*monotonicMs*/, uint32_t /*before*/, uint32_t /*after*/) {}
};
