#include "controls/CTreeItemDelegate.h"

#include <QApplication>
#include <QIcon>
#include <QStyle>
#include <QWidget>

CTreeItemDelegate::CTreeItemDelegate(QObject* parent) : QStyledItemDelegate(parent) {}

QSize CTreeItemDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
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
