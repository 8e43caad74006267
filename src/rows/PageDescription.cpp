#include "rows/PageDescription.h"

#include <algorithm>
#include <cstdio>

#include "driver/IsoStreamEntryRef.h"
#include "res/StringTable.h"
#include "rows/NameTables.h"

namespace {

using C = PageColumns;
using R = PageRows;
using G = CounterGroup;

// clang-format off
constexpr std::array<PageDescription, 11> Pages{{
    // kind, label, fixed headings, columns, column heading, rows, direction, counters, group,
    // child kind, requests, widths (first, others, widening), placeholder
    {NodeKind_Info, Str::NodeGeneral, {Str::PropertyHeading, Str::ValueHeading}, C::Fixed, nullptr, R::Info,
     Dir::In, false, G::Asio, 0, 0, 210, 150, 49},
    {NodeKind_Asio, Str::NodeAsio, {Str::PropertyHeading, Str::ValueHeading}, C::Fixed, nullptr, R::Asio,
     Dir::In, true, G::Asio, 0, 0, 210, 150, 49, Str::NoAsio},
    {NodeKind_Devices, Str::NodeDevices, {Str::PropertyHeading}, C::Devices, Str::DeviceHeadingFormat, R::Devices,
     Dir::In, false, G::Asio, 0, RequestGlobalInfo, 150, 130, 49, Str::NoDevices},
    {NodeKind_IsoInStreams, Str::NodeIsoIn, {Str::PropertyHeading}, C::Streams, nullptr, R::IsoStreams,
     Dir::In, true, G::IsoStream, NodeKind_IsoInStream, RequestItemNames, 150, 130, 49, Str::NoIsoIn},
    {NodeKind_IsoOutStreams, Str::NodeIsoOut, {Str::PropertyHeading}, C::Streams, nullptr, R::IsoStreams,
     Dir::Out, true, G::IsoStream, NodeKind_IsoOutStream, RequestItemNames, 150, 130, 49,
     Str::NoIsoOut},
    // The value column's heading is the stream's channel number (StreamHeading).
    {NodeKind_IsoInStream, nullptr, {Str::PropertyHeading}, C::Fixed, nullptr, R::IsoStreams,
     Dir::In, true, G::IsoStream, 0, 0, 210, 145, 49},
    {NodeKind_IsoOutStream, nullptr, {Str::PropertyHeading}, C::Fixed, nullptr, R::IsoStreams,
     Dir::Out, true, G::IsoStream, 0, 0, 210, 145, 49},
    {NodeKind_ChannelsIn, Str::NodeChannelsIn,
     {Str::DeviceHeading, Str::ChannelHeading, Str::TypeHeading, Str::DirectionHeading}, C::Fixed, nullptr,
     R::ChannelList, Dir::In, false, G::Channel, NodeKind_ChannelIn, RequestItemNames, 70, 100, 49, Str::NoChannelsIn},
    {NodeKind_ChannelsOut, Str::NodeChannelsOut, {Str::DeviceHeading, Str::ChannelHeading, Str::TypeHeading},
     C::Fixed, nullptr, R::ChannelList, Dir::Out, false, G::Channel, NodeKind_ChannelOut, RequestItemNames,
     70, 100, 49, Str::NoChannelsOut},
    // Channels 0 and 1 share the width beside "Property"; later ones keep theirs.
    {NodeKind_ChannelIn, nullptr, {Str::PropertyHeading}, C::Channels, Str::ChannelHeadingFormat, R::SingleChannel,
     Dir::In, true, G::Channel, 0, RequestDeviceList, 150, 130, 2},
    {NodeKind_ChannelOut, nullptr, {Str::PropertyHeading}, C::Channels, Str::ChannelHeadingFormat, R::SingleChannel,
     Dir::Out, true, G::Channel, 0, RequestDeviceList, 150, 130, 2},
}};
// clang-format on

// The information page's rows; its values are the driver's version, not cells of a record.
constexpr std::array<const char*, 3> InfoRows{Str::InfoRelease, Str::InfoInterface, Str::InfoBuild};

template <typename Row>
const Row* At(std::span<const Row> rows, std::size_t row) {
    return row < rows.size() ? &rows[row] : nullptr;
}

std::size_t Written(int printed, std::span<char> out) {
    if (out.empty()) return 0;
    if (printed < 0) {
        out[0] = '\0';
        return 0;
    }
    return std::min(static_cast<std::size_t>(printed), out.size() - 1);
}

}  // namespace

std::span<const PageDescription> AllPages() { return Pages; }

const PageDescription* PageOf(uint32_t kind) {
    const auto page =
        std::find_if(Pages.begin(), Pages.end(), [kind](const PageDescription& p) { return p.kind == kind; });
    return page == Pages.end() ? nullptr : &*page;
}

const PageDescription* ParentOf(uint32_t childKind) {
    if (childKind == 0) return nullptr;
    const auto page = std::find_if(Pages.begin(), Pages.end(),
                                   [childKind](const PageDescription& p) { return p.childKind == childKind; });
    return page == Pages.end() ? nullptr : &*page;
}

