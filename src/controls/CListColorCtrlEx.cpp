#include "controls/CListColorCtrlEx.h"

#include <QEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <span>
#include <string_view>

#include "controls/CHeaderCtrlEx.h"
#include "controls/DriverTextAssign.h"
#include "controls/Latin1Text.h"

namespace {

// Units are short literals of the pages; the bound only keeps a stray pointer from running on.
constexpr std::size_t UnitCapacity = 64;
// Room the list leaves beside its columns so that no horizontal scroll bar appears.
constexpr int ColumnSlack = 5;

std::string_view BoundedUnit(const char* unit) {
    if (unit == nullptr) return {};
    return std::string_view(unit, strnlen(unit, UnitCapacity));
}

// "text unit", or the text alone without a unit; cut where the buffer ends.
std::string_view WithUnit(std::span<char> buffer, std::size_t length, const char* unit) {
    const std::string_view suffix = BoundedUnit(unit);
    if (unit != nullptr && length < buffer.size()) {
        buffer[length++] = ' ';
        const std::size_t copied = std::min(suffix.size(), buffer.size() - length);
        std::memcpy(buffer.data() + length, suffix.data(), copied);
        length += copied;
    }
    return std::string_view(buffer.data(), length);
}

}  // namespace

CListColorCtrlEx::CListColorCtrlEx(QWidget* parent) : QTableView(parent), model_(cells_) {
    setHorizontalHeader(new CHeaderCtrlEx(this));
    setModel(&model_);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(true);
    setWordWrap(false);
    setTabKeyNavigation(false);
    setSortingEnabled(false);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    horizontalHeader()->setStretchLastSection(false);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setMinimumSectionSize(0);
}

CListColorCtrlEx::~CListColorCtrlEx() {
    // The model is a member and dies before the view's base part.
    setModel(nullptr);
}

void CListColorCtrlEx::Clear() {
    lastCheck_ = {};
    layoutWaits_ = true;
    model_.RemoveAll();
    layoutWaits_ = false;
}

int CListColorCtrlEx::InsertColumn(int index, int width, std::string_view heading, bool autoWidth, int alignment,
                                   TextSource source) {
    autoFit_ = autoWidth;
    const int columns = model_.Columns();
    if (columns >= ListColumnCapacity) return columns;

    const int position = std::clamp(index, 0, columns);
    layoutWaits_ = true;
    model_.InsertColumn(position, heading, alignment, source);
    layoutWaits_ = false;
    SetColumnWidthClamped(position, width);

    const int n = model_.Columns();
    const int w = ComputeValueColumnWidth();
    if (autoFit_) {
        SpreadValueColumns(w);
    } else {
        if (position == 0) firstColumnWidth_ = width;
        SetColumnWidthClamped(position, width);
    }
    return n;
}

int CListColorCtrlEx::InsertRow(int index, std::string_view text) {
    if (index >= 0 && index < ListRowCapacity && model_.Rows() < ListRowCapacity) {
        model_.InsertRow(std::min(index, model_.Rows()), text);
    }
    const int w = ComputeValueColumnWidth();
    if (autoFit_ && CheckScrollBar()) SpreadValueColumns(w);
    return index;
}

bool CListColorCtrlEx::SetCellText(int row, int column, std::string_view text, bool highlight, Colour textColour,
                                   Colour background) {
    if (!InTable(row, column)) return false;
    return WriteCell(row, column, text, highlight ? Colours::Highlight : textColour, background);
}

bool CListColorCtrlEx::SetCellDriverText(int row, int column, std::string_view text) {
    if (!InTable(row, column)) return false;
    return WriteCell(row, column, text, Colours::Black, Colours::White, TextSource::Driver);
}

bool CListColorCtrlEx::SetCellNumber(int row, int column, uint32_t value, const char* unit, bool highlight,
                                     int separatorIndex, NumberFormat format) {
    if (!InTable(row, column)) return false;
    std::array<char, FormatGroupedBufferSize + 1 + UnitCapacity> buffer{};
    const std::size_t length = FormatGrouped(value, separatorIndex, format, buffer);
    const Colour background = CellAt(row, column)->Background;
    return WriteCell(row, column, WithUnit(buffer, length, unit), highlight ? Colours::Highlight : Colours::Black,
                     background);
}

bool CListColorCtrlEx::SetCellHex(int row, int column, uint32_t value, const char* unit) {
    if (!InTable(row, column)) return false;
    std::array<char, 11 + 1 + UnitCapacity> buffer{};
    const int printed = std::snprintf(buffer.data(), buffer.size(), "0x%08X", static_cast<unsigned>(value));
    const ListCell& cell = *CellAt(row, column);
    return WriteCell(row, column, WithUnit(buffer, static_cast<std::size_t>(printed), unit), cell.TextColour,
                     cell.Background);
}

