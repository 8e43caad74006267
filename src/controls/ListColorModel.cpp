#include "controls/ListColorModel.h"

#include <QBrush>
#include <algorithm>

#include "controls/DriverTextAssign.h"
#include "controls/Latin1Text.h"
#include "controls/QtColour.h"

namespace {

Qt::Alignment AlignmentOf(int alignment) {
    switch (alignment) {
    case 1: return Qt::AlignRight | Qt::AlignVCenter;
    case 2: return Qt::AlignHCenter | Qt::AlignVCenter;
    default: return Qt::AlignLeft | Qt::AlignVCenter;
    }
}

}  // namespace

ListColorModel::ListColorModel(ListCellTable& cells, QObject* parent)
    : QAbstractTableModel(parent), cells_(cells) {}

int ListColorModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_; }

int ListColorModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : columns_; }

QVariant ListColorModel::data(const QModelIndex& index, int role) const {
    const int row = index.row();
    const int column = index.column();
    if (!index.isValid() || row < 0 || row >= rows_ || column < 0 || column >= columns_) return {};
    const ListCell& cell = cells_[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
    switch (role) {
    case Qt::DisplayRole: return cell.Text;
    case Qt::ForegroundRole: return QBrush(ToQColor(cell.TextColour));
    case Qt::BackgroundRole: return QBrush(ToQColor(cell.Background));
    case Qt::TextAlignmentRole: return static_cast<int>(alignments_[static_cast<std::size_t>(column)]);
    default: return {};
    }
}

QVariant ListColorModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= columns_) return {};
    // A heading cut by its column shows whole in the tooltip.
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole) return headings_[static_cast<std::size_t>(section)];
    if (role == Qt::TextAlignmentRole) return static_cast<int>(alignments_[static_cast<std::size_t>(section)]);
    return {};
}

Qt::ItemFlags ListColorModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

QString ListColorModel::Heading(int column) const {
    if (column < 0 || column >= columns_) return {};
    return headings_[static_cast<std::size_t>(column)];
}

void ListColorModel::InsertColumn(int position, std::string_view heading, int alignment, TextSource source) {
    beginInsertColumns(QModelIndex(), position, position);
    const auto at = static_cast<std::size_t>(position);
    const auto end = static_cast<std::size_t>(columns_);
    std::move_backward(headings_.begin() + at, headings_.begin() + end, headings_.begin() + end + 1);
    std::move_backward(alignments_.begin() + at, alignments_.begin() + end, alignments_.begin() + end + 1);
    heading = heading.substr(0, ListCellTextCapacity);
    if (source == TextSource::Driver)
        AssignDriverText(headings_[at], heading);
    else
        AssignLatin1(headings_[at], heading);
    alignments_[at] = AlignmentOf(alignment);
    for (std::size_t r = 0; r < static_cast<std::size_t>(rows_); ++r) {
        ListCellRow& cells = cells_[r];
        for (std::size_t c = end; c > at; --c) cells[c].Text.swap(cells[c - 1].Text);
        cells[at].Text.resize(0);
    }
    ++columns_;
    endInsertColumns();
}

void ListColorModel::InsertRow(int position, std::string_view text) {
    beginInsertRows(QModelIndex(), position, position);
    const auto at = static_cast<std::size_t>(position);
    const auto columns = static_cast<std::size_t>(columns_);
    for (auto r = static_cast<std::size_t>(rows_); r > at; --r)
        for (std::size_t c = 0; c < columns; ++c) cells_[r][c].Text.swap(cells_[r - 1][c].Text);
    text = text.substr(0, ListCellTextCapacity);
    for (std::size_t c = 0; c < columns; ++c) {
        ListCell& cell = cells_[at][c];
        cell.Row = position;
        cell.Column = static_cast<int32_t>(c);
        AssignLatin1(cell.Text, text);
        cell.TextColour = Colours::Black;
        cell.Background = Colours::White;
    }
    ++rows_;
    endInsertRows();
}

void ListColorModel::RemoveAll() {
    beginResetModel();
    rows_ = 0;
    columns_ = 0;
    endResetModel();
}

void ListColorModel::CellChanged(int row, int column) {
    if (row >= rows_ || column >= columns_) return;
    const QModelIndex cell = index(row, column);
    // Shared, so that a changed cell costs no list of its own.
    static const QList<int> drawnRoles = {Qt::DisplayRole, Qt::ForegroundRole, Qt::BackgroundRole};
    emit dataChanged(cell, cell, drawnRoles);
}