const PageDescription* ListOf(CounterGroup group, Dir d) {
    const auto page = std::find_if(Pages.begin(), Pages.end(), [&](const PageDescription& p) {
        return p.childKind != 0 && p.group == group && p.dir == d;
    });
    return page == Pages.end() ? nullptr : &*page;
}

uint32_t ChildCount(const PageDescription& page, const StatisticsSnapshot& s) {
    if (page.rows == PageRows::ChannelList) return s.bundleList.Count(page.dir);
    if (page.childKind != 0) return s.isoStreamStatistics.Count(page.dir);
    return 0;
}

bool ShowsPlaceholder(const PageDescription& page, const PageSources& s) {
    if (page.placeholder == nullptr) return false;
    // What each list lays itself out by: only an answer changes it, and a fresh list starts at 0.
    switch (page.rows) {
        case PageRows::Asio:
            return !s.validity.asioStatistics || s.snapshot.asioStatistics.SampleRate() == 0;
        case PageRows::Devices:
            return !s.validity.deviceList || s.snapshot.deviceList.Count() == 0;
        case PageRows::IsoStreams:
            return !s.validity.isoStreams || s.snapshot.isoStreamStatistics.Count(page.dir) == 0;
        case PageRows::ChannelList:
            return !s.validity.bundleList || s.snapshot.bundleList.Count(page.dir) == 0;
        case PageRows::Info:
        case PageRows::SingleChannel:
            break;
    }
    return false;
}

uint32_t ItemColumns(const PageDescription& page, uint32_t count) {
    switch (page.columns) {
        case PageColumns::Fixed:
            return 0;
        case PageColumns::Devices:
            return std::min({count, StatisticsSnapshot::DeviceCapacity, PageValueColumns});
        case PageColumns::Streams:
            return std::min(count, IsoStreamStatistics::Capacity);
        case PageColumns::Channels:
            return std::min(count, PageValueColumns);
    }
    return 0;
}

uint32_t SnapshotItems(const PageDescription& page, const PageSources& s, NodeCode node) {
    switch (page.columns) {
        case PageColumns::Fixed:
            return 0;
        case PageColumns::Devices:
            return s.validity.deviceList ? ItemColumns(page, s.snapshot.deviceList.Count()) : 0;
        case PageColumns::Streams:
            return s.validity.isoStreams ? ItemColumns(page, s.snapshot.isoStreamStatistics.Count(page.dir)) : 0;
        case PageColumns::Channels: {
            const uint32_t bundle = IndexOf(node);
            // Only an answered list says the bundle is gone; without one its last record still
            // lays it out.
            if (s.validity.bundleList && bundle >= s.snapshot.bundleList.Count(page.dir)) return 0;
            return ItemColumns(page, s.snapshot.Bundle(page.dir, bundle).ChannelCount());
        }
    }
    return 0;
}

std::size_t RowCount(const PageDescription& page) {
    switch (page.rows) {
        case PageRows::Info:
            return InfoRows.size();
        case PageRows::Asio:
            return AsioRows().size();
        case PageRows::Devices:
            return DeviceRows().size();
        case PageRows::IsoStreams:
            return IsoStreamRows(page.dir).size();
        case PageRows::ChannelList:
            return 0;
        case PageRows::SingleChannel:
            return SingleChannelRows().size();
    }
    return 0;
}

namespace {
struct RowText {
    const char* name = nullptr;
    const char* description = nullptr;
};
RowText TextOfRow(const PageDescription& page, std::size_t row) {
    auto of = [row](auto rows) {
        return row < rows.size() ? RowText{rows[row].name, rows[row].description} : RowText{};
    };
    switch (page.rows) {
        case PageRows::Info:
            return row < InfoRows.size() ? RowText{InfoRows[row], nullptr} : RowText{};
        case PageRows::Asio:
            return of(AsioRows());
        case PageRows::Devices:
            return of(DeviceRows());
        case PageRows::IsoStreams:
            return of(IsoStreamRows(page.dir));
        // No rows of its own; every channel's row tells the same.
        case PageRows::ChannelList:
            return {nullptr, page.dir == Dir::In ? Str::AllInChannels : Str::AllOutChannels};
        case PageRows::SingleChannel:
            return of(SingleChannelRows());
    }
    return {};
}
}  // namespace

const char* RowName(const PageDescription& page, std::size_t row) { return TextOfRow(page, row).name; }

const char* RowDescription(const PageDescription& page, std::size_t row) { return TextOfRow(page, row).description; }

