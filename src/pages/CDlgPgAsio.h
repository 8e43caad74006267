#pragma once

#include "pages/ListPage.h"

// The "ASIO" page: the state of the driver's ASIO interface as a Property / Value list.
// CachedCount holds the sample rate the list was built for.
class CDlgPgAsio : public ListPage {
    Q_OBJECT
public:
    explicit CDlgPgAsio(PageContext& context, QWidget* parent = nullptr);

    void Refresh() override;
    void BuildList();
    void FillValues();
};
