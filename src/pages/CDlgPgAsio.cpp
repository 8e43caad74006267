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
    const PageSources sources = Sources();
    int r = 0;
    for (const AsioRow& row : AsioRows()) list_.SetCell(r++, 1, AsioCell(sources, row));
}

const char* CDlgPgAsio::RowDescription(NodeCode, int row) const { return DescriptionOf(AsioRows(), row); }
