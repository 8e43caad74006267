#include "pages/ListPage.h"

#include <string>

#include "controls/DialogUnits.h"
#include "driver/CDev.h"
#include "driver/DriverRecords.h"
#include "res/ResourceIds.h"
#include "res/StringTable.h"

// The descriptions cut and count as the list and the driver layer do.
static_assert(PageCellCapacity == ListCellTextCapacity);
static_assert(PageValueColumns == ListColumnCapacity - 1);
static_assert(PageRowCapacity == ListRowCapacity);
static_assert(PageNameCapacity == CDev::NameBufferSize - 1);

ListPage::ListPage(const char* objectName, PageContext& context, QWidget* parent)
    : CDlgPgBase(objectName, context, parent), list_(this) {
    const DialogUnits du(font());
    resize(du.X(277), du.Y(292));
    list_.setObjectName("list");
    listArea_ = du.Rect(7, 7, 263, 278);
    list_.setGeometry(listArea_);
}

void ListPage::Grow(QSize extra) { list_.setGeometry(listArea_.adjusted(0, 0, extra.width(), extra.height())); }

void ListPage::ShowPlaceholder(std::string_view heading) {
    list_.Clear();
    list_.InsertColumn(1, 150, std::string(heading).c_str(), true);
    placeholder_ = true;
}

PageSources ListPage::Sources() const {
    return PageSources{ctx_.dev.Snapshot(), ctx_.dev.Validity(), ctx_.dev.Published().ExtendedStatistics != 0};
}

void ListPage::StartLayOut(const PageDescription& page) {
    list_.Clear();
    placeholder_ = false;
    for (const char* heading : page.headings)
        if (heading != nullptr) AddColumn(page, heading, TextSource::Panel);
}

void ListPage::AddColumn(const PageDescription& page, std::string_view heading, TextSource source) {
    const int column = list_.ColumnCount();
    const bool first = column == 0;
    list_.InsertColumn(column, first ? page.firstWidth : page.valueWidth, heading, !first && column <= page.autoColumns,
                       0, source);
}

void ListPage::AddRows(const PageDescription& page, bool blankValues) {
    for (std::size_t r = 0; r < RowCount(page); ++r) {
        const int row = static_cast<int>(r);
        list_.InsertRow(row, blankValues ? "" : RowName(page, r));
        if (blankValues) list_.SetCellText(row, 0, RowName(page, r));
    }
}

void ListPage::FillColumn(const PageDescription& page, const PageSources& sources, NodeCode node, uint32_t item,
                          const char* deviceName) {
    const int column = static_cast<int>(item) + 1;
    for (std::size_t r = 0; r < RowCount(page); ++r)
        list_.SetCell(static_cast<int>(r), column, ValueCell(page, sources, node, r, item, deviceName));
}
