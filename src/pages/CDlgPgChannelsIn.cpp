#include "pages/CDlgPgChannelsIn.h"

#include "base/NodeCode.h"
#include "res/ResourceIds.h"
#include "res/StringTable.h"

CDlgPgChannelsIn::CDlgPgChannelsIn(PageContext& context, CDlgPgSingleChannel& single, QWidget* parent)
    : CDlgPgChannelsBase(Res::IDD_PAGE_CHANNELS_IN, Dir::In, NodeKind_ChannelsIn, NodeKind_ChannelIn, context, single,
                         parent) {}

const char* CDlgPgChannelsIn::RowDescription(int) { return Str::AllInChannels; }
