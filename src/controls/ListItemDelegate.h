#pragma once

#include <QStyledItemDelegate>

// Draws the cells of a colour list. As the platform's list view does, the selection shows only
// while the list has the focus; then a light tint of the highlight marks it, under the cell's
// own text colour, so that a red error counter stays readable red when selected.
class ListItemDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    // Share of the highlight colour in a selected cell's background.
    static constexpr double Tint = 0.35;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
};
