#include "rows/PageText.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "platform/DriverText.h"
#include "res/StringTable.h"
#include "rows/NameTables.h"
#include "rows/NodeNames.h"

namespace {

constexpr std::size_t MaxRows = 256;

std::string Format(const char* format, auto... args) {
    std::array<char, 64> buffer{};
    const int n = std::snprintf(buffer.data(), buffer.size(), format, args...);
    return std::string(buffer.data(), static_cast<std::size_t>(std::clamp(n, 0, int(buffer.size()) - 1)));
}

TableCell TextOf(CellKind kind, std::string utf8) {
    TableCell cell;
    cell.kind = kind;
    cell.text = std::move(utf8);
    return cell;
}
TableCell Named(std::string_view name) { return TextOf(CellKind::Text, PanelTextUtf8(name)); }
TableCell Driver(std::string utf8) { return TextOf(CellKind::DriverText, std::move(utf8)); }

TableCell Of(const PageCell& cell) {
    TableCell out = TextOf(cell.kind, ShownText(cell));
    out.number = cell.number;
    out.red = cell.red;
    if (cell.kind == CellKind::Number) out.unit = PanelTextUtf8(TrimmedUnit(cell.unit));
    return out;
}

std::string DeviceName(const PageSources& sources, uint32_t id) {
    return DriverText::ToUtf8(SnapshotDeviceName(sources, id).value_or(std::string_view()));
}

uint32_t Streams(const PageSources& s, Dir d) {
    return s.validity.isoStreams ? s.snapshot.isoStreamStatistics.Count(d) : 0;
}
uint32_t Bundles(const PageSources& s, Dir d) {
    return s.validity.bundleList ? s.snapshot.bundleList.Count(d) : 0;
}
uint32_t Devices(const PageSources& s) {
    return s.validity.deviceList ? std::min(s.snapshot.deviceList.Count(), MaxValueColumns) : 0;
}
uint32_t Channels(const PageSources& s, Dir d, uint32_t bundle) {
    if (bundle >= Bundles(s, d)) return 0;
    return std::min(s.snapshot.Bundle(d, bundle).ChannelCount(), MaxValueColumns);
}

// Room for a device name of the driver's and what the panel puts around it.
using NameText = std::array<char, 320>;

std::string StreamLabel(const PageSources& s, Dir d, uint32_t k) {
    const IsoStreamStatistics& stats = s.snapshot.isoStreamStatistics;
    std::array<std::optional<std::string_view>, IsoStreamStatistics::Capacity> names{};
    const uint32_t n = Streams(s, d);
    for (uint32_t i = 0; i < n; ++i) names[i] = SnapshotDeviceName(s, IsoStreamEntryRef::At(stats, d, i).DeviceId());
    NameText text{};
    const size_t length = StreamName(DeviceNames(names.data(), n), stats, d, k, text);
    return DriverText::ToUtf8(std::string_view(text.data(), length));
}

std::string BundleLabel(const PageSources& s, Dir d, uint32_t b) {
    std::array<std::optional<std::string_view>, StatisticsSnapshot::BundleCapacity> names{};
    const uint32_t n = Bundles(s, d);
    for (uint32_t i = 0; i < n; ++i) names[i] = SnapshotDeviceName(s, s.snapshot.Channel(d, i, 0).DeviceId());
    NameText text{};
    const size_t length = BundleName(DeviceNames(names.data(), n), s.snapshot, d, b, text);
    return DriverText::ToUtf8(std::string_view(text.data(), length));
}

void InfoPage(const PageTextSources& sources, PageTable& t) {
    t.headings = {Str::PropertyHeading, Str::ValueHeading};
    const PublishedDriverVersion& v = sources.version;
    const bool read = sources.cells.validity.driverVersion;
    auto row = [&](const char* name, const std::string& value) {
        t.rows.push_back({Named(name), read ? Named(value) : Named(Str::NotAvailable)});
        if (!read) t.rows.back()[1].kind = CellKind::NotAvailable;
    };
    row(Str::InfoRelease, Format(Str::ReleaseFormat, v.releaseMajor, v.releaseMinor, static_cast<int>(v.releaseBuild)));
    row(Str::InfoInterface, Format(Str::InterfaceFormat, v.interfaceMajor, v.interfaceMinor));
    row(Str::InfoBuild, v.DebugBuild ? Str::DebugBuild : Str::ReleaseBuild);
}

void AsioPage(const PageSources& s, PageTable& t) {
    t.headings = {Str::PropertyHeading, Str::ValueHeading};
    for (const AsioRow& row : AsioRows()) t.rows.push_back({Named(row.name), Of(AsioCell(s, row))});
}

void DevicesPage(const PageSources& s, PageTable& t) {
    t.headings = {Str::PropertyHeading};
    for (uint32_t i = 0; i < Devices(s); ++i) t.headings.push_back(Format(Str::DeviceHeadingFormat, int(i)));
    for (const DeviceRow& row : DeviceRows()) {
        std::vector<TableCell> cells{Named(row.name)};
        for (uint32_t i = 0; i < Devices(s); ++i) cells.push_back(Of(DeviceCell(s, row, i)));
        t.rows.push_back(std::move(cells));
    }
}

void IsoStreamsPage(const PageSources& s, Dir d, PageTable& t) {
    const IsoStreamStatistics& stats = s.snapshot.isoStreamStatistics;
    t.headings = {Str::PropertyHeading};
    for (uint32_t k = 0; k < Streams(s, d); ++k) t.headings.push_back(StreamLabel(s, d, k));
    for (const IsoStreamRow& row : IsoStreamRows(d)) {
        std::vector<TableCell> cells{Named(row.name)};
        for (uint32_t k = 0; k < Streams(s, d); ++k)
            cells.push_back(Of(IsoStreamCell(row, IsoStreamEntryRef::At(stats, d, k), s.extended, true)));
        t.rows.push_back(std::move(cells));
    }
}

void SingleStreamPage(const PageSources& s, Dir d, uint32_t index, PageTable& t) {
    const IsoStreamEntryRef entry = IsoStreamEntryRef::At(s.snapshot.isoStreamStatistics, d, index);
    const bool answered = s.validity.isoStreams;
    // Without an answer there is no channel number to tell.
    const std::string heading = answered
                                    ? Format(Str::StreamHeadingFormat, Str::StreamWord, unsigned(entry.IsoChannel()))
                                    : Format("%s %s", Str::StreamWord, Str::NotAvailable);
    t.headings = {Str::PropertyHeading, heading};
    for (const IsoStreamRow& row : IsoStreamRows(d))
        t.rows.push_back({Named(row.name), Of(IsoStreamCell(row, entry, s.extended, answered))});
}

void ChannelsPage(const PageSources& s, Dir d, PageTable& t) {
    t.headings = {Str::DeviceHeading, Str::ChannelHeading, Str::TypeHeading};
    if (d == Dir::In) t.headings.push_back(Str::DirectionHeading);
    for (uint32_t b = 0; b < Bundles(s, d); ++b) {
        const ChannelBundleInfo& bundle = s.snapshot.Bundle(d, b);
        for (uint32_t j = 0; j < bundle.ChannelCount() && t.rows.size() < MaxRows; ++j) {
            const ChannelInfo& channel = s.snapshot.Channel(d, b, j);
            std::vector<TableCell> cells{Driver(DeviceName(s, channel.DeviceId())),
                                         Driver(DriverText::ToUtf8(channel.HardwareName()))};
            if (d == Dir::In) {
                cells.push_back(Named(ChannelFormatName(bundle.Entry(j).Format())));
                cells.push_back(Named(channel.DirectionCode() == 0 ? Str::DirectionInput : Str::DirectionOutput));
            } else {
                cells.push_back(Named(BundleTypeName(bundle.BundleType())));
            }
            t.rows.push_back(std::move(cells));
        }
    }
}

void SingleChannelPage(const PageSources& s, Dir d, uint32_t bundle, PageTable& t) {
    t.headings = {Str::PropertyHeading};
    const uint32_t channels = Channels(s, d, bundle);
    for (uint32_t c = 0; c < channels; ++c) t.headings.push_back(Format(Str::ChannelHeadingFormat, int(c)));
    for (const SingleChannelRow& row : SingleChannelRows()) {
        std::vector<TableCell> cells{Named(row.name)};
        for (uint32_t c = 0; c < channels; ++c) {
            const std::optional<std::string_view> device =
                SnapshotDeviceName(s, s.snapshot.Channel(d, bundle, c).DeviceId());
            const std::string name(device.value_or(std::string_view()));
            cells.push_back(Of(ChannelCell(s, row, d, bundle, c, device ? name.c_str() : nullptr)));
        }
        t.rows.push_back(std::move(cells));
    }
}

}  // namespace

