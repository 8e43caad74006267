#pragma once

#include <cstdint>

// Told after the sampler has taken the samples of a tick or marked a clear, so that the plots
// redraw; never while nothing is watched.
class IHistoryListener {
public:
    virtual ~IHistoryListener() = default;
    virtual void OnHistoryChanged(int64_t nowMs) = 0;
};
