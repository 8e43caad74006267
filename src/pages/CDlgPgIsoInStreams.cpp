#include "pages/CDlgPgIsoInStreams.h"

#include "base/NodeCode.h"
#include "res/ResourceIds.h"
#include "rows/IsoStreamRows.h"
#include "rows/RowTable.h"

CDlgPgIsoInStreams::CDlgPgIsoInStreams(PageContext& context, CDlgPgSingleStream& single, QWidget* parent)
    : CDlgPgIsoStreamsBase(Res::IDD_PAGE_ISO_IN, Dir::In, NodeKind_IsoInStreams, NodeKind_IsoInStream, context, single,
                           parent) {}

const char* CDlgPgIsoInStreams::RowDescription(int row) { return DescriptionOf(IsoStreamRows(Dir::In), row); }
