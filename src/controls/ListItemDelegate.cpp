#include "controls/ListItemDelegate.h"

#include "controls/CListColorCtrlEx.h"

void ListItemDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    if (!(option->state & QStyle::State_Selected)) return;
    option->state &= ~QStyle::State_Selected;
    const auto* list = qobject_cast<const CListColorCtrlEx*>(option->widget);
    if (!list || !list->SelectionShown()) return;
    const QColor highlight = option->palette.color(QPalette::Active, QPalette::Highlight);
    const QColor base = option->backgroundBrush.style() == Qt::NoBrush ? option->palette.color(QPalette::Base)
                                                                        : option->backgroundBrush.color();
    auto mix = [](int from, int to) { return static_cast<int>(from + (to - from) * Tint + 0.5); };
    option->backgroundBrush = QColor(mix(base.red(), highlight.red()), mix(base.green(), highlight.green()),
                                     mix(base.blue(), highlight.blue()));
}
