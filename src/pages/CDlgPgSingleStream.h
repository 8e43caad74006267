#pragma once

#include <cstdint>

#include "base/FormatGrouped.h"
#include "driver/DriverRecords.h"
#include "driver/IsoStreamEntryRef.h"
#include "pages/ListPage.h"

// One isochronous stream of either direction: the counter names and one value column headed
// with the stream's isochronous channel number.
class CDlgPgSingleStream : public ListPage {
    Q_OBJECT
public:
    explicit CDlgPgSingleStream(PageContext& context, QWidget* parent = nullptr);

    // Lays the list out for direction d and the stream at StreamIndex.
    void BuildList(Dir d);
    // Writes the rows of direction d from one stream entry.
    void FillValues(Dir d, IsoStreamEntryRef entry);
    // Writes the cell at (RowCursor, 1) and moves RowCursor one row down.
    void AddValueRow(const PageCell& cell);

    // A stream node of either direction: the page lays itself out for it and fills it.
    void OnSelect(NodeCode code) override;
    void ResetState() override;

    // The stream shown: the view sets it from the node's index before it builds the page.
    uint32_t Stream() const { return StreamIndex; }
    void SetStream(uint32_t index) { StreamIndex = index; }
    // The row AddValueRow writes next.
    uint16_t Cursor() const { return RowCursor; }

private:
    uint32_t StreamIndex = 0;
    uint16_t RowCursor = 0;
};
