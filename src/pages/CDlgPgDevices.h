#pragma once

#include "pages/ListPage.h"

// The "Devices" page: one column per connected device. CachedCount holds the number of
// devices the list was built for.
class CDlgPgDevices : public ListPage {
    Q_OBJECT
public:
    explicit CDlgPgDevices(PageContext& context, QWidget* parent = nullptr);

    void Refresh() override;
    void BuildList();
    void FillValues();

private:
    // CachedCount, cut to the columns the list can hold beside "Property".
    uint32_t Columns() const;
};
