#include "pages/CDlgPgDevices.h"

#include <span>

#include "base/NodeCode.h"
#include "rows/PageDescription.h"

CDlgPgDevices::CDlgPgDevices(PageContext& context, QWidget* parent)
    : ListPage("devicesPage", context, parent) {}

// Devices beyond the list's 50 columns are not shown.
uint32_t CDlgPgDevices::Columns() const { return ItemColumns(*PageOf(NodeKind_Devices), CachedCount); }

void CDlgPgDevices::Refresh() {
    const uint32_t count = ctx_.dev.DeviceCount();
    if (count != CachedCount) {
        ctx_.restore.Open();
        CachedCount = count;
        BuildList();
    }
    if (ctx_.tree.CurrentKind() == NodeKind_Devices) FillValues();
}

void CDlgPgDevices::BuildList() {
    const PageDescription& page = *PageOf(NodeKind_Devices);
    Kept().items = CachedCount;
    LayOut(page, Columns(), [&page](uint32_t i, std::span<char> text) { return ColumnHeading(page, i, text); });
}

void CDlgPgDevices::FillValues() {
    const PageDescription& page = *PageOf(NodeKind_Devices);
    // The only reader of the global records, so the sample rate is fresh only while shown.
    if (page.requests & RequestGlobalInfo) ctx_.dev.ReadGlobalInfo();
    const PageSources sources = Sources();
    for (uint32_t i = 0; i < Columns(); ++i) FillColumn(page, sources, NodeKind_Devices, i);
}
