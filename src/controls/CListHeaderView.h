#pragma once

#include <QFont>
#include <QHeaderView>
#include <QSize>
#include <QString>
#include <array>

#include "controls/ListCell.h"

class QStyle;

// The column headings of a CListColorCtrlEx. The list lays itself out on every row and column a
// page inserts, and every layout asks the header for its height, which Qt finds by measuring the
// text of each heading anew; here a heading is measured once, and again only when its text, the
// font, the style or the screen changes.
class CListHeaderView : public QHeaderView {
    Q_OBJECT

public:
    explicit CListHeaderView(QWidget* parent = nullptr);

protected:
    QSize sectionSizeFromContents(int logicalIndex) const override;
    void changeEvent(QEvent* event) override;

private:
    void Forget() const;

    struct Measured {
        QString heading;
        QSize size;  // invalid: not measured
    };
    mutable std::array<Measured, ListColumnCapacity> measured_{};
    // What the measures were taken with. A new font reaches the viewport, which lays the list out
    // again, before it reaches the header itself: the font is checked on every measure.
    mutable QFont font_;
    mutable const QStyle* style_ = nullptr;
};
