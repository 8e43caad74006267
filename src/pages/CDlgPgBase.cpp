#include "pages/CDlgPgBase.h"

#include <cstdint>

#include "rows/PageDescription.h"

CDlgPgBase::CDlgPgBase(const char* objectName, PageContext& context, QWidget* parent)
    : QWidget(parent), ctx_(context) {
    setObjectName(objectName);
}

void CDlgPgBase::Create(QWidget* parent) {
    setParent(parent);
}

const char* CDlgPgBase::RowDescription(NodeCode code, int row) const {
    const PageDescription* page = PageOf(KindOf(code));
    if (page == nullptr) return nullptr;
    // No row at all (-1) is a row beyond the list: the channel lists describe that one too.
    return ::RowDescription(*page, row < 0 ? SIZE_MAX : static_cast<std::size_t>(row));
}
