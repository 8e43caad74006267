#pragma once

#include <QTreeWidget>

// The statistics tree: removes a node's children in one call and asks for the description
// pane's hint whenever the left button goes down in it. Only the left button and the keyboard
// select; the other buttons leave the selection where it is.
class CTreeCtrlEx : public QTreeWidget {
    Q_OBJECT

public:
    explicit CTreeCtrlEx(QWidget* parent = nullptr);

    // Deletes every direct child of `item` together with their own children.
    void DeleteChildren(QTreeWidgetItem* item);

signals:
    void paneHintRequested();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
};
