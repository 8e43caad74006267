#include "pages/CDlgPgChannelsOut.h"

#include "base/NodeCode.h"
#include "res/StringTable.h"

CDlgPgChannelsOut::CDlgPgChannelsOut(PageContext& context, CDlgPgSingleChannel& single, QWidget* parent)
    : ChannelsPage("channelsOutPage", Dir::Out, NodeKind_ChannelsOut, NodeKind_ChannelOut, context,
                   single, parent) {}
