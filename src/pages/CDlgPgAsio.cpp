#include "pages/CDlgPgAsio.h"

#include "res/StringTable.h"
#include "rows/AsioRows.h"
#include "rows/RowTable.h"

CDlgPgAsio::CDlgPgAsio(PageContext& context, QWidget* parent) : CDlgPgListBase("asioPage", context, parent) {}

void CDlgPgAsio::Refresh() {
    const uint32_t rate = ctx_.dev.Snapshot().asioStatistics.SampleRate();
    // A failed read is no change of the sample rate.
    if (ctx_.dev.Validity().asioStatistics && rate != CachedCount) {
        CachedCount = rate;
        BuildList();
    }
    FillValues();
}

void CDlgPgAsio::BuildList() {
    list_.Clear();
    list_.InsertColumn(0, 210, Str::PropertyHeading, false);
    list_.InsertColumn(1, 150, Str::ValueHeading, true);
    int r = 0;
    for (const AsioRow& row : AsioRows()) list_.InsertRow(r++, row.name);
}

void CDlgPgAsio::FillValues() {
    const StatisticsSnapshot& s = ctx_.dev.Snapshot();
    const bool extended = ctx_.dev.Published().ExtendedStatistics != 0;
    const bool statisticsRead = ctx_.dev.Validity().asioStatistics;
    const bool countersValid = ctx_.dev.Validity().asioInfo && s.asioInfo.CountersValid() != 0;
    int r = 0;
    for (const AsioRow& row : AsioRows()) {
        bool available = true;
        uint32_t value = 0;
        switch (row.source) {
            case AsioSource::Statistics:
                available = statisticsRead;
                value = s.asioStatistics.U32(row.field);
                break;
            case AsioSource::ExtendedStatistics:
                available = statisticsRead && extended;
                value = s.asioStatistics.U32(row.field);
                break;
            case AsioSource::Spacer: available = false; break;
            case AsioSource::BufferCounters:
                available = countersValid;
                value = s.asioInfo.U32(row.field);
                break;
        }
        if (available && value != ValueNotAvailable)
            list_.SetCellNumber(r, 1, value, row.unit, false, 0, NumberFormat::Unsigned);
        else
            list_.SetCellText(r, 1, Str::NotAvailable);
        ++r;
    }
}

const char* CDlgPgAsio::RowDescription(NodeCode, int row) const { return DescriptionOf(AsioRows(), row); }
