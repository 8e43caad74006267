#pragma once

#include <QLayout>
#include <QList>

// The status panes side by side, as the platform's status bar stretches them: each pane gets
// its own width (its minimum width) plus an equal share of the room left over.
class StatusPaneLayout : public QLayout {
public:
    // Pixels between two panes.
    static constexpr int Gap = 2;

    explicit StatusPaneLayout(QWidget* parent = nullptr);
    ~StatusPaneLayout() override;

    void addItem(QLayoutItem* item) override;
    QLayoutItem* itemAt(int index) const override;
    QLayoutItem* takeAt(int index) override;
    int count() const override { return static_cast<int>(items_.size()); }
    QSize sizeHint() const override;
    QSize minimumSize() const override;
    void setGeometry(const QRect& rect) override;

private:
    QList<QLayoutItem*> items_;
};
