#include "pages/CDlgPgDevices.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <span>

#include "base/NodeCode.h"
#include "res/StringTable.h"
#include "rows/DeviceRows.h"
#include "rows/RowTable.h"

CDlgPgDevices::CDlgPgDevices(PageContext& context, QWidget* parent)
    : CDlgPgListBase("devicesPage", context, parent) {}

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
    int r = 0;
    for (const DeviceRow& row : DeviceRows()) list_.InsertRow(r++, row.name);
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
        const std::span<const DeviceRow> rows = DeviceRows();
        for (size_t k = 0; k < rows.size(); ++k) {
            const DeviceRow& row = rows[k];
            const int r = static_cast<int>(k);
            const bool read = row.value == DeviceValue::SampleRate ? answered.sampleRate : answered.Device(i);
            if (!read) {
                list_.SetCellText(r, column, Str::NotAvailable);
                continue;
            }
            switch (row.value) {
                case DeviceValue::Id: list_.SetCellHex(r, column, device.DeviceId(), row.unit); break;
                case DeviceValue::HardwareName: list_.SetCellDriverText(r, column, device.HardwareName()); break;
                case DeviceValue::NickName: list_.SetCellDriverText(r, column, device.NickName()); break;
                case DeviceValue::SampleRate:
                    list_.SetCellNumber(r, column, rate, row.unit, false, 0, NumberFormat::Unsigned);
                    break;
            }
        }
    }
}

const char* CDlgPgDevices::RowDescription(NodeCode, int row) const { return DescriptionOf(DeviceRows(), row); }
