#pragma once

#include <cstdint>

#include "driver/DriverRecords.h"
#include "pages/ListPage.h"

// One channel bundle of either direction: a value column per channel, 17 rows each.
class CDlgPgSingleChannel : public ListPage {
    Q_OBJECT
public:
    explicit CDlgPgSingleChannel(PageContext& context, QWidget* parent = nullptr);

    // Lays the list out for bundle BundleIndex of direction d.
    void BuildList(Dir d);
    // Writes the values of every channel of that bundle.
    void FillValues(Dir d);

    // A bundle node of either direction: the page lays itself out for it and fills it.
    void OnSelect(NodeCode code) override;
    void ResetState() override;

    // The bundle shown: the view sets it from the node's index before it builds the page.
    uint32_t Bundle() const { return BundleIndex; }
    void SetBundle(uint32_t index) { BundleIndex = index; }

private:
    uint32_t BundleIndex = 0;

    // Channels of the bundle shown; none for a bundle the driver no longer reports.
    uint32_t ChannelCount(Dir d) const;
};
