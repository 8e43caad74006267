#pragma once

#include <cstdint>
#include <span>

// The rows of the ASIO page, in list order, which is not the counters' record order.

enum class AsioSource : uint8_t {
    Statistics,          // AsioStatistics
    ExtendedStatistics,  // AsioStatistics, only while the driver fills its extended counters
    Spacer,              // no value: always "n/a"
    BufferCounters,      // AsioInfo, only while its first field says they are valid
};

struct AsioRow {
    const char* name;
    AsioSource source;
    uint8_t field;            // AsioStatisticsField or AsioInfoField, by the source
    const char* unit;         // nullptr: none
    bool counts;              // a total that only goes up, not a level
    const char* description;  // nullptr: none
};

std::span<const AsioRow> AsioRows();
