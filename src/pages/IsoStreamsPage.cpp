#include "pages/IsoStreamsPage.h"

#include <algorithm>
#include <array>

#include "base/NodeCode.h"
#include "driver/IsoStreamEntryRef.h"
#include "pages/CDlgPgSingleStream.h"
#include "rows/PageDescription.h"

IsoStreamsPage::IsoStreamsPage(const char* objectName, uint32_t rootKind, PageContext& context, CDlgPgSingleStream& single,
                               QWidget* parent)
    : ListPage(objectName, context, parent),
      page_(*PageOf(rootKind)),
      single_(single) {}

uint32_t IsoStreamsPage::Streams() const { return ItemColumns(page_, CachedCount); }

void IsoStreamsPage::Refresh() {
    const IsoStreamStatistics& stats = ctx_.dev.Snapshot().isoStreamStatistics;
    const uint32_t count = stats.Count(page_.dir);
    // Only an answer changes the streams: a failed read leaves nodes and columns as they are.
    if (ctx_.dev.Validity().isoStreams && count != CachedCount) {
        CachedCount = count;
        InsertTreeNodes();
        BuildList();
        // A stream of the other direction on show keeps its own layout; the next selection of
        // one of ours lays the page out again anyway.
        const uint32_t otherChild = page_.dir == Dir::In ? NodeKind_IsoOutStream : NodeKind_IsoInStream;
        if (ctx_.tree.CurrentKind() != otherChild) single_.BuildList(page_.dir);
    }
    const uint32_t kind = ctx_.tree.CurrentKind();
    if (kind == page_.kind) {
        FillValues();
    } else if (kind == page_.childKind && single_.Stream() < Streams()) {
        single_.FillValues(page_.dir, IsoStreamEntryRef::At(stats, page_.dir, single_.Stream()));
    }
}

void IsoStreamsPage::BuildList() {
    // Headings come from the streams' record: without an answer the list keeps the ones it has.
    if (!ctx_.dev.Validity().isoStreams) return;
    const StatisticsSnapshot& snapshot = ctx_.dev.Snapshot();
    // An unreadable name is no reason for an empty heading, nor for another stream's name,
    // which would put this stream on the wrong device.
    const DeviceNameReads names = ReadNames();
    Kept().headings.clear();
    LayOut(
        page_, Streams(),
        [&](uint32_t s, std::span<char> text) {
            const std::size_t length = ChildLabel(page_, names.Names(), snapshot, s, text);
            Kept().headings.emplace_back(text.data(), length);
            return length;
        },
        TextSource::Driver);
}

void IsoStreamsPage::FillValues() {
    const PageSources sources = Sources();
    for (uint32_t stream = 0; stream < Streams(); ++stream) FillColumn(page_, sources, page_.kind, stream);
}

void IsoStreamsPage::InsertTreeNodes() {
    const StatisticsSnapshot& snapshot = ctx_.dev.Snapshot();
    // A selected stream that goes away comes back through the restore once it is there again.
    ctx_.restore.Open();
    ctx_.tree.DeleteChildren(page_.kind);
    const DeviceNameReads names = ReadNames();
    Kept().labels.clear();
    for (uint32_t s = 0; s < Streams(); ++s) {
        std::array<char, NameCapacity> name{};
        Kept().labels.emplace_back(name.data(), ChildLabel(page_, names.Names(), snapshot, s, name));
        ctx_.tree.InsertChild(page_.kind, name.data(), MakeNodeCode(page_.childKind, s));
    }
}

DeviceNameReads IsoStreamsPage::ReadNames() {
    const StatisticsSnapshot& snapshot = ctx_.dev.Snapshot();
    DeviceNameReads names;
    names.Read(ctx_.dev, Streams(), [&](uint32_t s) { return ItemDeviceId(page_, snapshot, page_.kind, s); });
    return names;
}
