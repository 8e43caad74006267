#pragma once

#include <cstdint>

#include "driver/DriverRecords.h"
#include "pages/ListPage.h"

class CDlgPgSingleChannel;

// What the IN and OUT channel pages share: every channel of their direction, bundle after
// bundle, one row each; one child node per bundle; and the single channel page kept up to
// date while it shows one of their bundles.
class ChannelsPage : public ListPage {
    Q_OBJECT
public:
    void Refresh() override;
    void BuildList();
    void InsertTreeNodes();

    Dir Direction() const { return page_.dir; }

protected:
    // The page of node kind `rootKind`, as its description tells.
    ChannelsPage(const char* objectName, uint32_t rootKind, PageContext& context, CDlgPgSingleChannel& single,
                 QWidget* parent);

private:
    // CachedCount, never beyond the snapshot's capacity.
    uint32_t Bundles() const;

    const PageDescription& page_;
    CDlgPgSingleChannel& single_;
};
