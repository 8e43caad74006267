#include "pages/CDlgPgAsio.h"

#include "rows/PageDescription.h"

CDlgPgAsio::CDlgPgAsio(PageContext& context, QWidget* parent) : ListPage("asioPage", context, parent) {}

void CDlgPgAsio::Refresh() {
    const uint32_t rate = ctx_.dev.Snapshot().asioStatistics.SampleRate();
    // A failed read is no change of the sample rate.
    if (ctx_.dev.Validity().asioStatistics && rate != CachedCount) {
        CachedCount = rate;
        BuildList();
    }
    FillValues();
}

void CDlgPgAsio::BuildList() { LayOut(*PageOf(NodeKind_Asio)); }

void CDlgPgAsio::FillValues() { FillColumn(*PageOf(NodeKind_Asio), Sources(), NodeKind_Asio, 0); }
