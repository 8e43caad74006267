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
    const PageSources sources = Sources();
    for (uint32_t i = 0; i < Columns(); ++i) {
        const int column = static_cast<int>(i) + 1;
        int r = 0;
        for (const DeviceRow& row : DeviceRows()) list_.SetCell(r++, column, DeviceCell(sources, row, i));
    }
}

const char* CDlgPgDevices::RowDescription(NodeCode, int row) const { return DescriptionOf(DeviceRows(), row); }
