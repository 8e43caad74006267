#pragma once

#include <QFont>
#include <QHash>
#include <QSize>
#include <QString>
#include <QStyledItemDelegate>

class QStyle;

// Draws the nodes of a CTreeCtrlEx as the default delegate does, and measures each label once.
// The tree's column follows its widest node, so Qt measures every node again on every layout
// of the tree (a page rebuild inserts nodes one by one, a selection lays it out again); the
// measure depends on the label, the icon, the font, the icon size, the style and the options of the view, and is kept
// until one of them changes. The tree's nodes set nothing else that sizes them.
class TreeItemDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    // A node's mark beside its icon (its text stays as it is): 0 none, 1 a quiet dot for an
    // error counter that counts, 2 a red dot for one that rose within the last seconds.
    static constexpr int MarkRole = Qt::UserRole + 1;

    explicit TreeItemDelegate(QObject* parent = nullptr);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    struct Key {
        QString label;
        qint64 icon;
        friend bool operator==(const Key& a, const Key& b) { return a.icon == b.icon && a.label == b.label; }
        friend size_t qHash(const Key& k, size_t seed = 0) { return qHashMulti(seed, k.label, k.icon); }
    };
    // Labels come and go with the driver's devices: past this many, start again.
    static constexpr qsizetype MaxMeasured = 1024;

    mutable QHash<Key, QSize> measured_;
    mutable QFont font_;
    mutable QSize decorationSize_;
    mutable QStyleOptionViewItem::ViewItemFeatures features_;
    mutable const QStyle* style_ = nullptr;
};
