#pragma once

#include <QWidget>

#include "base/NodeCode.h"
#include "rows/CounterRef.h"

class QLabel;
class QTreeWidget;
class QTreeWidgetItem;
class ErrorWatch;

// The window "Problems": one row per error counter that is not 0, with where it counts, its
// value, its rise over the last minute and the time of its last rise, newest rise first. Rows
// of a stream or channel that has gone stay, greyed, with the time it went. A double-click
// asks the panel to show the counter's node and row.
class ProblemsDialog : public QWidget {
    Q_OBJECT
public:
    // Rows listed at most: at maximum load thousands of counters may count.
    static constexpr int RowCapacity = 1000;

    explicit ProblemsDialog(const ErrorWatch& watch, QWidget* parent = nullptr);

    // Lists the watch's problems as of the latest tick; nothing while hidden.
    void Refresh();

signals:
    void problemActivated(NodeCode node, const CounterRef& counter);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Activated(QTreeWidgetItem* item);

    const ErrorWatch& watch_;
    QTreeWidget* list_;
    QLabel* none_;
    QLabel* more_;
};
