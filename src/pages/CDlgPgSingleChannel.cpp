#include "pages/CDlgPgSingleChannel.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <span>

#include "res/ResourceIds.h"
#include "res/StringTable.h"

namespace {

enum class Value : uint8_t {
    HardwareName,
    NickName,
    Direction,
    DeviceName,
    ChannelType,
    Panning,
    Number,     // a field of the channel's bundle entry
    ErrorCount, // the same, red once it counts
    YesNo,
};

// The rows read from the channel's own record; all others come from its bundle's entry.
constexpr bool FromChannelInfo(Value v) {
    return v == Value::HardwareName || v == Value::NickName || v == Value::Direction || v == Value::DeviceName;
}

struct ChannelRow {
    const char* name;
    Value value;
    uint8_t entryOffset;  // for the rows read from the bundle entry
    const char* description;
};

constexpr std::array<ChannelRow, 17> Rows{{
    {"HardwareName", Value::HardwareName, 0, "Hardware name of the selected channel."},
    {"NickName", Value::NickName, 0, "Nickname of the selected channel."},
    {"Direction", Value::Direction, 0, "Direction of the channel, input or output."},
    {"DeviceName", Value::DeviceName, 0, "Internal device ID."},
    {"ChannelType", Value::ChannelType, BundleChannelEntryField::ChannelFormat, "Type of the channel."},
    {"PanningPosition", Value::Panning, BundleChannelEntryField::PanningPosition, "Panning position of this channel."},
    {"DataBlockOffset", Value::Number, BundleChannelEntryField::DataBlockOffset,
     "Offset of this channel's slot within the data block, in terms of DWORDs."},
    {"AsioClientCount", Value::Number, BundleChannelEntryField::AsioClientCount, "Number of ASIO clients that allocated this channel."},
    {"KsClientCount", Value::Number, BundleChannelEntryField::KsClientCount, "Number of WDM/KS clients that allocated this channel."},
    {"IsEnabled", Value::YesNo, BundleChannelEntryField::IsEnabled, "Indicates whether the channel is enabled."},
    {"SamplesTransferred", Value::Number, BundleChannelEntryField::SamplesTransferred, "Total number of samples transferred on this channel."},
    {"MidiBytesTransferred", Value::Number, BundleChannelEntryField::MidiBytesTransferred, "Total number of MIDI bytes transferred on this channel."},
    {"AsioPtrOffset", Value::Number, BundleChannelEntryField::AsioPtrOffset, "Indicates the current offset of the ASIO pointer."},
    {"AsioPtrOffsetLow", Value::Number, BundleChannelEntryField::AsioPtrOffsetLow, "Incremented if the ASIO pointer offset is lower than the limit."},
    {"AsioPtrOffsetHigh", Value::Number, BundleChannelEntryField::AsioPtrOffsetHigh, "Incremented if the ASIO pointer offset is higher than the limit."},
    {"DataSlotLabelMismatch", Value::ErrorCount, BundleChannelEntryField::DataSlotLabelMismatch, "Label of data slot does not match the channel type."},
    {"NoBuffer", Value::ErrorCount, BundleChannelEntryField::NoBuffer, "No KS buffer available, samples or MIDI bytes have been dropped."},
}};

struct CodeText {
    uint32_t code;
    const char* text;
};

// Lower case, unlike the channel list pages' names of the same codes.
constexpr std::array<CodeText, 3> ChannelTypes{{{1, "raw audio"}, {2, "SPDIF"}, {3, "MIDI"}}};
constexpr const char* UnknownChannelType = "unknown";

// The suffixes begin with a blank: the cell reads the number, two blanks and the position.
constexpr std::array<CodeText, 16> PanningSuffixes{{
    {1, " (L)"},
    {2, " (R)"},
    {3, " (C)"},
    {4, " (LFE)"},
    {5, " (LS)"},
    {6, " (RS)"},
    {7, " (LC)"},
    {8, " (RC)"},
    {9, " (S)"},
    {10, " (SL)"},
    {11, " (SR)"},
    {12, " (T)"},
    {13, " (B)"},
    {14, " (FEL)"},
    {15, " (FER)"},
    {255, " (No position)"},
}};

const char* Lookup(std::span<const CodeText> table, uint32_t code, const char* otherwise) {
    for (const CodeText& entry : table)
        if (entry.code == code) return entry.text;
    return otherwise;
}

}  // namespace

CDlgPgSingleChannel::CDlgPgSingleChannel(PageContext& context, QWidget* parent)
    : CDlgPgListBase(Res::IDD_PAGE_SINGLE_CHANNEL, context, parent) {}

const char* CDlgPgSingleChannel::ChannelTypeText(uint32_t code) {
    return Lookup(ChannelTypes, code, UnknownChannelType);
}

const char* CDlgPgSingleChannel::PanningSuffix(uint32_t code) { return Lookup(PanningSuffixes, code, Str::NotAvailable); }

const char* CDlgPgSingleChannel::RowDescription(int row) {
    if (row < 0 || static_cast<size_t>(row) >= Rows.size()) return nullptr;
    return Rows[static_cast<size_t>(row)].description;
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
    for (size_t r = 0; r < Rows.size(); ++r) list_.InsertRow(static_cast<int>(r), Rows[r].name);
}

void CDlgPgSingleChannel::FillValues(Dir d) {
    if (!ctx_.dev.Validity().bundleList) {
        // Which bundles there are is not known this time: the columns stay, their values do not.
        for (int column = 1; column < list_.ColumnCount(); ++column)
            for (size_t r = 0; r < Rows.size(); ++r) list_.SetCellText(static_cast<int>(r), column, Str::NotAvailable);
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
        for (size_t i = 0; i < Rows.size(); ++i) {
            const ChannelRow& row = Rows[i];
            const int r = static_cast<int>(i);
            const uint32_t field = entry.U32(row.entryOffset);
            if (!(FromChannelInfo(row.value) ? infoRead : entryRead)) {
                list_.SetCellText(r, column, Str::NotAvailable);
                continue;
            }
            switch (row.value) {
                case Value::HardwareName: list_.SetCellDriverText(r, column, info.HardwareName()); break;
                case Value::NickName: list_.SetCellDriverText(r, column, info.NickName()); break;
                case Value::Direction:
                    list_.SetCellText(r, column, info.DirectionCode() == 0 ? Str::Input : Str::Output);
                    break;
                case Value::DeviceName: list_.SetCellDriverText(r, column, device ? device : ""); break;
                case Value::ChannelType: list_.SetCellText(r, column, ChannelTypeText(field)); break;
                case Value::Panning:
                    list_.SetCellNumber(r, column, field, PanningSuffix(field), false, 0, NumberFormat::Unsigned);
                    break;
                case Value::Number:
                    list_.SetCellNumber(r, column, field, nullptr, false, 0, NumberFormat::Unsigned);
                    break;
                case Value::ErrorCount:
                    list_.SetCellNumber(r, column, field, nullptr, field != 0, 0, NumberFormat::Unsigned);
                    break;
                case Value::YesNo: list_.SetCellText(r, column, field != 0 ? Str::Yes : Str::No); break;
            }
        }
    }
}
