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

    Dir Direction() const { return dir_; }

protected:
    ChannelsPage(const char* objectName, Dir d, uint32_t rootKind, uint32_t childKind, PageContext& context,
                 CDlgPgSingleChannel& single, QWidget* parent);

private:
    const PageDescription& Page() const;
    // CachedCount, never beyond the snapshot's capacity.
    uint32_t Bundles() const;

    const Dir dir_;
    const uint32_t rootKind_;
    const uint32_t childKind_;
    CDlgPgSingleChannel& single_;
};
