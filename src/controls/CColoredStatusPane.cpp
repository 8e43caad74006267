#include "controls/CColoredStatusPane.h"

#include <QPainter>
#include <algorithm>

#include "controls/CColoredStatusBarCtrl.h"

CColoredStatusPane::CColoredStatusPane(CColoredStatusBarCtrl& bar, int pane, int minimumWidth)
    : QWidget(&bar), bar_(bar), pane_(pane), baseWidth_(minimumWidth) {
    setMinimumWidth(minimumWidth);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

// The pane never gets narrower than its text: a pane text is never cut.
void CColoredStatusPane::FitText() {
    const int textWidth = fontMetrics().horizontalAdvance(bar_.PaneText(pane_)) + 2 * CColoredStatusBarCtrl::TextIndent;
    setMinimumWidth(std::max(baseWidth_, textWidth));
}

QSize CColoredStatusPane::sizeHint() const { return {minimumWidth(), fontMetrics().height() + 4}; }

QSize CColoredStatusPane::minimumSizeHint() const { return sizeHint(); }

void CColoredStatusPane::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    bar_.DrawItem(painter, pane_, rect());
}
