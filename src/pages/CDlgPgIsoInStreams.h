#pragma once

#include "pages/IsoStreamsPage.h"

// The "ISO IN Streams" page: the counters of every input stream side by side.
class CDlgPgIsoInStreams : public IsoStreamsPage {
    Q_OBJECT
public:
    CDlgPgIsoInStreams(PageContext& context, CDlgPgSingleStream& single, QWidget* parent = nullptr);
    void OnSelect(NodeCode code) override;
};
