#pragma once

#include <string>
#include <vector>

#include "rows/CounterRef.h"
#include "rows/PageText.h"

// Every counter the pages show, each once, as the page tables show it. A stream's counter is
// on its stream list and on its own page; it is taken once, under the name of the page that
// shows that stream alone. qorpoll's watch and the metrics follow the counters through this.
struct ShownCounter {
    CounterRef ref;
    std::string where;   // "ISO IN Streams/Interface A", "IN Cannels/Interface A [Stereo 2C]/Channel 0"
    std::string device;  // the stream's or the channel's device as the page names it; empty for ASIO
    std::string name;    // column 0 of the row
    TableCell cell;      // the value as the page shows it
};

// Grouped by ASIO, streams and channels, then by direction, stream or bundle, channel and row.
std::vector<ShownCounter> ShownCounters(const std::vector<PageTable>& tables);
