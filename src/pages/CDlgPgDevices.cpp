#include "pages/CDlgPgDevices.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "base/NodeCode.h"
#include "res/ResourceIds.h"
#include "res/StringTable.h"

namespace {

struct DeviceRow {
    const char* name;
    const char* description;
};

enum : int { IdRow, HardwareNameRow, NickNameRow, SampleRateRow };

constexpr std::array<DeviceRow, 4> Rows{{
    {"ID", "Unambiguously device id."},
    {"HardwareName", "Hardware name of this device."},
    {"NickName", "Assigned nick name of this device."},
    {"SampleRate", "Current sample rate, in units of samples per second."},
}};

// It begins with a blank, so the cell reads the number, two blanks and the unit.
constexpr const char* SampleRateUnit = " samples/s";

}  // namespace

CDlgPgDevices::CDlgPgDevices(PageContext& context, QWidget* parent)
    : CDlgPgListBase(Res::IDD_PAGE_DEVICES, context, parent) {}

// Devices beyond the list's 50 columns are not shown.
uint32_t CDlgPgDevices::Columns() const {
    return std::min({CachedCount, StatisticsSnapshot::DeviceCapacity, static_cast<uint32_t>(ListColumnCapacity - 1)});
}

void CDlgPgDevices::Refresh() {
    const uint32_t count = ctx_.dev.DeviceCount();
    if (count != CachedCount) {
        ctx_.restore.Open();
        CachedCount = count;
        BuildList();
    }
    if (ctx_.tree.CurrentKind() == NodeKind_Devices) FillValues();
}

void CDlgPgDevices::BuildList() {
    list_.Clear();
    list_.InsertColumn(0, 150, Str::PropertyHeading, false);
    for (uint32_t i = 0; i < Columns(); ++i) {
        std::array<char, 24> heading{};
        std::snprintf(heading.data(), heading.size(), Str::DeviceHeadingFormat, static_cast<int>(i));
        list_.InsertColumn(static_cast<int>(i) + 1, 130, heading.data(), true);
    }
    for (size_t r = 0; r < Rows.size(); ++r) list_.InsertRow(static_cast<int>(r), Rows[r].name);
}

void CDlgPgDevices::FillValues() {
    // The only reader of the global records, so the sample rate is fresh only while shown.
    ctx_.dev.ReadGlobalInfo();
    const StatisticsSnapshot& s = ctx_.dev.Snapshot();
    const RecordValidity& answered = ctx_.dev.Validity();
    const uint32_t rate = s.sampleRateInfo.SampleRate();
    for (uint32_t i = 0; i < Columns(); ++i) {
        const DeviceInfo& device = s.Device(i);
        const int column = static_cast<int>(i) + 1;
        if (answered.Device(i)) {
            list_.SetCellHex(IdRow, column, device.DeviceId());
            list_.SetCellDriverText(HardwareNameRow, column, device.HardwareName());
            list_.SetCellDriverText(NickNameRow, column, device.NickName());
        } else {
            for (int row : {IdRow, HardwareNameRow, NickNameRow}) list_.SetCellText(row, column, Str::NotAvailable);
        }
        if (answered.sampleRate)
            list_.SetCellNumber(SampleRateRow, column, rate, SampleRateUnit, false, 0, NumberFormat::Unsigned);
        else
            list_.SetCellText(SampleRateRow, column, Str::NotAvailable);
    }
}

const char* CDlgPgDevices::RowDescription(int row) {
    if (row < 0 || static_cast<size_t>(row) >= Rows.size()) return nullptr;
    return Rows[static_cast<size_t>(row)].description;
}
