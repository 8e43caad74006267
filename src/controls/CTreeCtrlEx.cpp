#include "controls/CTreeCtrlEx.h"

#include <QMouseEvent>
#include <QPalette>

#include "controls/MeasuredHeader.h"
#include "controls/TreeItemDelegate.h"

CTreeCtrlEx::CTreeCtrlEx(QWidget* parent) : QTreeWidget(parent) {
    // As the tree's own header is made: sections that move but not the first, the last stretched.
    auto* header = new MeasuredHeader(this);
    header->setSectionsMovable(true);
    header->setStretchLastSection(true);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setHeader(header);
    setHeaderHidden(true);
    setColumnCount(1);
    setRootIsDecorated(true);
    setItemsExpandable(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setItemDelegate(new TreeItemDelegate(this));
    // The selected node stays marked while the user works in the list beside the tree.
    QPalette shown = palette();
    shown.setBrush(QPalette::Inactive, QPalette::Highlight, shown.brush(QPalette::Active, QPalette::Highlight));
    shown.setBrush(QPalette::Inactive, QPalette::HighlightedText,
                   shown.brush(QPalette::Active, QPalette::HighlightedText));
    setPalette(shown);
}

void CTreeCtrlEx::DeleteChildren(QTreeWidgetItem* item) {
    if (item == nullptr) return;
    while (item->childCount() > 0) delete item->child(0);
}

namespace {
// The context menu event comes on its own, whatever happens to the press.
bool OtherButton(const QMouseEvent* event) { return event->button() != Qt::LeftButton; }
}  // namespace

void CTreeCtrlEx::mousePressEvent(QMouseEvent* event) {
    if (OtherButton(event)) {
        event->accept();
        return;
    }
    // Empty space counts too: any press resets the pane before the selection can move.
    emit paneHintRequested();
    QTreeWidget::mousePressEvent(event);
}

void CTreeCtrlEx::mouseReleaseEvent(QMouseEvent* event) {
    if (OtherButton(event)) {
        event->accept();
        return;
    }
    QTreeWidget::mouseReleaseEvent(event);
}

void CTreeCtrlEx::mouseDoubleClickEvent(QMouseEvent* event) {
    if (OtherButton(event)) {
        event->accept();
        return;
    }
    QTreeWidget::mouseDoubleClickEvent(event);
}

void CTreeCtrlEx::mouseMoveEvent(QMouseEvent* event) {
    // A drag with another button held selects nothing either.
    if (!(event->buttons() & Qt::LeftButton) && event->buttons() != Qt::NoButton) {
        event->accept();
        return;
    }
    QTreeWidget::mouseMoveEvent(event);
}
