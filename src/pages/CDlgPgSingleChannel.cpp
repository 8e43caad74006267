#include "pages/CDlgPgSingleChannel.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <span>

#include "res/StringTable.h"
#include "rows/NameTables.h"
#include "rows/RowTable.h"
#include "rows/SingleChannelRows.h"

CDlgPgSingleChannel::CDlgPgSingleChannel(PageContext& context, QWidget* parent)
    : CDlgPgListBase("singleChannelPage", context, parent) {}

void CDlgPgSingleChannel::OnSelect(NodeCode code) {
    const Dir d = KindOf(code) == NodeKind_ChannelIn ? Dir::In : Dir::Out;
    BundleIndex = IndexOf(code);
    BuildList(d);
    FillValues(d);
}

void CDlgPgSingleChannel::ResetState() {
    CDlgPgListBase::ResetState();
    BundleIndex = 0;
}

const char* CDlgPgSingleChannel::RowDescription(NodeCode, int row) const {
    return DescriptionOf(SingleChannelRows(), row);
}

uint32_t CDlgPgSingleChannel::ChannelCount(Dir d) const {
    const StatisticsSnapshot& s = ctx_.dev.Snapshot();
    // Only an answered list says the bundle is gone; without one its last record still lays it out.
    if (ctx_.dev.Validity().bundleList && BundleIndex >= s.bundleList.Count(d)) return 0;
    // Never more value columns than the list holds beside "Property".
    return std::min(s.Bundle(d, BundleIndex).ChannelCount(), static_cast<uint32_t>(ListColumnCapacity - 1));
}

void CDlgPgSingleChannel::BuildList(Dir d) {
    list_.Clear();
    list_.InsertColumn(0, 150, Str::PropertyHeading, false);
    const uint32_t channels = ChannelCount(d);
    for (uint32_t c = 0; c < channels; ++c) {
        std::array<char, 24> heading{};
        std::snprintf(heading.data(), heading.size(), Str::ChannelHeadingFormat, static_cast<int>(c));
        // Channels 0 and 1 share the width beside "Property"; later ones get a fixed width.
        list_.InsertColumn(static_cast<int>(c) + 1, 130, heading.data(), c < 2);
    }
    int r = 0;
    for (const SingleChannelRow& row : SingleChannelRows()) list_.InsertRow(r++, row.name);
}

void CDlgPgSingleChannel::FillValues(Dir d) {
    if (!ctx_.dev.Validity().bundleList) {
        // Which bundles there are is not known this time: the columns stay, their values do not.
        for (int column = 1; column < list_.ColumnCount(); ++column)
            for (size_t r = 0; r < SingleChannelRows().size(); ++r)
                list_.SetCellText(static_cast<int>(r), column, Str::NotAvailable);
        return;
    }
    const uint32_t channels = ChannelCount(d);
    if (channels == 0) return;
    const PageSources sources = Sources();
    for (uint32_t c = 0; c < channels; ++c) {
        const int column = static_cast<int>(c) + 1;
        // A device may have come or gone since the last refresh: ask for a fresh list first.
        ctx_.dev.ReadDevices();
        const char* device = ctx_.dev.GetDeviceName(sources.snapshot.Channel(d, BundleIndex, c).DeviceId());
        int r = 0;
        for (const SingleChannelRow& row : SingleChannelRows())
            list_.SetCell(r++, column, ChannelCell(sources, row, d, BundleIndex, c, device));
    }
}
