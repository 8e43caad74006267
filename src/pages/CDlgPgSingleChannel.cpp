#include "pages/CDlgPgSingleChannel.h"

#include <span>

#include "res/StringTable.h"
#include "rows/PageDescription.h"

CDlgPgSingleChannel::CDlgPgSingleChannel(PageContext& context, QWidget* parent)
    : ListPage("singleChannelPage", context, parent) {}

void CDlgPgSingleChannel::OnSelect(NodeCode code) {
    const Dir d = KindOf(code) == NodeKind_ChannelIn ? Dir::In : Dir::Out;
    BundleIndex = IndexOf(code);
    BuildList(d);
    FillValues(d);
}

void CDlgPgSingleChannel::ResetState() {
    ListPage::ResetState();
    BundleIndex = 0;
}

namespace {
const PageDescription& PageFor(Dir d) { return *PageOf(d == Dir::In ? NodeKind_ChannelIn : NodeKind_ChannelOut); }
NodeCode NodeOf(Dir d, uint32_t bundle) { return MakeNodeCode(PageFor(d).kind, bundle); }
}  // namespace

uint32_t CDlgPgSingleChannel::ChannelCount(Dir d) const {
    return SnapshotItems(PageFor(d), Sources(), NodeOf(d, BundleIndex));
}

void CDlgPgSingleChannel::BuildList(Dir d) {
    // Channels 0 and 1 share the width beside "Property"; later ones get a fixed width.
    const PageDescription& page = PageFor(d);
    LayOut(page, ChannelCount(d), [&page](uint32_t c, std::span<char> text) { return ColumnHeading(page, c, text); });
}

void CDlgPgSingleChannel::FillValues(Dir d) {
    if (!ctx_.dev.Validity().bundleList) {
        // Which bundles there are is not known this time: the columns stay, their values do not.
        for (int column = 1; column < list_.ColumnCount(); ++column)
            for (size_t r = 0; r < RowCount(PageFor(d)); ++r)
                list_.SetCellText(static_cast<int>(r), column, Str::NotAvailable);
        return;
    }
    const uint32_t channels = ChannelCount(d);
    if (channels == 0) return;
    const PageSources sources = Sources();
    const PageDescription& page = PageFor(d);
    const NodeCode node = NodeOf(d, BundleIndex);
    for (uint32_t c = 0; c < channels; ++c) {
        // A device may have come or gone since the last refresh: ask for a fresh list first.
        if (page.requests & RequestDeviceList) ctx_.dev.ReadDevices();
        FillColumn(page, sources, node, c, ctx_.dev.GetDeviceName(ItemDeviceId(page, sources.snapshot, node, c)));
    }
}
