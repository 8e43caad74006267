#include "pages/IsoStreamsPage.h"

#include <algorithm>
#include <array>

#include "base/NodeCode.h"
#include "driver/IsoStreamEntryRef.h"
#include "pages/CDlgPgSingleStream.h"
#include "rows/PageDescription.h"

IsoStreamsPage::IsoStreamsPage(const char* objectName, Dir d, uint32_t rootKind, uint32_t childKind,
                               PageContext& context, CDlgPgSingleStream& single, QWidget* parent)
    : ListPage(objectName, context, parent),
      dir_(d),
      rootKind_(rootKind),
      childKind_(childKind),
      single_(single) {}

const PageDescription& IsoStreamsPage::Page() const { return *PageOf(rootKind_); }

uint32_t IsoStreamsPage::Streams() const { return ItemColumns(Page(), CachedCount); }

void IsoStreamsPage::Refresh() {
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
    } else if (kind == childKind_ && single_.Stream() < Streams()) {
        single_.FillValues(dir_, IsoStreamEntryRef::At(stats, dir_, single_.Stream()));
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
        Page(), Streams(),
        [&](uint32_t s, std::span<char> text) {
            const std::size_t length = ChildLabel(Page(), names.Names(), snapshot, s, text);
            Kept().headings.emplace_back(text.data(), length);
            return length;
        },
        TextSource::Driver);
}

void IsoStreamsPage::FillValues() {
    const PageSources sources = Sources();
    for (uint32_t stream = 0; stream < Streams(); ++stream) FillColumn(Page(), sources, rootKind_, stream);
}

void IsoStreamsPage::InsertTreeNodes() {
    const StatisticsSnapshot& snapshot = ctx_.dev.Snapshot();
    // A selected stream that goes away comes back through the restore once it is there again.
    ctx_.restore.Open();
    ctx_.tree.DeleteChildren(rootKind_);
    const DeviceNameReads names = ReadNames();
    Kept().labels.clear();
    for (uint32_t s = 0; s < Streams(); ++s) {
        std::array<char, NameCapacity> name{};
        Kept().labels.emplace_back(name.data(), ChildLabel(Page(), names.Names(), snapshot, s, name));
        ctx_.tree.InsertChild(rootKind_, name.data(), MakeNodeCode(Page().childKind, s));
    }
}

DeviceNameReads IsoStreamsPage::ReadNames() {
    const StatisticsSnapshot& snapshot = ctx_.dev.Snapshot();
    DeviceNameReads names;
    names.Read(ctx_.dev, Streams(), [&](uint32_t s) { return ItemDeviceId(Page(), snapshot, rootKind_, s); });
    return names;
}
