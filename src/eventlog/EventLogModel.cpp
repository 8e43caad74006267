#include "eventlog/EventLogModel.h"

EventLogModel::EventLogModel(size_t capacity, QObject* parent)
    : QAbstractListModel(parent), capacity_(capacity < 1 ? 1 : capacity) {}

void EventLogModel::Append(EventCategory category, QString line) {
    if (lines_.size() == capacity_) {
        if (!shownSeq_.empty() && shownSeq_.front() == firstSeq_) {
            beginRemoveRows({}, 0, 0);
            shownSeq_.pop_front();
            lines_.pop_front();
            ++firstSeq_;
            endRemoveRows();
        } else {
            lines_.pop_front();
            ++firstSeq_;
        }
    }
    const uint64_t seq = firstSeq_ + lines_.size();
    if (!shown_[Index(category)]) {
        lines_.push_back({category, std::move(line)});
        return;
    }
    const int row = static_cast<int>(shownSeq_.size());
    beginInsertRows({}, row, row);
    lines_.push_back({category, std::move(line)});
    shownSeq_.push_back(seq);
    endInsertRows();
}

void EventLogModel::SetShown(EventCategory category, bool shown) {
    if (shown_[Index(category)] == shown) return;
    beginResetModel();
    shown_[Index(category)] = shown;
    shownSeq_.clear();
    for (size_t i = 0; i < lines_.size(); ++i)
        if (shown_[Index(lines_[i].category)]) shownSeq_.push_back(firstSeq_ + i);
    endResetModel();
}

QString EventLogModel::Line(int row) const {
    if (row < 0 || static_cast<size_t>(row) >= shownSeq_.size()) return {};
    return lines_[static_cast<size_t>(shownSeq_[static_cast<size_t>(row)] - firstSeq_)].line;
}

int EventLogModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(shownSeq_.size());
}

QVariant EventLogModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid()) return {};
    return Line(index.row());
}
