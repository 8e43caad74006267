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
    const StatisticsSnapshot& s = ctx_.dev.Snapshot();
    const ChannelBundleInfo& bundle = s.Bundle(d, BundleIndex);
    const RecordValidity& answered = ctx_.dev.Validity();
    for (uint32_t c = 0; c < channels; ++c) {
        const int column = static_cast<int>(c) + 1;
        const BundleChannelEntry entry = bundle.Entry(c);
        const ChannelInfo& info = s.Channel(d, BundleIndex, c);
        // A device may have come or gone since the last refresh: ask for a fresh list first.
        ctx_.dev.ReadDevices();
        const char* device = ctx_.dev.GetDeviceName(info.DeviceId());
        const bool entryRead = answered.Bundle(d, BundleIndex);
        const bool infoRead = answered.Channel(d, BundleIndex, c);
        const std::span<const SingleChannelRow> rows = SingleChannelRows();
        for (size_t i = 0; i < rows.size(); ++i) {
            const SingleChannelRow& row = rows[i];
            const int r = static_cast<int>(i);
            const uint32_t field = entry.U32(row.entryField);
            if (!(FromChannelInfo(row.value) ? infoRead : entryRead)) {
                list_.SetCellText(r, column, Str::NotAvailable);
                continue;
            }
            switch (row.value) {
                case ChannelValue::HardwareName: list_.SetCellDriverText(r, column, info.HardwareName()); break;
                case ChannelValue::NickName: list_.SetCellDriverText(r, column, info.NickName()); break;
                case ChannelValue::Direction:
                    list_.SetCellText(r, column, info.DirectionCode() == 0 ? Str::Input : Str::Output);
                    break;
                case ChannelValue::DeviceName: list_.SetCellDriverText(r, column, device ? device : ""); break;
                case ChannelValue::ChannelType: list_.SetCellText(r, column, ChannelTypeText(field)); break;
                case ChannelValue::Panning:
                    list_.SetCellNumber(r, column, field, PanningSuffix(field), false, 0, NumberFormat::Unsigned);
                    break;
                case ChannelValue::Number:
                    list_.SetCellNumber(r, column, field, nullptr, false, 0, NumberFormat::Unsigned);
                    break;
                case ChannelValue::ErrorCount:
                    list_.SetCellNumber(r, column, field, nullptr, field != 0, 0, NumberFormat::Unsigned);
                    break;
                case ChannelValue::YesNo: list_.SetCellText(r, column, field != 0 ? Str::Yes : Str::No); break;
            }
        }
    }
}
