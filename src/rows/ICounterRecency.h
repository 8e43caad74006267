#pragma once

#include <cstdint>
#include <optional>

#include "rows/CounterRef.h"

// When an error counter last went up, for the pages to mark it. Told by whoever watches the
// counters over time; the view asks, the pages never watch for themselves.
struct CounterIncrease {
    int64_t monotonicMs = 0;  // the polling cycle's clock
    int64_t wallMs = 0;       // milliseconds since 1970, UTC
};

class ICounterRecency {
public:
    virtual ~ICounterRecency() = default;
    // Nothing for a counter that has not gone up since the panel started, or is no error counter.
    virtual std::optional<CounterIncrease> LastIncrease(const CounterRef& ref) const = 0;
    // The cycle's clock at the latest tick.
    virtual int64_t LatestTickMs() const = 0;
};
