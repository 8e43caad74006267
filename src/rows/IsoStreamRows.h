#pragma once

#include <cstdint>
#include <span>

#include "driver/DriverRecords.h"

// The rows of the ISO stream pages, one table per direction, shared by the stream list pages
// (one column per stream) and the single stream page (one column).

enum class IsoValueKind : uint8_t {
    U32,   // "%u"
    I32,   // "%d"
    Bool,  // one byte, "yes" / "no"
};

struct IsoStreamRow {
    const char* name;
    uint16_t field;  // IsoInField or IsoOutField: its offset in the stream's entry
    IsoValueKind kind;
    const char* unit;  // nullptr: none
    bool red;          // error counter: red once it counts
    bool ext;          // only filled while the driver publishes extended statistics
    bool counts;       // a total that only goes up, not a level
    const char* description;
};

std::span<const IsoStreamRow> IsoStreamRows(Dir d);
