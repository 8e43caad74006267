#pragma once

#include <cstdint>
#include <string_view>

#include "base/FormatGrouped.h"
#include "controls/CListColorCtrlEx.h"
#include "pages/CDlgPgBase.h"
#include "rows/PageCells.h"

// The list template shared by every list page: one colour list control filling the page,
// and the count the list was last built for (0: not built).
class CDlgPgListBase : public CDlgPgBase {
    Q_OBJECT
public:
    CDlgPgListBase(const char* objectName, PageContext& context, QWidget* parent = nullptr);

    CListColorCtrlEx& List() { return list_; }
    const CListColorCtrlEx& List() const { return list_; }
    uint32_t CachedCount = 0;

    // The no-driver state: one heading spanning the list, nothing else.
    void ShowPlaceholder(std::string_view heading) override;
    void ResetState() override { CachedCount = 0; }
    void Grow(QSize extra) override;

protected:
    // What the row tables' cells read from: the latest refresh.
    PageSources Sources() const;

    CListColorCtrlEx list_;
    QRect listArea_;  // where the design puts the list
};
