#pragma once

#include "pages/CDlgPgIsoStreamsBase.h"

// The "ISO IN Streams" page: the counters of every input stream side by side.
class CDlgPgIsoInStreams : public CDlgPgIsoStreamsBase {
    Q_OBJECT
public:
    CDlgPgIsoInStreams(PageContext& context, CDlgPgSingleStream& single, QWidget* parent = nullptr);
    void OnSelect(NodeCode code) override;
};
