#include "controls/CColoredStatusPane.h"

#include <QPainter>

#include "controls/CColoredStatusBarCtrl.h"

CColoredStatusPane::CColoredStatusPane(CColoredStatusBarCtrl& bar, int pane, int minimumWidth)
    : QWidget(&bar), bar_(bar), pane_(pane) {
    setMinimumWidth(minimumWidth);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

QSize CColoredStatusPane::sizeHint() const { return {minimumWidth(), fontMetrics().height() + 4}; }

QSize CColoredStatusPane::minimumSizeHint() const { return sizeHint(); }

void CColoredStatusPane::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    bar_.DrawItem(painter, pane_, rect());
}
