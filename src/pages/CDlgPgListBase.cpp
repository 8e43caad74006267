#include "pages/CDlgPgListBase.h"

#include <string>

#include "controls/DialogUnits.h"
#include "driver/DriverRecords.h"
#include "res/ResourceIds.h"
#include "res/StringTable.h"

CDlgPgListBase::CDlgPgListBase(const char* objectName, PageContext& context, QWidget* parent)
    : CDlgPgBase(objectName, context, parent), list_(this) {
    const DialogUnits du(font());
    resize(du.X(277), du.Y(292));
    list_.setObjectName("list");
    listArea_ = du.Rect(7, 7, 263, 278);
    list_.setGeometry(listArea_);
}

void CDlgPgListBase::Grow(QSize extra) { list_.setGeometry(listArea_.adjusted(0, 0, extra.width(), extra.height())); }

void CDlgPgListBase::ShowPlaceholder(std::string_view heading) {
    list_.Clear();
    list_.InsertColumn(1, 150, std::string(heading).c_str(), true);
}

PageSources CDlgPgListBase::Sources() const {
    return PageSources{ctx_.dev.Snapshot(), ctx_.dev.Validity(), ctx_.dev.Published().ExtendedStatistics != 0};
}
