#pragma once

#include <cstdint>

#include "base/FormatGrouped.h"
#include "driver/DriverRecords.h"
#include "pages/ListPage.h"
#include "pages/DeviceNameReads.h"

class CDlgPgSingleStream;

// What the ISO IN and ISO OUT stream pages share: one column per stream of their direction,
// one child node per stream, and the single stream page kept up to date while it shows one
// of their streams.
class IsoStreamsPage : public ListPage {
    Q_OBJECT
public:
    void Refresh() override;
    void BuildList();
    void FillValues();
    void InsertTreeNodes();

    Dir Direction() const { return page_.dir; }

protected:
    // The page of node kind `rootKind`, as its description tells.
    IsoStreamsPage(const char* objectName, uint32_t rootKind, PageContext& context, CDlgPgSingleStream& single,
                   QWidget* parent);

private:
    // CachedCount, never beyond the record's capacity.
    uint32_t Streams() const;
    // The streams' device names, one request each.
    DeviceNameReads ReadNames();
    static constexpr size_t NameCapacity = CDev::NameBufferSize + 32;

    const PageDescription& page_;
    CDlgPgSingleStream& single_;
};
