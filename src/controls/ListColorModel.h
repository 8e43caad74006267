#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <array>
#include <string_view>

#include "controls/ListCell.h"

// The rows and columns of a CListColorCtrlEx: headings and counts of its own, texts and colours
// straight from the control's cell table. Like list view items, texts move with their rows and
// columns when one is inserted before them; colours stay with the position, so a page's next
// fill decides them. The control validates every position it passes.
class ListColorModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit ListColorModel(ListCellTable& cells, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    int Rows() const { return rows_; }
    int Columns() const { return columns_; }
    QString Heading(int column) const;

    // position <= Columns() < ListColumnCapacity; alignment 0 left, 1 right, 2 centred.
    void InsertColumn(int position, std::string_view heading, int alignment, TextSource source);
    // position <= Rows() < ListRowCapacity. Every cell of the new row shows `text`, black on white;
    // the row's insertion is its only notice.
    void InsertRow(int position, std::string_view text);
    void RemoveAll();
    void CellChanged(int row, int column);

private:
    ListCellTable& cells_;
    int rows_ = 0;
    int columns_ = 0;
    std::array<QString, ListColumnCapacity> headings_;
    std::array<Qt::Alignment, ListColumnCapacity> alignments_{};
};
