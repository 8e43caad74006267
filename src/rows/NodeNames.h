#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "driver/StatisticsSnapshot.h"

// How the panel names a stream and a channel bundle wherever it writes one: the tree, the
// pages' headings, the event log, the snapshot files, qorpoll and the plots' titles. Names are
// the driver's bytes (its device names) with the panel's own ASCII around them.

// The device names of the streams, or of the bundles, of one direction in order; nullopt
// where a name could not be read.
using DeviceNames = std::span<const std::optional<std::string_view>>;

// Stream `index`: its device's name; followed by " (Stream <ISO channel>)" when another stream
// of the direction has a device of that name; "Stream <ISO channel>", the heading of the
// stream's own page, when the name is empty or cannot be read. Written NUL-terminated into
// `out` and cut to fit; returns the length. Allocates nothing.
size_t StreamName(DeviceNames names, const IsoStreamStatistics& stats, Dir d, uint32_t index, std::span<char> out);

// Bundle `index`: "<device name> [<bundle type>]" (an unreadable name leaves its part empty),
// followed by " (Bundle <index>)" when another bundle of the direction has the same label.
size_t BundleName(DeviceNames names, const StatisticsSnapshot& s, Dir d, uint32_t index, std::span<char> out);

// The label of the root node over nodes of `kind` ("ISO IN Streams" over its streams too).
const char* RootLabel(uint32_t kind);
