#include "controls/StatusPane.h"

#include <QEvent>
#include <QPainter>
#include <algorithm>

#include "controls/CColoredStatusBarCtrl.h"

StatusPane::StatusPane(CColoredStatusBarCtrl& bar, int pane, int minimumWidth, QWidget* parent)
    : QWidget(parent), bar_(bar), pane_(pane), baseWidth_(minimumWidth) {
    setMinimumWidth(minimumWidth);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

// The pane never gets narrower than its text: a pane text is never cut.
void StatusPane::FitText() {
    if (font() != measuredFont_ || textWidths_.size() >= MaxMeasured) {
        textWidths_.clear();
        measuredFont_ = font();
    }
    QString text = bar_.PaneText(pane_);
    auto found = textWidths_.constFind(text);
    if (found == textWidths_.constEnd()) {
        const int width = fontMetrics().horizontalAdvance(text);
        found = textWidths_.insert(std::move(text), width);
    }
    setMinimumWidth(std::max(baseWidth_, *found + 2 * CColoredStatusBarCtrl::TextIndent));
}

QSize StatusPane::sizeHint() const { return {minimumWidth(), fontMetrics().height() + 4}; }

QSize StatusPane::minimumSizeHint() const { return sizeHint(); }

void StatusPane::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ScreenChangeInternal) textWidths_.clear();
    QWidget::changeEvent(event);
}

void StatusPane::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    bar_.DrawItem(painter, pane_, rect());
}
