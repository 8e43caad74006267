#pragma once

#include <QDialog>

#include "events/DriverEvent.h"

class QLabel;
class QListView;
class EventLog;

// The event log window: the events oldest first, filters by kind, Copy of the selected lines,
// and where the log file is. Modeless; the frame keeps one and shows it again when asked.
class EventLogDialog : public QDialog {
    Q_OBJECT
public:
    explicit EventLogDialog(EventLog& log, QWidget* parent = nullptr);

    // The selected lines as text, oldest first, one per line.
    QString SelectedText() const;
    void CopySelection();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Opened again, it shows the newest lines.
    void showEvent(QShowEvent* event) override;

private:
    void AddFilter(class QHBoxLayout* row, EventCategory category, const char* text, const char* name);
    void FollowNewLines(int first);

    EventLog& log_;
    QListView* list_;
    QLabel* fileLine_;
    bool atEnd_ = true;
};
