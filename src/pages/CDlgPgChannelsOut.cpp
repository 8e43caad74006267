#include "pages/CDlgPgChannelsOut.h"

#include "base/NodeCode.h"
#include "res/ResourceIds.h"
#include "res/StringTable.h"

CDlgPgChannelsOut::CDlgPgChannelsOut(PageContext& context, CDlgPgSingleChannel& single, QWidget* parent)
    : CDlgPgChannelsBase(Res::IDD_PAGE_CHANNELS_OUT, Dir::Out, NodeKind_ChannelsOut, NodeKind_ChannelOut, context,
                         single, parent) {}

const char* CDlgPgChannelsOut::RowDescription(int) { return Str::AllOutChannels; }
