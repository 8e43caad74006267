#pragma once

#include "pages/ChannelsPage.h"

// The "OUT Cannels" page: every output channel with its device, name and bundle type. Unlike
// the IN page, it is shown as it is when its node is selected.
class CDlgPgChannelsOut : public ChannelsPage {
    Q_OBJECT
public:
    CDlgPgChannelsOut(PageContext& context, CDlgPgSingleChannel& single, QWidget* parent = nullptr);
    // The same text for every row.
};
