#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "rows/CounterRef.h"
#include "rows/PageText.h"

// Every counter the pages show, each once, as the page tables show it. A stream's counter is
// on its stream list and on its own page; it is taken once, from the page that shows it among
// its stream's neighbours. qorpoll's watch and the metrics follow the counters through this.
// The texts point into the tables, which must outlive them.
struct ShownCounter {
    CounterRef ref;
    const PageTable* page = nullptr;
    std::size_t row = 0;
    std::size_t column = 0;
    std::string_view device;  // the stream's or the channel's device as the page names it; empty for ASIO

    const TableCell& Cell() const { return page->rows[row][column]; }
    std::string_view Name() const { return page->rows[row][0].text; }
    // The page that shows the counter alone: "ISO IN Streams/Interface A",
    // "IN Cannels/Interface A [Stereo 2C]/Channel 0".
    std::string Where() const;
};

// Grouped by ASIO, streams and channels, then by direction, stream or bundle, channel and row.
std::vector<ShownCounter> ShownCounters(const std::vector<PageTable>& tables);
// The counters point into the tables: tables that end with the call would leave them dangling.
std::vector<ShownCounter> ShownCounters(const std::vector<PageTable>&& tables) = delete;
