#include "controls/StatusPaneLayout.h"

#include <QWidget>
#include <algorithm>

StatusPaneLayout::StatusPaneLayout(QWidget* parent) : QLayout(parent) { setContentsMargins(0, 0, 0, 0); }

StatusPaneLayout::~StatusPaneLayout() {
    while (!items_.isEmpty()) delete items_.takeLast();
}

void StatusPaneLayout::addItem(QLayoutItem* item) { items_.append(item); }

QLayoutItem* StatusPaneLayout::itemAt(int index) const {
    return index >= 0 && index < items_.size() ? items_.at(index) : nullptr;
}

QLayoutItem* StatusPaneLayout::takeAt(int index) {
    return index >= 0 && index < items_.size() ? items_.takeAt(index) : nullptr;
}

QSize StatusPaneLayout::minimumSize() const {
    int width = 0;
    int height = 0;
    for (const QLayoutItem* item : items_) {
        width += item->minimumSize().width();
        height = std::max(height, item->sizeHint().height());
    }
    return {width + Gap * std::max<int>(0, static_cast<int>(items_.size()) - 1), height};
}

QSize StatusPaneLayout::sizeHint() const { return minimumSize(); }

void StatusPaneLayout::setGeometry(const QRect& rect) {
    QLayout::setGeometry(rect);
    if (items_.isEmpty()) return;
    const int n = static_cast<int>(items_.size());
    const int extra = std::max(0, rect.width() - minimumSize().width());
    const int share = extra / n;
    int x = rect.left();
    for (int i = 0; i < n; ++i) {
        QLayoutItem* item = items_.at(i);
        // What the equal shares leave over goes to the last pane, so the panes fill the bar.
        const int width = item->minimumSize().width() + share + (i == n - 1 ? extra - share * n : 0);
        item->setGeometry(QRect(x, rect.top(), width, rect.height()));
        x += width + Gap;
    }
}
