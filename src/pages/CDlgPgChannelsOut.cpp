#include "pages/CDlgPgChannelsOut.h"

#include "base/NodeCode.h"
#include "res/StringTable.h"

CDlgPgChannelsOut::CDlgPgChannelsOut(PageContext& context, CDlgPgSingleChannel& single, QWidget* parent)
    : ChannelsPage("channelsOutPage", NodeKind_ChannelsOut, context, single, parent) {}
