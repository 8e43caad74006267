#include "pages/CDlgPgIsoInStreams.h"

#include "base/NodeCode.h"

CDlgPgIsoInStreams::CDlgPgIsoInStreams(PageContext& context, CDlgPgSingleStream& single, QWidget* parent)
    : IsoStreamsPage("isoInStreamsPage", NodeKind_IsoInStreams, context, single, parent) {}

void CDlgPgIsoInStreams::OnSelect(NodeCode) {
    if (CachedCount == 0) return;
    BuildList();
    FillValues();
}
