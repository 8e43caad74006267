#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "rows/CounterRef.h"

// Something that happened to the driver or its counters, as the event log shows it.
enum class EventKind : uint8_t {
    DriverOpened,
    DriverNotOpened,  // at start only: later a missing driver is a loss
    DriverLost,
    ReadFailed,
    ReadRecovered,
    StatisticsCleared,
    ClearFailed,
    ReadingStarted,
    ReadingStopped,
    TraceMaskChanged,
    DeviceCame,
    DeviceWent,
    StreamCountChanged,
    BundleCountChanged,
    SampleRateChanged,
    ErrorIncreased,
    ErrorWrapped,      // went past 0xFFFFFFFF: counted as the increase it is
    ErrorWentBack,     // went down without a Clear Statistics and too far to be a wrap
    ErrorsNotListed,   // more counters went up in one refresh than are listed one by one
    SnapshotSaved,     // the last snapshot read before a loss or a clear went to a file
};

// What the event log window filters by.
enum class EventCategory : uint8_t { Errors, Devices, Driver };

constexpr EventCategory CategoryOf(EventKind kind) {
    switch (kind) {
        case EventKind::ErrorIncreased:
        case EventKind::ErrorWrapped:
        case EventKind::ErrorWentBack:
        case EventKind::ErrorsNotListed: return EventCategory::Errors;
        case EventKind::DeviceCame:
        case EventKind::DeviceWent:
        case EventKind::StreamCountChanged:
        case EventKind::BundleCountChanged:
        case EventKind::SampleRateChanged: return EventCategory::Devices;
        default: return EventCategory::Driver;
    }
}

struct DriverEvent {
    static constexpr size_t TextCapacity = 320;

    EventKind kind = EventKind::DriverOpened;
    int64_t monotonicMs = 0;
    int64_t wallMs = 0;  // milliseconds since 1970, UTC
    // The error events: which counter, by how much it went up, and its new value.
    CounterRef counter;
    uint64_t increase = 0;
    uint32_t total = 0;
    std::array<char, TextCapacity> text{};
    size_t length = 0;

    EventCategory Category() const { return CategoryOf(kind); }
    std::string_view Text() const { return {text.data(), length}; }
};
