#pragma once

#include "pages/IsoStreamsPage.h"

// The "ISO OUT Streams" page: the counters of every output stream side by side.
class CDlgPgIsoOutStreams : public IsoStreamsPage {
    Q_OBJECT
public:
    CDlgPgIsoOutStreams(PageContext& context, CDlgPgSingleStream& single, QWidget* parent = nullptr);
    void OnSelect(NodeCode code) override;
};
