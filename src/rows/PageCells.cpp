#include "rows/PageCells.h"

#include "res/StringTable.h"
#include "rows/NameTables.h"
#include "rows/PageDescription.h"

namespace {

PageCell TextCell(CellKind kind, std::string_view text) {
    PageCell cell;
    cell.kind = kind;
    cell.text = text;
    return cell;
}
PageCell NotAvailable() { return TextCell(CellKind::NotAvailable, Str::NotAvailable); }
PageCell Text(const char* text) { return TextCell(CellKind::Text, text); }
PageCell DriverText(std::string_view text) { return TextCell(CellKind::DriverText, text); }

// A value the cell shows as it comes.
PageCell Plain(CellKind kind, int64_t number, const char* unit = nullptr, const char* suffix = nullptr,
               bool red = false) {
    PageCell cell;
    cell.kind = kind;
    cell.number = number;
    cell.unit = unit;
    cell.suffix = suffix;
    cell.red = red;
    return cell;
}

// A 32-bit field; the value the driver marks unavailable shows "n/a".
PageCell Number(uint32_t value, const char* unit, bool highlight, NumberFormat format) {
    if (value == ValueNotAvailable) return NotAvailable();
    PageCell cell = Plain(CellKind::Number,
                          format == NumberFormat::Signed ? static_cast<int64_t>(static_cast<int32_t>(value)) : value,
                          unit, nullptr, highlight && value != 0);
    cell.format = format;
    return cell;
}

}  // namespace

PageCell AsioCell(const PageSources& sources, const AsioRow& row) {
    const StatisticsSnapshot& s = sources.snapshot;
    const bool statisticsRead = sources.validity.asioStatistics;
    switch (row.source) {
        case AsioSource::Statistics:
            if (!statisticsRead) return NotAvailable();
            return Number(s.asioStatistics.U32(row.field), row.unit, false, NumberFormat::Unsigned);
        case AsioSource::ExtendedStatistics:
            if (!statisticsRead || !sources.extended) return NotAvailable();
            return Number(s.asioStatistics.U32(row.field), row.unit, false, NumberFormat::Unsigned);
        case AsioSource::Spacer: return NotAvailable();
        case AsioSource::BufferCounters:
            if (!sources.validity.asioInfo || s.asioInfo.CountersValid() == 0) return NotAvailable();
            return Number(s.asioInfo.U32(row.field), row.unit, false, NumberFormat::Unsigned);
    }
    return NotAvailable();
}

PageCell IsoStreamCell(const IsoStreamRow& row, IsoStreamEntryRef entry, bool extended, bool answered) {
    if (!answered || (row.ext && !extended)) return NotAvailable();
    if (row.kind == IsoValueKind::Bool) return Text(entry.U8(row.field) != 0 ? Str::Yes : Str::No);
    return Number(entry.U32(row.field), row.unit, row.red,
                  row.kind == IsoValueKind::I32 ? NumberFormat::Signed : NumberFormat::Unsigned);
}

PageCell DeviceCell(const PageSources& sources, const DeviceRow& row, uint32_t device) {
    const StatisticsSnapshot& s = sources.snapshot;
    const bool read = row.value == DeviceValue::SampleRate ? sources.validity.sampleRate
                                                           : sources.validity.Device(device);
    if (!read) return NotAvailable();
    const DeviceInfo& info = s.Device(device);
    switch (row.value) {
        case DeviceValue::Id: return Plain(CellKind::Hex, info.DeviceId(), row.unit);
        case DeviceValue::HardwareName: return DriverText(info.HardwareName());
        case DeviceValue::NickName: return DriverText(info.NickName());
        case DeviceValue::SampleRate:
            // The page shows it as it comes, even the value other rows read as "n/a".
            return Plain(CellKind::Number, s.sampleRateInfo.SampleRate(), row.unit);
    }
    return NotAvailable();
}

PageCell ChannelCell(const PageSources& sources, const SingleChannelRow& row, Dir d, uint32_t bundle,
                     uint32_t channel, const char* deviceName) {
    const StatisticsSnapshot& s = sources.snapshot;
    // Without the bundle list the bundles are not known this time: nothing of them shows.
    if (!sources.validity.bundleList) return NotAvailable();
    const bool read = FromChannelInfo(row.value) ? sources.validity.Channel(d, bundle, channel)
                                                 : sources.validity.Bundle(d, bundle);
    if (!read) return NotAvailable();
    const ChannelInfo& info = s.Channel(d, bundle, channel);
    const uint32_t field = s.Bundle(d, bundle).Entry(channel).U32(row.entryField);
    switch (row.value) {
        case ChannelValue::HardwareName: return DriverText(info.HardwareName());
        case ChannelValue::NickName: return DriverText(info.NickName());
        case ChannelValue::Direction: return Text(info.DirectionCode() == 0 ? Str::Input : Str::Output);
        case ChannelValue::DeviceName: return DriverText(deviceName ? deviceName : "");
        case ChannelValue::ChannelType: return Text(ChannelTypeText(field));
        case ChannelValue::Panning:
            // Every value is a position code here, the unavailable mark included.
            return Plain(CellKind::Number, field, nullptr, PanningSuffix(field));
        case ChannelValue::Number: return Plain(CellKind::Number, field);
        case ChannelValue::ErrorCount: return Plain(CellKind::Number, field, nullptr, nullptr, field != 0);
        case ChannelValue::YesNo: return Text(field != 0 ? Str::Yes : Str::No);
    }
    return NotAvailable();
}

std::optional<std::string_view> SnapshotDeviceName(const PageSources& sources, uint32_t deviceId) {
    if (!sources.validity.deviceList) return std::nullopt;
    const uint32_t count = sources.snapshot.deviceList.Count();
    for (uint32_t i = 0; i < count; ++i)
        if (sources.validity.Device(i) && sources.snapshot.Device(i).DeviceId() == deviceId)
            // As far as CDev::GetDeviceName gives it to the pages.
            return sources.snapshot.Device(i).HardwareName().substr(0, PageNameCapacity);
    return std::nullopt;
}
