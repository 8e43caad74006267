#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "base/NodeCode.h"
#include "base/PageCell.h"
#include "driver/PublishedDriverVersion.h"
#include "driver/StatisticsSnapshot.h"
#include "rows/CounterRef.h"
#include "rows/NodeNames.h"
#include "rows/PageCells.h"

// Each kind of page once: its headings, its columns, its rows, the nodes it puts under itself and
// what it asks the driver for. The pages lay their lists out from it and the snapshot files,
// qorpoll, the event log, the history plots and the metrics read the same, so a label or a unit
// changed here changes the window and every export alike.

// What a page's value columns stand for.
enum class PageColumns : uint8_t {
    Fixed,     // the headings alone: one value column, or the channel lists' columns
    Devices,   // one per device of the device list
    Streams,   // one per stream of the page's direction
    Channels,  // one per channel of the node's bundle
};

// The row table a page shows.
enum class PageRows : uint8_t { Info, Asio, Devices, IsoStreams, ChannelList, SingleChannel };

// What a page asks the driver for itself, beyond the refresh every page shares.
enum PageRequest : uint8_t {
    RequestGlobalInfo = 1,  // the global records (the sample rate) while it shows
    RequestItemNames = 2,   // the device name of each child node, for its label
    RequestDeviceList = 4,  // a fresh device list before it names a channel's device
};

struct PageDescription {
    uint32_t kind;
    const char* label;  // the node's label in the tree; a child's is its own (ChildLabel)
    // The headings of the fixed columns, nullptr after the last; a page with a column per item has
    // column 0 here.
    std::array<const char*, 4> headings;
    PageColumns columns;
    const char* columnFormat;  // a column per device or channel: its heading, with the index
    PageRows rows;
    Dir dir;
    bool counters;  // its value cells are counters of `group` (see CounterAtCell)
    CounterGroup group;
    uint32_t childKind;  // the kind of the nodes it inserts under itself; 0: none
    uint8_t requests;    // PageRequest flags
    // The list's column widths in pixels: the first column, then every other; the first never
    // widens to its texts, the next `autoColumns` do.
    uint16_t firstWidth;
    uint16_t valueWidth;
    uint8_t autoColumns;
    // The list's only heading until the driver first gives it something to lay out; nullptr: none.
    const char* placeholder = nullptr;
};

// The description of pages of node kind `kind`; nullptr for a kind the panel has no page for.
const PageDescription* PageOf(uint32_t kind);
// Every page kind's description.
std::span<const PageDescription> AllPages();

// The description of the page whose child nodes are of kind `childKind`: the stream lists over
// their streams, the channel lists over their bundles; nullptr for other kinds.
const PageDescription* ParentOf(uint32_t childKind);

// The list whose child nodes hold the counters of `group` in direction `d` (the stream lists,
// the channel lists); nullptr for the ASIO counters, which have no such list.
const PageDescription* ListOf(CounterGroup group, Dir d);
// The child nodes of a stream or channel list as the snapshot counts them, answered or not.
uint32_t ChildCount(const PageDescription& page, const StatisticsSnapshot& s);

// One value column per stream, device or channel rather than one value column.
inline bool ColumnPerItem(const PageDescription& page) { return page.columns != PageColumns::Fixed; }

// The texts the list cuts a driver's name and a cell to (bytes, as the driver sends them).
constexpr std::size_t PageNameCapacity = 255;
constexpr std::size_t PageCellCapacity = 259;
// Every page's value columns beside the row names, and its rows.
constexpr uint32_t PageValueColumns = 49;
constexpr std::size_t PageRowCapacity = 256;

// Whether the list shows its placeholder alone, as a list opened on this snapshot would: its record
// unanswered, or answered with nothing to lay it out by (no sample rate, no devices, streams or
// bundles).
bool ShowsPlaceholder(const PageDescription& page, const PageSources& sources);

// Its value columns for `count` items (streams, devices or channels): as many as the record and the
// list hold.
uint32_t ItemColumns(const PageDescription& page, uint32_t count);
// The items the snapshot has for the page of `node`: 0 where the record was not answered, but a
// bundle's channels from its last record while the bundle list does not answer.
uint32_t SnapshotItems(const PageDescription& page, const PageSources& sources, NodeCode node);

// The rows: how many, and each one's name and description pane text (nullptr: none).
std::size_t RowCount(const PageDescription& page);
const char* RowName(const PageDescription& page, std::size_t row);
const char* RowDescription(const PageDescription& page, std::size_t row);

// The value cell of row `row` for item `item` (0 on a page with one value column) on the page of
// `node`. `deviceName`: the name of a channel's device, nullptr when it could not be read. Not for
// the information page or the channel lists, whose cells are texts of their own.
PageCell ValueCell(const PageDescription& page, const PageSources& sources, NodeCode node, std::size_t row,
                   uint32_t item, const char* deviceName);

// The information page's value of row `row` (release, interface, build), "n/a" when the version
// was not read. `buildText`: the build line as the page keeps it (BuildTextOf after a read).
std::size_t InfoValue(const PublishedDriverVersion& v, bool read, std::string_view buildText, std::size_t row,
                      std::span<char> out);
// The build line of a version read.
const char* BuildTextOf(const PublishedDriverVersion& v);

// A channel list's rows: every channel of its first `bundles` bundles, bundle after bundle, as
// many as the list holds.
template <typename Row>
void ForEachChannelRow(const StatisticsSnapshot& s, Dir d, uint32_t bundles, Row row) {
    std::size_t rows = 0;
    for (uint32_t b = 0; b < std::min(bundles, StatisticsSnapshot::BundleCapacity); ++b)
        for (uint32_t c = 0; c < s.Bundle(d, b).ChannelCount(); ++c) {
            if (rows++ >= PageRowCapacity) return;
            row(b, c);
        }
}
// The cells of a channel list's row, one per heading: the channel's device (`deviceName`, empty
// when it could not be read), its name, and its format and direction on the IN list or its
// bundle's type on the OUT list. Returns how many it wrote.
std::size_t ChannelRowCells(const PageDescription& page, const StatisticsSnapshot& s, uint32_t bundle,
                            uint32_t channel, std::string_view deviceName, std::span<PageCell> out);

// The device that names child node `index` (a stream, or a bundle by its first channel), or the
// device of a channel (column `index` of a bundle's page, `node` naming the bundle).
uint32_t ItemDeviceId(const PageDescription& page, const StatisticsSnapshot& s, NodeCode node, uint32_t index);

// The label of child node `index`, which is also the heading of its column on a list with a column
// per stream. Written NUL-terminated into `out`, cut to fit; returns the length.
std::size_t ChildLabel(const PageDescription& page, DeviceNames names, const StatisticsSnapshot& s, uint32_t index,
                       std::span<char> out);
// The heading of value column `item` of a page with a column per device or channel.
std::size_t ColumnHeading(const PageDescription& page, uint32_t item, std::span<char> out);
// The single stream page's heading, from its stream's ISO channel when the record was read.
std::size_t StreamHeading(bool answered, uint32_t isoChannel, std::span<char> out);
