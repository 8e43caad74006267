#include "pages/CDlgPgBase.h"

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
    if (page == nullptr || row < 0) return nullptr;
    return ::RowDescription(*page, static_cast<std::size_t>(row));
}
