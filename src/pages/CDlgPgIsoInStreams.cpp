#include "pages/CDlgPgIsoInStreams.h"

#include "base/NodeCode.h"

CDlgPgIsoInStreams::CDlgPgIsoInStreams(PageContext& context, CDlgPgSingleStream& single, QWidget* parent)
    : IsoStreamsPage("isoInStreamsPage", Dir::In, NodeKind_IsoInStreams, NodeKind_IsoInStream, context, single,
                     parent) {}

void CDlgPgIsoInStreams::OnSelect(NodeCode) {
    if (CachedCount == 0) return;
    BuildList();
    FillValues();
}
