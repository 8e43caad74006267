#include "pages/CDlgPgIsoOutStreams.h"

#include "base/NodeCode.h"
#include "res/ResourceIds.h"
#include "rows/IsoStreamRows.h"
#include "rows/RowTable.h"

CDlgPgIsoOutStreams::CDlgPgIsoOutStreams(PageContext& context, CDlgPgSingleStream& single, QWidget* parent)
    : CDlgPgIsoStreamsBase(Res::IDD_PAGE_ISO_OUT, Dir::Out, NodeKind_IsoOutStreams, NodeKind_IsoOutStream, context,
                           single, parent) {}

const char* CDlgPgIsoOutStreams::RowDescription(int row) { return DescriptionOf(IsoStreamRows(Dir::Out), row); }
