#include "pages/CDlgPgChannelsIn.h"

#include "base/NodeCode.h"
#include "res/StringTable.h"

CDlgPgChannelsIn::CDlgPgChannelsIn(PageContext& context, CDlgPgSingleChannel& single, QWidget* parent)
    : ChannelsPage("channelsInPage", NodeKind_ChannelsIn, context, single, parent) {}

// The list is laid out again before the periodic update, which fills the single channel page.
void CDlgPgChannelsIn::OnSelect(NodeCode) {
    if (CachedCount == 0) return;
    BuildList();
    Refresh();
}