bool CListColorCtrlEx::SetCellBackground(int row, int column, Colour background) {
    if (!InTable(row, column)) return false;
    ListCell& cell = cells_[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
    if (cell.Background != background) {
        cell.Background = background;
        model_.CellChanged(row, column);
    }
    return row < model_.Rows() && column < model_.Columns();
}

int CListColorCtrlEx::ComputeValueColumnWidth() {
    const int n = model_.Columns();
    const int available = width() - scrollBarWidth_ - ColumnSlack;
    if (n > 1) return (available - firstColumnWidth_) / (n - 1);
    if (n == 1 && autoFit_) {
        SetColumnWidthClamped(0, available);
        return available;
    }
    return available - firstColumnWidth_;
}

void CListColorCtrlEx::SpreadValueColumns(int width) {
    for (int c = 1; c < model_.Columns(); ++c) SetColumnWidthClamped(c, width);
    viewport()->update();
}

bool CListColorCtrlEx::CheckScrollBar() {
    const QScrollBar* bar = verticalScrollBar();
    // Laying the list out is most of the cost of a new row, and only rows changed since the last
    // layout: a bar that showed then still shows, with the width recorded then, and rows that fit
    // the viewport then give it no range now.
    if (verticalScrollBarPolicy() == Qt::ScrollBarAsNeeded && lastCheck_.size == size()) {
        if (lastCheck_.shown) return true;
        if (lastCheck_.columns == model_.Columns() && lastCheck_.viewportHeight == viewport()->height() &&
            verticalHeader()->length() <= lastCheck_.viewportHeight)
            return false;
    }
    // The scroll area shows or hides its bars only later, from the event loop; lay the rows
    // out now and take the bar's own verdict: it shows as soon as it has a range.
    doItemsLayout();
    const bool shown = verticalScrollBarPolicy() == Qt::ScrollBarAlwaysOn ||
                       (verticalScrollBarPolicy() == Qt::ScrollBarAsNeeded && bar->maximum() > bar->minimum());
    if (shown) scrollBarWidth_ = bar->sizeHint().width();
    lastCheck_ = {size(), viewport()->height(), model_.Columns(), shown};
    return shown;
}

QString CListColorCtrlEx::CellText(int row, int column) const {
    const ListCell* cell = CellAt(row, column);
    return cell ? cell->Text : QString();
}

Colour CListColorCtrlEx::CellTextColour(int row, int column) const {
    const ListCell* cell = CellAt(row, column);
    return cell ? cell->TextColour : Colours::Black;
}

Colour CListColorCtrlEx::CellBackground(int row, int column) const {
    const ListCell* cell = CellAt(row, column);
    return cell ? cell->Background : Colours::Black;
}

int CListColorCtrlEx::ColumnWidth(int column) const {
    if (column < 0 || column >= model_.Columns()) return 0;
    return horizontalHeader()->sectionSize(column);
}

void CListColorCtrlEx::AddContextAction(QAction* action) {
    setContextMenuPolicy(Qt::ActionsContextMenu);
    addAction(action);
}

void CListColorCtrlEx::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        const QModelIndex hit = indexAt(event->position().toPoint());
        // The description follows the click before the selection moves.
        emit rowDescriptionRequested(hit.isValid() ? hit.row() : -1);
    }
    QTableView::mousePressEvent(event);
}

void CListColorCtrlEx::keyReleaseEvent(QKeyEvent* event) {
    if (!event->isAutoRepeat()) emit rowDescriptionRequested(currentRow_);
    QTableView::keyReleaseEvent(event);
}

void CListColorCtrlEx::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    // Removing the rows clears the current index; like a list view, only a real item counts.
    if (current.isValid()) currentRow_ = current.row();
    QTableView::currentChanged(current, previous);
}

void CListColorCtrlEx::updateGeometries() {
    // The table lays itself out at once when it is emptied and for every new column, yet waits
    // for the event loop after a new row. Pages clear the list, insert their columns in a row,
    // then their rows, whose first scroll-bar check lays the list out anyway: emptying the list
    // and a new column wait as well.
    if (layoutWaits_) {
        scheduleDelayedItemsLayout();
        return;
    }
    QTableView::updateGeometries();
}

void CListColorCtrlEx::rowsInserted(const QModelIndex& parent, int start, int end) {
    // A hidden view would start a timer on every new row to fetch more rows later; the model
    // holds all of its rows, and a page fills a hidden list row by row.
    if (isVisible()) QTableView::rowsInserted(parent, start, end);
}

void CListColorCtrlEx::changeEvent(QEvent* event) {
    // A new font or style changes the heights of rows, headings and the bar's width.
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) lastCheck_ = {};
    QTableView::changeEvent(event);
}

bool CListColorCtrlEx::InTable(int row, int column) {
    return row >= 0 && row < ListRowCapacity && column >= 0 && column < ListColumnCapacity;
}

const ListCell* CListColorCtrlEx::CellAt(int row, int column) const {
    if (!InTable(row, column)) return nullptr;
    return &cells_[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
}

bool CListColorCtrlEx::WriteCell(int row, int column, std::string_view text, Colour textColour, Colour background,
                                 TextSource source) {
    ListCell& cell = cells_[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
    cell.Row = row;
    cell.Column = column;
    text = text.substr(0, ListCellTextCapacity);
    bool changed = source == TextSource::Driver ? AssignDriverText(cell.Text, text) : AssignLatin1(cell.Text, text);
    changed = changed || cell.TextColour != textColour || cell.Background != background;
    cell.TextColour = textColour;
    cell.Background = background;
    // The panel rewrites every cell on every tick: only a real change may cost a repaint.
    if (changed) model_.CellChanged(row, column);
    return row < model_.Rows() && column < model_.Columns();
}

void CListColorCtrlEx::SetColumnWidthClamped(int column, int width) {
    horizontalHeader()->resizeSection(column, std::max(width, 0));
}
