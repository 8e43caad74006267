#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/PageCell.h"

// A cell the window wrote when it laid a list out, kept as text.
struct KeptCell {
    CellKind kind = CellKind::Text;
    std::string text;  // as the driver or the panel gave it, before decoding
};

// What a list was last laid out with: its value columns, child nodes and rows. The window keeps
// them while the record they came from does not answer, and names devices as it read them then;
// the exports read them here so that they say what the window says.
struct ListLayout {
    uint32_t items = 0;                 // the devices a device list has value columns for
    std::vector<std::string> labels;    // each child node's label (streams, bundles)
    std::vector<std::string> headings;  // a stream list's value column headings
    std::vector<std::vector<KeptCell>> rows;                    // a channel list's rows
    std::vector<std::pair<uint32_t, std::string>> deviceNames;  // the names read, by device id
};

// The kept layouts of the window's lists, by node kind.
class ListLayouts {
public:
    void Keep(uint32_t kind, const ListLayout& layout);
    // nullptr: the list was not laid out, or shows its placeholder.
    const ListLayout* Of(uint32_t kind) const;
    // A name the driver gave for a device when asked for it alone.
    void KeepName(uint32_t deviceId, std::string_view name);
    // A device's name as a list read it when it was laid out, or as kept alone.
    std::optional<std::string_view> DeviceName(uint32_t deviceId) const;

private:
    std::vector<std::pair<uint32_t, ListLayout>> lists_;
    std::vector<std::pair<uint32_t, std::string>> names_;
};
