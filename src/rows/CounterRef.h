#pragma once

#include <cstdint>
#include <optional>

#include "base/NodeCode.h"
#include "driver/DriverRecords.h"
#include "driver/RecordValidity.h"
#include "driver/StatisticsSnapshot.h"
#include "rows/PageCells.h"

// One number the pages show, named by where it lives rather than by the page cell that shows
// it: a stream's counter is the same counter on the stream list and on the single stream page.
// The event log, the history plots and the exports follow counters by this name.

enum class CounterGroup : uint8_t {
    Asio,       // row of AsioRows()
    IsoStream,  // row of IsoStreamRows(dir), for stream `index`
    Channel,    // row of SingleChannelRows(), for channel `channel` of bundle `index`
};

struct CounterRef {
    CounterGroup group = CounterGroup::Asio;
    Dir dir = Dir::In;
    uint32_t index = 0;
    uint32_t channel = 0;
    uint16_t row = 0;

    friend bool operator==(const CounterRef&, const CounterRef&) = default;
};


// The row shows a number (not a text, a yes/no or a spacer).
bool IsNumericCounter(const CounterRef& ref);
// The row is an error counter: the pages show it in red once it counts.
bool IsErrorCounter(const CounterRef& ref);
// An error counter, or one of the ASIO page's buffer overruns and underruns: the dropouts
// themselves, though that page draws them black.
bool IsProblemCounter(const CounterRef& ref);
// The row is a total that only goes up (until a Clear Statistics or a wrap), not a level.
bool IsTotalCounter(const CounterRef& ref);
// The row's name, unit and description as the pages show them; nullptr for a row that does not
// exist or has none.
const char* CounterName(const CounterRef& ref);
const char* CounterUnit(const CounterRef& ref);
const char* CounterDescription(const CounterRef& ref);

// The value the pages show for the counter, signed rows as signed; nothing where they show
// "n/a" or text, or the counter is not there (a stream or channel beyond the driver's counts).
std::optional<int64_t> ReadCounter(const PageSources& sources, const CounterRef& ref);

// The counter shown in a list cell of the page of `node` (column 0 holds the row names), if any.
std::optional<CounterRef> CounterAtCell(NodeCode node, int row, int column);
