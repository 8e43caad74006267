#pragma once

#include "pages/ChannelsPage.h"

// The "IN Cannels" page: every input channel with its device, name, format and direction.
class CDlgPgChannelsIn : public ChannelsPage {
    Q_OBJECT
public:
    CDlgPgChannelsIn(PageContext& context, CDlgPgSingleChannel& single, QWidget* parent = nullptr);
    void OnSelect(NodeCode code) override;
    // The same text for every row.
};
