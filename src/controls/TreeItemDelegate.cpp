#include "controls/TreeItemDelegate.h"

#include <QApplication>
#include <QIcon>
#include <QPainter>
#include <QStyle>
#include <QWidget>

#include "base/Colours.h"
#include "controls/QtColour.h"

TreeItemDelegate::TreeItemDelegate(QObject* parent) : QStyledItemDelegate(parent) {}

void TreeItemDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    QStyledItemDelegate::paint(painter, option, index);
    const int mark = index.data(MarkRole).toInt();
    if (mark == 0) return;
    // On the lower right corner of the icon, where the node's text is not.
    QStyleOptionViewItem o = option;
    initStyleOption(&o, index);
    const QStyle* style = option.widget ? option.widget->style() : QApplication::style();
    const QRect icon = style->subElementRect(QStyle::SE_ItemViewItemDecoration, &o, option.widget);
    const qreal r = mark == 2 ? 3.5 : 2.5;
    const QPointF centre(icon.right() - r + 1, icon.bottom() - r + 1);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(QPen(Qt::white, 1));
    painter->setBrush(ToQColor(mark == 2 ? Colours::Highlight : Colours::TreeMarkStanding));
    painter->drawEllipse(centre, r, r);
    painter->restore();
}

QSize TreeItemDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    const QStyle* style = option.widget ? option.widget->style() : QApplication::style();
    if (style != style_ || option.font != font_ || option.decorationSize != decorationSize_ ||
        option.features != features_ || measured_.size() >= MaxMeasured) {
        measured_.clear();
        style_ = style;
        font_ = option.font;
        decorationSize_ = option.decorationSize;
        features_ = option.features;
    }
    const QVariant icon = index.data(Qt::DecorationRole);
    Key key{index.data(Qt::DisplayRole).toString(), icon.isValid() ? qvariant_cast<QIcon>(icon).cacheKey() : 0};
    const auto found = measured_.constFind(key);
    if (found != measured_.constEnd()) return *found;
    const QSize size = QStyledItemDelegate::sizeHint(option, index);
    measured_.insert(std::move(key), size);
    return size;
}
