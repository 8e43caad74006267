#include "controls/CColoredStatusBarCtrl.h"

#include <QLayout>
#include <QPainter>
#include <cstddef>

#include "controls/StatusPane.h"
#include "controls/Latin1Text.h"
#include "controls/QtColour.h"
#include "controls/StatusPaneLayout.h"

namespace {

constexpr std::array<int, CColoredStatusBarCtrl::PaneCount> PaneMinimumWidths = {200, 200, 100};
// Status texts are the panel's own; the bound only guards against a runaway caller.
constexpr std::size_t PaneTextCapacity = 256;

}  // namespace

CColoredStatusBarCtrl::CColoredStatusBarCtrl(QWidget* parent) : QStatusBar(parent) {
    // Permanent, so that status tips shown by menus and toolbars cannot hide the panes.
    auto* row = new QWidget(this);
    row->setObjectName("statusPanes");
    paneLayout_ = new StatusPaneLayout(row);
    for (int pane = 0; pane < PaneCount; ++pane) {
        panes_[static_cast<std::size_t>(pane)].layout.setTextFormat(Qt::PlainText);
        auto* widget = new StatusPane(*this, pane, PaneMinimumWidths[static_cast<std::size_t>(pane)], row);
        paneWidgets_[static_cast<std::size_t>(pane)] = widget;
        paneLayout_->addWidget(widget);
    }
    addPermanentWidget(row, 1);
}

void CColoredStatusBarCtrl::SetPane(int pane, std::string_view text, Colour background, Colour foreground) {
    if (!IsPane(pane)) return;
    PaneState& state = panes_[static_cast<std::size_t>(pane)];
    if (AssignLatin1(state.text, text.substr(0, PaneTextCapacity))) {
        state.layout.setText(state.text);
        paneWidgets_[static_cast<std::size_t>(pane)]->FitText();
    }
    state.background = background;
    state.foreground = foreground;
    lastPane_ = pane;
}

void CColoredStatusBarCtrl::RepaintNow() {
    ++repaintCount_;
    // A pane whose text grew gets its width before it is painted, not after.
    paneLayout_->activate();
    if (layout()) layout()->activate();
    repaint();
}

void CColoredStatusBarCtrl::DrawItem(QPainter& painter, int pane, const QRect& rect) const {
    if (!IsPane(pane)) return;
    const PaneState& state = panes_[static_cast<std::size_t>(pane)];
    painter.fillRect(rect, ToQColor(state.background));
    painter.setPen(ToQColor(state.foreground));
    painter.setBackgroundMode(Qt::TransparentMode);
    // One line from the top left, in full: the pane clips it but never shortens it.
    painter.drawStaticText(QPointF(rect.left() + TextIndent, rect.top()), state.layout);
}

QString CColoredStatusBarCtrl::PaneText(int pane) const {
    return IsPane(pane) ? panes_[static_cast<std::size_t>(pane)].text : QString();
}

Colour CColoredStatusBarCtrl::PaneBackground(int pane) const {
    return IsPane(pane) ? panes_[static_cast<std::size_t>(pane)].background : Colours::Black;
}

Colour CColoredStatusBarCtrl::PaneForeground(int pane) const {
    return IsPane(pane) ? panes_[static_cast<std::size_t>(pane)].foreground : Colours::Black;
}

StatusPane* CColoredStatusBarCtrl::PaneWidget(int pane) const {
    return IsPane(pane) ? paneWidgets_[static_cast<std::size_t>(pane)] : nullptr;
}
