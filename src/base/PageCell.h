#pragma once

#include <cstdint>
#include <string_view>

#include "base/FormatGrouped.h"

// What one value cell of a page shows, before it becomes text: the list draws it, the copy,
// the snapshot files and qorpoll carry its number and unit apart.
enum class CellKind : uint8_t {
    Text,          // one of the panel's own texts ("yes", "Input", a channel type)
    DriverText,    // a text from the driver's records, decoded as the system does
    Number,        // a counter or value: `number`, its `format`, its `unit`
    Hex,           // a device id, shown "0x%08X"
    NotAvailable,  // "n/a": the driver marks it unavailable, or did not answer
};

struct PageCell {
    CellKind kind = CellKind::NotAvailable;
    int64_t number = 0;  // Number and Hex; signed rows hold their signed value
    NumberFormat format = NumberFormat::Unsigned;
    // The row's unit, as the list shows it after the number (it may begin with a blank).
    const char* unit = nullptr;
    // What the list shows after the number of a row without unit (the panning position); the
    // exports leave it out, the number tells the same.
    const char* suffix = nullptr;
    bool red = false;       // an error counter that counts
    std::string_view text;  // Text, DriverText and NotAvailable; not owned
};

// The unit without the blanks the list puts before it; empty for none.
inline std::string_view TrimmedUnit(const char* unit) {
    if (unit == nullptr) return {};
    std::string_view u(unit);
    while (!u.empty() && u.front() == ' ') u.remove_prefix(1);
    return u;
}
