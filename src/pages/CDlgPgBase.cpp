#include "pages/CDlgPgBase.h"

CDlgPgBase::CDlgPgBase(const char* objectName, PageContext& context, QWidget* parent)
    : QWidget(parent), ctx_(context) {
    setObjectName(objectName);
}

void CDlgPgBase::Create(QWidget* parent) {
    setParent(parent);
}

const char* CDlgPgBase::RowDescription(NodeCode, int) const { return nullptr; }