PageCell ValueCell(const PageDescription& page, const PageSources& s, NodeCode node, std::size_t row, uint32_t item,
                   const char* deviceName) {
    switch (page.rows) {
        case PageRows::Asio:
            if (const AsioRow* r = At(AsioRows(), row)) return AsioCell(s, *r);
            break;
        case PageRows::Devices:
            if (const DeviceRow* r = At(DeviceRows(), row)) return DeviceCell(s, *r, item);
            break;
        case PageRows::IsoStreams:
            if (const IsoStreamRow* r = At(IsoStreamRows(page.dir), row)) {
                const uint32_t stream = page.columns == PageColumns::Streams ? item : IndexOf(node);
                const IsoStreamEntryRef entry = IsoStreamEntryRef::At(s.snapshot.isoStreamStatistics, page.dir, stream);
                return IsoStreamCell(*r, entry, s.extended, s.validity.isoStreams);
            }
            break;
        case PageRows::SingleChannel:
            if (const SingleChannelRow* r = At(SingleChannelRows(), row))
                return ChannelCell(s, *r, page.dir, IndexOf(node), item, deviceName);
            break;
        case PageRows::Info:
        case PageRows::ChannelList:
            break;
    }
    return PageCell{};
}

const char* BuildTextOf(const PublishedDriverVersion& v) { return v.DebugBuild ? Str::DebugBuild : Str::ReleaseBuild; }

std::size_t InfoValue(const PublishedDriverVersion& v, bool read, std::string_view buildText, std::size_t row,
                      std::span<char> out) {
    if (out.empty()) return 0;
    if (!read && row < InfoRows.size()) return Written(std::snprintf(out.data(), out.size(), "%s", Str::NotAvailable), out);
    switch (row) {
        case 0:
            return Written(std::snprintf(out.data(), out.size(), Str::ReleaseFormat, v.releaseMajor, v.releaseMinor,
                                         static_cast<int>(v.releaseBuild)),
                           out);
        case 1:
            return Written(std::snprintf(out.data(), out.size(), Str::InterfaceFormat, v.interfaceMajor,
                                         v.interfaceMinor),
                           out);
        case 2:
            return Written(std::snprintf(out.data(), out.size(), "%.*s", static_cast<int>(buildText.size()),
                                         buildText.data()),
                           out);
        default:
            return Written(-1, out);
    }
}

std::size_t ChannelRowCells(const PageDescription& page, const StatisticsSnapshot& s, uint32_t bundle,
                            uint32_t channel, std::string_view deviceName, std::span<PageCell> out) {
    if (page.rows != PageRows::ChannelList) return 0;
    const ChannelBundleInfo& b = s.Bundle(page.dir, bundle);
    const ChannelInfo& c = s.Channel(page.dir, bundle, channel);
    auto text = [](CellKind kind, std::string_view t) {
        PageCell cell;
        cell.kind = kind;
        cell.text = t;
        return cell;
    };
    // The columns in the order of the page's headings.
    const std::array<PageCell, 4> cells{
        text(CellKind::DriverText, deviceName), text(CellKind::DriverText, c.HardwareName()),
        text(CellKind::Text, page.dir == Dir::In ? ChannelFormatName(b.Entry(channel).Format())
                                                 : BundleTypeName(b.BundleType())),
        text(CellKind::Text, c.DirectionCode() == 0 ? Str::DirectionInput : Str::DirectionOutput)};
    std::size_t n = 0;
    while (n < out.size() && n < cells.size() && page.headings[n] != nullptr) {
        out[n] = cells[n];
        ++n;
    }
    return n;
}

uint32_t ItemDeviceId(const PageDescription& page, const StatisticsSnapshot& s, NodeCode node, uint32_t index) {
    if (page.rows == PageRows::IsoStreams)
        return IsoStreamEntryRef::At(s.isoStreamStatistics, page.dir, index).DeviceId();
    if (page.rows == PageRows::SingleChannel) return s.Channel(page.dir, IndexOf(node), index).DeviceId();
    // A bundle without channels is still labelled from its first channel record.
    if (page.rows == PageRows::ChannelList) return s.Channel(page.dir, index, 0).DeviceId();
    return 0;
}

std::size_t ChildLabel(const PageDescription& page, DeviceNames names, const StatisticsSnapshot& s, uint32_t index,
                       std::span<char> out) {
    if (page.rows == PageRows::IsoStreams) return StreamName(names, s.isoStreamStatistics, page.dir, index, out);
    if (page.rows == PageRows::ChannelList) return BundleName(names, s, page.dir, index, out);
    return Written(-1, out);
}

std::size_t ColumnHeading(const PageDescription& page, uint32_t item, std::span<char> out) {
    if (page.columnFormat == nullptr) return Written(-1, out);
    return Written(std::snprintf(out.data(), out.size(), page.columnFormat, static_cast<int>(item)), out);
}

std::size_t StreamHeading(bool answered, uint32_t isoChannel, std::span<char> out) {
    // Without an answer there is no channel number to tell.
    return Written(answered
                       ? std::snprintf(out.data(), out.size(), Str::StreamHeadingFormat, Str::StreamWord, isoChannel)
                       : std::snprintf(out.data(), out.size(), "%s %s", Str::StreamWord, Str::NotAvailable),
                   out);
}
