#pragma once

#include <QAbstractListModel>
#include <QString>
#include <array>
#include <cstdint>
#include <deque>

#include "events/DriverEvent.h"

// The lines of the event log, oldest first, at most `capacity` (the oldest go first), and
// the ones the window shows: those of the categories switched on.
class EventLogModel : public QAbstractListModel {
    Q_OBJECT
public:
    static constexpr size_t DefaultCapacity = 10000;

    explicit EventLogModel(size_t capacity = DefaultCapacity, QObject* parent = nullptr);

    void Append(EventCategory category, QString line);
    void SetShown(EventCategory category, bool shown);
    bool Shown(EventCategory category) const { return shown_[Index(category)]; }
    size_t Held() const { return lines_.size(); }
    size_t Capacity() const { return capacity_; }
    QString Line(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    struct Entry {
        EventCategory category;
        QString line;
    };
    static size_t Index(EventCategory c) { return static_cast<size_t>(c); }

    size_t capacity_;
    std::deque<Entry> lines_;
    uint64_t firstSeq_ = 0;       // sequence number of lines_.front()
    std::deque<uint64_t> shownSeq_;  // sequence numbers of the lines shown, in order
    std::array<bool, 3> shown_{true, true, true};
};
