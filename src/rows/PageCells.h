#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "base/PageCell.h"
#include "driver/IsoStreamEntryRef.h"
#include "driver/RecordValidity.h"
#include "driver/StatisticsSnapshot.h"
#include "rows/AsioRows.h"
#include "rows/DeviceRows.h"
#include "rows/IsoStreamRows.h"
#include "rows/SingleChannelRows.h"

// The value cells of every list page, one function per row table. The pages write these into
// their lists on every tick, and the copy, the snapshot files and qorpoll read the same
// cells, so a page and its export cannot disagree. Nothing here allocates or asks the driver.

struct PageSources {
    const StatisticsSnapshot& snapshot;
    const RecordValidity& validity;
    bool extended;  // the driver publishes extended statistics
};

PageCell AsioCell(const PageSources& sources, const AsioRow& row);
// `answered`: the stream record was read; without it every row is "n/a".
PageCell IsoStreamCell(const IsoStreamRow& row, IsoStreamEntryRef entry, bool extended, bool answered);
PageCell DeviceCell(const PageSources& sources, const DeviceRow& row, uint32_t device);
// `deviceName`: the name of the channel's device, nullptr when it could not be read.
PageCell ChannelCell(const PageSources& sources, const SingleChannelRow& row, Dir d, uint32_t bundle,
                     uint32_t channel, const char* deviceName);

// The hardware name the snapshot holds for a device id, from the devices read on the latest
// refresh; nothing for an id no answered device has. Unlike CDev::GetDeviceName it asks the
// driver nothing, so the copy and the exports work between ticks.
std::optional<std::string_view> SnapshotDeviceName(const PageSources& sources, uint32_t deviceId);
