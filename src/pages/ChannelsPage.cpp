#include "pages/ChannelsPage.h"

#include <algorithm>
#include <array>

#include "base/NodeCode.h"
#include "pages/CDlgPgSingleChannel.h"
#include "pages/DeviceNameReads.h"
#include "rows/PageDescription.h"

ChannelsPage::ChannelsPage(const char* objectName, uint32_t rootKind, PageContext& context, CDlgPgSingleChannel& single,
                           QWidget* parent)
    : ListPage(objectName, context, parent),
      page_(*PageOf(rootKind)),
      single_(single) {}

uint32_t ChannelsPage::Bundles() const { return std::min(CachedCount, StatisticsSnapshot::BundleCapacity); }

void ChannelsPage::Refresh() {
    const uint32_t count = ctx_.dev.Snapshot().bundleList.Count(page_.dir);
    // Only an answer changes the bundles: a failed read leaves nodes and rows as they are.
    if (ctx_.dev.Validity().bundleList && count != CachedCount) {
        CachedCount = count;
        InsertTreeNodes();
        BuildList();
    }
    if (ctx_.tree.CurrentKind() == page_.childKind) single_.FillValues(page_.dir);
}

void ChannelsPage::BuildList() {
    // Rows come from the bundles' records: without an answer the list keeps the ones it has.
    if (!ctx_.dev.Validity().bundleList) return;
    const StatisticsSnapshot& s = ctx_.dev.Snapshot();
    LayOut(page_);
    int r = 0;
    std::array<PageCell, 4> cells{};
    ListLayout& kept = Kept();
    kept.rows.clear();
    kept.deviceNames.clear();
    ForEachChannelRow(s, page_.dir, Bundles(), [&](uint32_t b, uint32_t c) {
        list_.InsertRow(r, "");
        const uint32_t deviceId = s.Channel(page_.dir, b, c).DeviceId();
        const char* device = ctx_.dev.GetDeviceName(deviceId);
        // A device's channels come one after another: one name each will do.
        if (device && (kept.deviceNames.empty() || kept.deviceNames.back().first != deviceId))
            kept.deviceNames.emplace_back(deviceId, device);
        const std::size_t n = ChannelRowCells(page_, s, b, c, device ? device : "", cells);
        std::vector<KeptCell>& row = kept.rows.emplace_back();
        for (std::size_t column = 0; column < n; ++column) {
            list_.SetCell(r, static_cast<int>(column), cells[column]);
            row.push_back(KeptCell{cells[column].kind, std::string(cells[column].text)});
        }
        ++r;
    });
}

void ChannelsPage::InsertTreeNodes() {
    const StatisticsSnapshot& s = ctx_.dev.Snapshot();
    // A selected bundle that goes away comes back through the restore once it is there again.
    ctx_.restore.Open();
    ctx_.tree.DeleteChildren(page_.kind);
    // A bundle without channels is still labelled from its first channel record. An unreadable
    // name leaves the name part empty on both pages: it is no reason to close the panel.
    DeviceNameReads names;
    names.Read(ctx_.dev, Bundles(), [&](uint32_t b) { return ItemDeviceId(page_, s, page_.kind, b); });
    Kept().labels.clear();
    for (uint32_t b = 0; b < Bundles(); ++b) {
        std::array<char, CDev::NameBufferSize + 48> label{};
        Kept().labels.emplace_back(label.data(), ChildLabel(page_, names.Names(), s, b, label));
        ctx_.tree.InsertChild(page_.kind, label.data(), MakeNodeCode(page_.childKind, b));
    }
}
