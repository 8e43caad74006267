#pragma once

#include <QFont>
#include <QHash>
#include <QHeaderView>
#include <QSize>
#include <QString>

class QStyle;

// The column headings of the list and the tree. The list lays itself out on every row and column
// a page inserts, the tree sizes its column on every selection, and each time Qt measured the
// text of every heading anew; here each heading text is measured once, and again only when the
// font, the style or the screen changes. A heading's measure depends on nothing else: neither
// view sets icons, sort indicators or fonts of its own on its headings.
class MeasuredHeader : public QHeaderView {
    Q_OBJECT

public:
    explicit MeasuredHeader(QWidget* parent = nullptr);

protected:
    QSize sectionSizeFromContents(int logicalIndex) const override;
    void changeEvent(QEvent* event) override;

private:
    // Headings come and go with the driver's device names: past this many, start again.
    static constexpr qsizetype MaxMeasured = 256;

    mutable QHash<QString, QSize> measured_;
    // What the measures were taken with. A new font reaches the viewport, which lays the list out
    // again, before it reaches the header itself: the font is checked on every measure.
    mutable QFont font_;
    mutable const QStyle* style_ = nullptr;
};
