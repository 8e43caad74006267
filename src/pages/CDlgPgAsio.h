#pragma once

#include "pages/CDlgPgListBase.h"

// The "ASIO" page: the state of the driver's ASIO interface as a Property / Value list.
// CachedCount holds the sample rate the list was built for.
class CDlgPgAsio : public CDlgPgListBase {
    Q_OBJECT
public:
    explicit CDlgPgAsio(PageContext& context, QWidget* parent = nullptr);

    void Refresh() override;
    void BuildList();
    void FillValues();
};
