#include "pages/CDlgPgIsoOutStreams.h"

#include "base/NodeCode.h"

CDlgPgIsoOutStreams::CDlgPgIsoOutStreams(PageContext& context, CDlgPgSingleStream& single, QWidget* parent)
    : IsoStreamsPage("isoOutStreamsPage", NodeKind_IsoOutStreams, context, single, parent) {}

// Unlike the IN page, the OUT page runs its periodic update before it lays its list out again.
void CDlgPgIsoOutStreams::OnSelect(NodeCode) {
    if (CachedCount == 0) return;
    Refresh();
    BuildList();
    FillValues();
}
