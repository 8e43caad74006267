#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string_view>

#include "driver/StatisticsSnapshot.h"
#include "events/DriverEvent.h"
#include "rows/CounterRef.h"

// How the event log words what the detector found about a counter: its node named as the tree
// and the pages name it, so that a line of the log leads to its column, and the change told.
namespace EventWording {

using NodeText = std::array<char, 160>;
// A device's name by its id, empty where it is not known.
using DeviceNameOf = std::function<std::string_view(uint32_t deviceId)>;

// "ISO IN Streams/Interface A", "IN Cannels/Interface A [Stereo 2C]/Channel 0"; cut to fit.
void NodeName(const StatisticsSnapshot& s, const CounterRef& ref, const DeviceNameOf& deviceName, NodeText& out);
// An error counter that rose, wrapped or went back, into `out`; what snprintf returns.
int CounterChange(std::span<char> out, EventKind kind, const char* node, const CounterRef& ref, uint64_t increase,
                  uint32_t value, uint32_t before);

}  // namespace EventWording
