#include "controls/MeasuredHeader.h"

#include <QEvent>

MeasuredHeader::MeasuredHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {}

QSize MeasuredHeader::sectionSizeFromContents(int logicalIndex) const {
    if (model() == nullptr) return QHeaderView::sectionSizeFromContents(logicalIndex);
    if (style() != style_ || font() != font_ || measured_.size() >= MaxMeasured) {
        measured_.clear();
        style_ = style();
        font_ = font();
    }
    QString heading = model()->headerData(logicalIndex, orientation(), Qt::DisplayRole).toString();
    const auto found = measured_.constFind(heading);
    if (found != measured_.constEnd()) return *found;
    const QSize size = QHeaderView::sectionSizeFromContents(logicalIndex);
    measured_.insert(std::move(heading), size);
    return size;
}

void MeasuredHeader::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ScreenChangeInternal) measured_.clear();
    QHeaderView::changeEvent(event);
}
