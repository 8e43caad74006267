#include "controls/CListHeaderView.h"

#include <QEvent>

CListHeaderView::CListHeaderView(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {}

QSize CListHeaderView::sectionSizeFromContents(int logicalIndex) const {
    if (logicalIndex < 0 || logicalIndex >= ListColumnCapacity || model() == nullptr)
        return QHeaderView::sectionSizeFromContents(logicalIndex);
    if (style() != style_ || font() != font_) {
        Forget();
        style_ = style();
        font_ = font();
    }
    Measured& m = measured_[static_cast<std::size_t>(logicalIndex)];
    // Headings move along when a column is inserted before them: the text is the key, not the index.
    const QString heading = model()->headerData(logicalIndex, orientation(), Qt::DisplayRole).toString();
    if (!m.size.isValid() || m.heading != heading) {
        m.size = QHeaderView::sectionSizeFromContents(logicalIndex);
        m.heading = heading;
    }
    return m.size;
}

void CListHeaderView::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ScreenChangeInternal) Forget();
    QHeaderView::changeEvent(event);
}

void CListHeaderView::Forget() const {
    for (Measured& m : measured_) m.size = QSize();
}
