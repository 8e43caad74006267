#include "pages/CDlgPgBase.h"

CDlgPgBase::CDlgPgBase(int templateId, PageContext& context, QWidget* parent)
    : QWidget(parent), ctx_(context), templateId_(templateId) {}

void CDlgPgBase::Create(QWidget* parent) {
    setParent(parent);
}
