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

    Dir Direction() const { return dir_; }

protected:
    IsoStreamsPage(const char* objectName, Dir d, uint32_t rootKind, uint32_t childKind, PageContext& context,
                   CDlgPgSingleStream& single, QWidget* parent);

private:
    const PageDescription& Page() const;
    // CachedCount, never beyond the record's capacity.
    uint32_t Streams() const;
    // The streams' device names, one request each.
    DeviceNameReads ReadNames();
    static constexpr size_t NameCapacity = CDev::NameBufferSize + 32;

    const Dir dir_;
    const uint32_t rootKind_;
    const uint32_t childKind_;
    CDlgPgSingleStream& single_;
};
