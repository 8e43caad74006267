#include "pages/CDlgPgSingleStream.h"

#include <span>

#include "rows/IsoStreamRows.h"
#include "rows/PageDescription.h"

namespace {
Dir DirectionOf(NodeCode code) { return KindOf(code) == NodeKind_IsoInStream ? Dir::In : Dir::Out; }
const PageDescription& PageFor(Dir d) { return *PageOf(d == Dir::In ? NodeKind_IsoInStream : NodeKind_IsoOutStream); }
}  // namespace

CDlgPgSingleStream::CDlgPgSingleStream(PageContext& context, QWidget* parent)
    : ListPage("singleStreamPage", context, parent) {}

void CDlgPgSingleStream::BuildList(Dir d) {
    const IsoStreamEntryRef entry = IsoStreamEntryRef::At(ctx_.dev.Snapshot().isoStreamStatistics, d, StreamIndex);
    const bool answered = ctx_.dev.Validity().isoStreams;
    // A stream index beyond the streams writes no values: its cells stay empty.
    auto heading = [&](uint32_t, std::span<char> text) { return StreamHeading(answered, entry.IsoChannel(), text); };
    LayOut(PageFor(d), 1, heading, TextSource::Panel, true);
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
    ListPage::ResetState();
    StreamIndex = 0;
}
