#include "pages/CDlgPgSingleStream.h"

#include <array>
#include <cstdio>

#include "res/StringTable.h"
#include "rows/IsoStreamRows.h"
#include "rows/RowTable.h"

namespace {
Dir DirectionOf(NodeCode code) { return KindOf(code) == NodeKind_IsoInStream ? Dir::In : Dir::Out; }
}  // namespace

CDlgPgSingleStream::CDlgPgSingleStream(PageContext& context, QWidget* parent)
    : CDlgPgListBase("singleStreamPage", context, parent) {}

void CDlgPgSingleStream::BuildList(Dir d) {
    list_.Clear();
    const IsoStreamEntryRef entry = IsoStreamEntryRef::At(ctx_.dev.Snapshot().isoStreamStatistics, d, StreamIndex);
    std::array<char, 32> heading{};
    if (ctx_.dev.Validity().isoStreams)
        std::snprintf(heading.data(), heading.size(), Str::StreamHeadingFormat, Str::StreamWord,
                      static_cast<unsigned>(entry.IsoChannel()));
    else  // no channel number to tell without an answer
        std::snprintf(heading.data(), heading.size(), "%s %s", Str::StreamWord, Str::NotAvailable);
    list_.InsertColumn(0, 210, Str::PropertyHeading, false);
    list_.InsertColumn(1, 145, heading.data(), true);
    int i = 0;
    for (const IsoStreamRow& row : IsoStreamRows(d)) {
        list_.InsertRow(i, "");
        list_.SetCellText(i, 0, row.name);
        ++i;
    }
}

void CDlgPgSingleStream::FillValues(Dir d, IsoStreamEntryRef entry) {
    RowCursor = 0;
    const bool extended = ctx_.dev.Published().ExtendedStatistics != 0;
    const bool answered = ctx_.dev.Validity().isoStreams;
    for (const IsoStreamRow& row : IsoStreamRows(d)) AddValueRow(IsoStreamCell(row, entry, extended, answered));
}

void CDlgPgSingleStream::AddValueRow(const PageCell& cell) {
    list_.SetCell(RowCursor, 1, cell);
    ++RowCursor;
}

void CDlgPgSingleStream::OnSelect(NodeCode code) {
    const Dir d = DirectionOf(code);
    StreamIndex = IndexOf(code);
    BuildList(d);
    FillValues(d, IsoStreamEntryRef::At(ctx_.dev.Snapshot().isoStreamStatistics, d, StreamIndex));
}

void CDlgPgSingleStream::ResetState() {
    CDlgPgListBase::ResetState();
    StreamIndex = 0;
}

const char* CDlgPgSingleStream::RowDescription(NodeCode code, int row) const {
    return DescriptionOf(IsoStreamRows(DirectionOf(code)), row);
}
