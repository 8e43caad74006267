#pragma once

#include <array>
#include <cstddef>

#include "events/IEventSink.h"

// Hands the detector's events to every sink that follows them (the log, the plots' marks),
// in the order they were added.
class EventFanOut : public IEventSink {
public:
    static constexpr size_t Capacity = 4;

    // False when full.
    bool Add(IEventSink& sink);

    void OnEvent(const DriverEvent& event) override;
    void OnEventsDone() override;

private:
    std::array<IEventSink*, Capacity> sinks_{};
};