std::string PanelTextUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x80) {
            out += ch;
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::string ShownText(const PageCell& cell) {
    switch (cell.kind) {
        case CellKind::Text:
        case CellKind::NotAvailable: return PanelTextUtf8(cell.text);
        case CellKind::DriverText: return DriverText::ToUtf8(cell.text);
        case CellKind::Hex: {
            std::string text = Format("0x%08X", static_cast<unsigned>(cell.number));
            if (cell.unit) text.append(" ").append(PanelTextUtf8(cell.unit));
            return text;
        }
        case CellKind::Number: {
            std::string text = FormatGrouped(static_cast<uint32_t>(cell.number), 0, cell.format);
            if (const char* after = cell.unit ? cell.unit : cell.suffix) text.append(" ").append(PanelTextUtf8(after));
            return text;
        }
    }
    return {};
}

std::vector<NodeCode> PageNodes(const PageSources& s) {
    std::vector<NodeCode> nodes{NodeKind_Info, NodeKind_Asio, NodeKind_Devices, NodeKind_IsoInStreams};
    for (uint32_t k = 0; k < Streams(s, Dir::In); ++k) nodes.push_back(MakeNodeCode(NodeKind_IsoInStream, k));
    nodes.push_back(NodeKind_IsoOutStreams);
    for (uint32_t k = 0; k < Streams(s, Dir::Out); ++k) nodes.push_back(MakeNodeCode(NodeKind_IsoOutStream, k));
    nodes.push_back(NodeKind_ChannelsIn);
    for (uint32_t b = 0; b < Bundles(s, Dir::In); ++b) nodes.push_back(MakeNodeCode(NodeKind_ChannelIn, b));
    nodes.push_back(NodeKind_ChannelsOut);
    for (uint32_t b = 0; b < Bundles(s, Dir::Out); ++b) nodes.push_back(MakeNodeCode(NodeKind_ChannelOut, b));
    return nodes;
}

std::string NodePath(const PageSources& s, NodeCode node) {
    std::string path = PanelTextUtf8(RootLabel(KindOf(node)));
    const uint32_t index = IndexOf(node);
    switch (KindOf(node)) {
        case NodeKind_IsoInStream:
        case NodeKind_IsoOutStream: {
            const Dir d = KindOf(node) == NodeKind_IsoInStream ? Dir::In : Dir::Out;
            return path.append("/").append(StreamLabel(s, d, index));
        }
        case NodeKind_ChannelIn:
        case NodeKind_ChannelOut:
            return path.append("/").append(BundleLabel(s, KindOf(node) == NodeKind_ChannelIn ? Dir::In : Dir::Out, index));
        default: return path;
    }
}

PageTable PageTableOf(const PageTextSources& sources, NodeCode node) {
    const PageSources& s = sources.cells;
    PageTable t;
    t.node = node;
    t.path = NodePath(s, node);
    const uint32_t index = IndexOf(node);
    switch (KindOf(node)) {
        case NodeKind_Info: InfoPage(sources, t); break;
        case NodeKind_Asio: AsioPage(s, t); break;
        case NodeKind_Devices: DevicesPage(s, t); break;
        case NodeKind_IsoInStreams: IsoStreamsPage(s, Dir::In, t); break;
        case NodeKind_IsoOutStreams: IsoStreamsPage(s, Dir::Out, t); break;
        case NodeKind_IsoInStream:
        case NodeKind_IsoOutStream: {
            const Dir d = KindOf(node) == NodeKind_IsoInStream ? Dir::In : Dir::Out;
            SingleStreamPage(s, d, index, t);
            break;
        }
        case NodeKind_ChannelsIn: ChannelsPage(s, Dir::In, t); break;
        case NodeKind_ChannelsOut: ChannelsPage(s, Dir::Out, t); break;
        case NodeKind_ChannelIn:
        case NodeKind_ChannelOut: {
            const Dir d = KindOf(node) == NodeKind_ChannelIn ? Dir::In : Dir::Out;
            SingleChannelPage(s, d, index, t);
            break;
        }
        default: break;
    }
    return t;
}

std::vector<PageTable> PageTables(const PageTextSources& sources) {
    std::vector<PageTable> tables;
    for (NodeCode node : PageNodes(sources.cells)) tables.push_back(PageTableOf(sources, node));
    return tables;
}
