#pragma once

#include <cstdint>
#include <span>

#include "base/FormatGrouped.h"
#include "driver/DriverRecords.h"
#include "driver/IsoStreamEntryRef.h"
#include "res/StringTable.h"

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
    const char* description;
};

std::span<const IsoStreamRow> IsoStreamRows(Dir d);

// Walks the rows of direction d for one entry in list order. Rows whose table says they show
// text go to page.AddTextRow(text); every other row to page.AddValueRow(value, unit, highlight,
// format). When the record was not read (`answered` false) every row shows "n/a".
template <typename Page>
void ForEachIsoStreamValue(Dir d, IsoStreamEntryRef entry, bool extended, bool answered, Page& page) {
    for (const IsoStreamRow& row : IsoStreamRows(d)) {
        if (!answered || (row.ext && !extended)) {
            page.AddTextRow(Str::NotAvailable);
        } else if (row.kind == IsoValueKind::Bool) {
            page.AddTextRow(entry.U8(row.field) != 0 ? Str::Yes : Str::No);
        } else {
            page.AddValueRow(entry.U32(row.field), row.unit, row.red,
                             row.kind == IsoValueKind::I32 ? NumberFormat::Signed : NumberFormat::Unsigned);
        }
    }
}
