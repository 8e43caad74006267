#include "pages/CDlgPgIsoStreamsBase.h"

#include <algorithm>
#include <array>

#include "base/NodeCode.h"
#include "driver/IsoStreamEntryRef.h"
#include "pages/CDlgPgSingleStream.h"
#include "rows/NodeNames.h"
#include "res/StringTable.h"
#include "rows/IsoStreamRows.h"
#include "rows/RowTable.h"

CDlgPgIsoStreamsBase::CDlgPgIsoStreamsBase(const char* objectName, Dir d, uint32_t rootKind, uint32_t childKind,
                                           PageContext& context, CDlgPgSingleStream& single, QWidget* parent)
    : CDlgPgListBase(objectName, context, parent),
      dir_(d),
      rootKind_(rootKind),
      childKind_(childKind),
      single_(single) {}

uint32_t CDlgPgIsoStreamsBase::Streams() const { return std::min(CachedCount, IsoStreamStatistics::Capacity); }

void CDlgPgIsoStreamsBase::Refresh() {
    const IsoStreamStatistics& stats = ctx_.dev.Snapshot().isoStreamStatistics;
    const uint32_t count = stats.Count(dir_);
    // Only an answer changes the streams: a failed read leaves nodes and columns as they are.
    if (ctx_.dev.Validity().isoStreams && count != CachedCount) {
        CachedCount = count;
        InsertTreeNodes();
        BuildList();
        // A stream of the other direction on show keeps its own layout; the next selection of
        // one of ours lays the page out again anyway.
        const uint32_t otherChild = dir_ == Dir::In ? NodeKind_IsoOutStream : NodeKind_IsoInStream;
        if (ctx_.tree.CurrentKind() != otherChild) single_.BuildList(dir_);
    }
    const uint32_t kind = ctx_.tree.CurrentKind();
    if (kind == rootKind_) {
        FillValues();
    } else if (kind == childKind_ && single_.StreamIndex < Streams()) {
        single_.FillValues(dir_, IsoStreamEntryRef::At(stats, dir_, single_.StreamIndex));
    }
}

void CDlgPgIsoStreamsBase::BuildList() {
    // Headings come from the streams' record: without an answer the list keeps the ones it has.
    if (!ctx_.dev.Validity().isoStreams) return;
    const IsoStreamStatistics& stats = ctx_.dev.Snapshot().isoStreamStatistics;
    list_.Clear();
    list_.InsertColumn(0, 150, Str::PropertyHeading, false);
    // An unreadable name is no reason for an empty heading, nor for another stream's name,
    // which would put this stream on the wrong device.
    const DeviceNameReads names = ReadNames();
    for (uint32_t s = 0; s < Streams(); ++s) {
        std::array<char, NameCapacity> name{};
        StreamName(names.Names(), stats, dir_, s, name);
        list_.InsertColumn(static_cast<int>(s) + 1, 130, name.data(), true, 0, TextSource::Driver);
    }
    int i = 0;
    for (const IsoStreamRow& row : IsoStreamRows(dir_)) list_.InsertRow(i++, row.name);
}

void CDlgPgIsoStreamsBase::FillValues() {
    const IsoStreamStatistics& stats = ctx_.dev.Snapshot().isoStreamStatistics;
    const bool extended = ctx_.dev.Published().ExtendedStatistics != 0;
    const bool answered = ctx_.dev.Validity().isoStreams;
    for (ColumnCursor = 0; ColumnCursor < Streams(); ++ColumnCursor) {
        RowCursor = 0;
        const IsoStreamEntryRef entry = IsoStreamEntryRef::At(stats, dir_, ColumnCursor);
        for (const IsoStreamRow& row : IsoStreamRows(dir_)) AddValueRow(IsoStreamCell(row, entry, extended, answered));
    }
}

void CDlgPgIsoStreamsBase::AddValueRow(const PageCell& cell) {
    list_.SetCell(RowCursor, ColumnCursor + 1, cell);
    ++RowCursor;
}

void CDlgPgIsoStreamsBase::InsertTreeNodes() {
    const IsoStreamStatistics& stats = ctx_.dev.Snapshot().isoStreamStatistics;
    // A selected stream that goes away comes back through the restore once it is there again.
    ctx_.restore.Open();
    ctx_.tree.DeleteChildren(rootKind_);
    const DeviceNameReads names = ReadNames();
    for (uint32_t s = 0; s < Streams(); ++s) {
        std::array<char, NameCapacity> name{};
        StreamName(names.Names(), stats, dir_, s, name);
        ctx_.tree.InsertChild(rootKind_, name.data(), MakeNodeCode(childKind_, s));
    }
}

DeviceNameReads CDlgPgIsoStreamsBase::ReadNames() {
    const IsoStreamStatistics& stats = ctx_.dev.Snapshot().isoStreamStatistics;
    DeviceNameReads names;
    names.Read(ctx_.dev, Streams(), [&](uint32_t s) { return IsoStreamEntryRef::At(stats, dir_, s).DeviceId(); });
    return names;
}

const char* CDlgPgIsoStreamsBase::RowDescription(NodeCode, int row) const {
    return DescriptionOf(IsoStreamRows(dir_), row);
}
