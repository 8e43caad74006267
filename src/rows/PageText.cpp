#include "rows/PageText.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "platform/DriverText.h"
#include "res/StringTable.h"
#include "rows/NodeNames.h"
#include "rows/PageDescription.h"

namespace {

std::string Format(const char* format, auto... args) {
    std::array<char, 64> buffer{};
    const int n = std::snprintf(buffer.data(), buffer.size(), format, args...);
    return std::string(buffer.data(), static_cast<std::size_t>(std::clamp(n, 0, int(buffer.size()) - 1)));
}

// The list keeps no more of a text than this, and neither do the tables.
std::string_view Cut(std::string_view text) { return text.substr(0, PageCellCapacity); }

TableCell TextOf(CellKind kind, std::string utf8) {
    TableCell cell;
    cell.kind = kind;
    cell.text = std::move(utf8);
    return cell;
}
TableCell Named(std::string_view name) { return TextOf(CellKind::Text, PanelTextUtf8(Cut(name))); }

TableCell Of(const PageCell& cell) {
    TableCell out = TextOf(cell.kind, ShownText(cell));
    out.number = cell.number;
    out.red = cell.red;
    if (cell.kind == CellKind::Number) out.unit = PanelTextUtf8(TrimmedUnit(cell.unit));
    return out;
}

uint32_t Streams(const PageSources& s, Dir d) {
    return s.validity.isoStreams ? s.snapshot.isoStreamStatistics.Count(d) : 0;
}
uint32_t Bundles(const PageSources& s, Dir d) { return s.validity.bundleList ? s.snapshot.bundleList.Count(d) : 0; }

const ListLayout* Kept(const ListLayouts* layouts, const PageDescription& page) {
    return layouts ? layouts->Of(page.kind) : nullptr;
}
// The child nodes of a stream or channel list.
uint32_t Children(const PageSources& s, const PageDescription& page, const ListLayout* kept) {
    if (kept) return static_cast<uint32_t>(kept->labels.size());
    return page.rows == PageRows::ChannelList ? Bundles(s, page.dir) : Streams(s, page.dir);
}

// A device's name as the window has it: from the snapshot's device list, else as a list read it.
std::optional<std::string_view> DeviceNameOf(const PageSources& s, const ListLayouts* layouts, uint32_t id) {
    if (auto name = SnapshotDeviceName(s, id)) return name;
    return layouts ? layouts->DeviceName(id) : std::nullopt;
}

// Room for a device name of the driver's and what the panel puts around it.
using NameText = std::array<char, 320>;

// The label of child `index` of `page`, with the device names the snapshot holds.
std::string ChildText(const PageSources& s, const ListLayouts* layouts, const PageDescription& page, uint32_t index) {
    if (const ListLayout* kept = Kept(layouts, page))
        return index < kept->labels.size() ? kept->labels[index] : std::string();
    const uint32_t n = std::min(Children(s, page, nullptr), StatisticsSnapshot::BundleCapacity);
    std::array<std::optional<std::string_view>, StatisticsSnapshot::BundleCapacity> names{};
    for (uint32_t i = 0; i < n; ++i) names[i] = DeviceNameOf(s, layouts, ItemDeviceId(page, s.snapshot, 0, i));
    NameText text{};
    const size_t length = ChildLabel(page, DeviceNames(names.data(), n), s.snapshot, index, text);
    return std::string(text.data(), length);
}

void InfoPage(const PageTextSources& sources, const PageDescription& page, PageTable& t) {
    const PublishedDriverVersion& v = sources.version;
    const bool read = sources.cells.validity.driverVersion;
    std::array<char, 32> value{};
    for (std::size_t r = 0; r < RowCount(page); ++r) {
        t.rows.push_back({Named(RowName(page, r)),
                          Named(std::string_view(value.data(), InfoValue(v, read, BuildTextOf(v), r, value)))});
        if (!read) t.rows.back()[1].kind = CellKind::NotAvailable;
    }
}

void ValuePage(const PageSources& s, const ListLayouts* layouts, const PageDescription& page, NodeCode node,
               PageTable& t) {
    const bool perItem = ColumnPerItem(page);
    const ListLayout* kept = Kept(layouts, page);
    uint32_t columns = perItem ? SnapshotItems(page, s, node) : 1;
    if (kept) columns = page.columns == PageColumns::Streams ? static_cast<uint32_t>(kept->headings.size())
                                                              : ItemColumns(page, kept->items);
    std::array<char, 32> heading{};
    if (page.columns == PageColumns::Streams) {
        for (uint32_t k = 0; k < columns; ++k)
            t.headings.push_back(DriverText::ToUtf8(Cut(kept ? kept->headings[k] : ChildText(s, layouts, page, k))));
    } else if (perItem) {
        for (uint32_t c = 0; c < columns; ++c)
            t.headings.push_back(PanelTextUtf8(std::string_view(heading.data(), ColumnHeading(page, c, heading))));
    } else if (page.rows == PageRows::IsoStreams) {
        const IsoStreamEntryRef entry = IsoStreamEntryRef::At(s.snapshot.isoStreamStatistics, page.dir, IndexOf(node));
        const size_t length = StreamHeading(s.validity.isoStreams, entry.IsoChannel(), heading);
        t.headings.push_back(PanelTextUtf8(std::string_view(heading.data(), length)));
    }
    // Each channel's device name, looked up once rather than once a row.
    std::array<std::optional<std::string>, PageValueColumns> devices{};
    if (page.requests & RequestDeviceList)
        for (uint32_t c = 0; c < columns && c < devices.size(); ++c)
            if (auto name = DeviceNameOf(s, layouts, ItemDeviceId(page, s.snapshot, node, c)))
                devices[c] = std::string(*name);
    for (std::size_t r = 0; r < RowCount(page); ++r) {
        std::vector<TableCell> cells{Named(RowName(page, r))};
        for (uint32_t c = 0; c < columns; ++c) {
            const char* device = c < devices.size() && devices[c] ? devices[c]->c_str() : nullptr;
            cells.push_back(Of(ValueCell(page, s, node, r, c, device)));
        }
        t.rows.push_back(std::move(cells));
    }
}

void ChannelsPage(const PageSources& s, const ListLayouts* layouts, const PageDescription& page, PageTable& t) {
    if (const ListLayout* kept = Kept(layouts, page)) {
        for (const std::vector<KeptCell>& kept : kept->rows) {
            std::vector<TableCell> row;
            row.reserve(kept.size());
            for (const KeptCell& cell : kept) row.push_back(Of(PageCell{.kind = cell.kind, .text = cell.text}));
            t.rows.push_back(std::move(row));
        }
        return;
    }
    std::array<PageCell, 4> cells{};
    ForEachChannelRow(s.snapshot, page.dir, Bundles(s, page.dir), [&](uint32_t b, uint32_t c) {
        const std::string_view device =
            DeviceNameOf(s, layouts, s.snapshot.Channel(page.dir, b, c).DeviceId()).value_or(std::string_view());
        const std::size_t n = ChannelRowCells(page, s.snapshot, b, c, device, cells);
        std::vector<TableCell> row;
        row.reserve(n);
        for (std::size_t column = 0; column < n; ++column) row.push_back(Of(cells[column]));
        t.rows.push_back(std::move(row));
    });
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
        case CellKind::NotAvailable: return PanelTextUtf8(Cut(cell.text));
        case CellKind::DriverText: return DriverText::ToUtf8(Cut(cell.text));
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

std::vector<NodeCode> PageNodes(const PageSources& s, const ListLayouts* layouts) {
    std::vector<NodeCode> nodes;
    for (uint32_t kind : {NodeKind_Info, NodeKind_Asio, NodeKind_Devices, NodeKind_IsoInStreams, NodeKind_IsoOutStreams,
                          NodeKind_ChannelsIn, NodeKind_ChannelsOut}) {
        nodes.push_back(kind);
        const PageDescription& page = *PageOf(kind);
        if (page.childKind == 0) continue;
        const uint32_t children = Children(s, page, Kept(layouts, page));
        for (uint32_t i = 0; i < children; ++i) nodes.push_back(MakeNodeCode(page.childKind, i));
    }
    return nodes;
}

std::string NodePath(const PageSources& s, NodeCode node, const ListLayouts* layouts) {
    std::string path = PanelTextUtf8(RootLabel(KindOf(node)));
    if (const PageDescription* parent = ParentOf(KindOf(node)))
        path.append("/").append(DriverText::ToUtf8(ChildText(s, layouts, *parent, IndexOf(node))));
    return path;
}

PageTable PageTableOf(const PageTextSources& sources, NodeCode node) {
    const PageSources& s = sources.cells;
    PageTable t;
    t.node = node;
    t.path = NodePath(s, node, sources.layouts);
    const PageDescription* page = PageOf(KindOf(node));
    if (page == nullptr) return t;
    if (sources.placeholders != nullptr && sources.placeholders->Shows(page->kind)) {
        t.headings.push_back(PanelTextUtf8(page->placeholder));
        return t;
    }
    for (const char* heading : page->headings)
        if (heading != nullptr) t.headings.push_back(PanelTextUtf8(heading));
    switch (page->rows) {
        case PageRows::Info: InfoPage(sources, *page, t); break;
        case PageRows::ChannelList: ChannelsPage(s, sources.layouts, *page, t); break;
        default: ValuePage(s, sources.layouts, *page, node, t); break;
    }
    return t;
}
std::vector<PageTable> PageTables(const PageTextSources& sources) {
    std::vector<PageTable> tables;
    for (NodeCode node : PageNodes(sources.cells, sources.layouts)) tables.push_back(PageTableOf(sources, node));
    return tables;
}
