#include "controls/CListColorCtrlEx.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>
#include <QToolTip>
#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <span>
#include <string_view>

#include "controls/MeasuredHeader.h"
#include "controls/ListItemDelegate.h"
#include "controls/DriverTextAssign.h"
#include "controls/Latin1Text.h"
#include "res/StringTable.h"

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

// A cell or heading as one field of a tab-separated line: tabs and line breaks inside a
// driver's text would split it.
QString Field(QString text) {
    for (QChar& ch : text)
        if (ch == u'\t' || ch == u'\n' || ch == u'\r') ch = u' ';
    return text;
}

// Units are the panel's own texts; the list puts a blank before some of them.
QString UnitText(const char* unit) {
    std::string_view u = BoundedUnit(unit);
    while (!u.empty() && u.front() == ' ') u.remove_prefix(1);
    return QString::fromLatin1(u.data(), static_cast<qsizetype>(u.size()));
}

}  // namespace

CListColorCtrlEx::CListColorCtrlEx(QWidget* parent) : QTableView(parent), model_(cells_) {
    setHorizontalHeader(new MeasuredHeader(this));
    setModel(&model_);
    setItemDelegate(new ListItemDelegate(this));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
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
    // A page that lays its list out again (a device came or went) keeps the rows the user
    // selected: what the list shows afterwards is what Copy takes.
    keptRows_.reset();
    for (int row : SelectedRows())
        if (row < ListRowCapacity) keptRows_.set(static_cast<std::size_t>(row));
    keptCurrent_ = currentIndex().isValid() ? currentIndex().row() : -1;
    lastCheck_ = {};
    longest_ = {};
    fitted_ = {};
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
        const int row = std::min(index, model_.Rows());
        model_.InsertRow(row, text);
        if (keptRows_.test(static_cast<std::size_t>(row)) && selectionModel())
            selectionModel()->select(model_.index(row, 0),
                                     QItemSelectionModel::Select | QItemSelectionModel::Rows);
        if (row == keptCurrent_ && selectionModel())
            selectionModel()->setCurrentIndex(model_.index(row, 0), QItemSelectionModel::NoUpdate);
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
    return WriteNumber(row, column, value, unit, unit, highlight, separatorIndex, format);
}

bool CListColorCtrlEx::WriteNumber(int row, int column, uint32_t value, const char* unit, const char* shownUnit,
                                   bool highlight, int separatorIndex, NumberFormat format) {
    if (!InTable(row, column)) return false;
    std::array<char, FormatGroupedBufferSize + 1 + UnitCapacity> buffer{};
    const std::size_t length = FormatGrouped(value, separatorIndex, format, buffer);
    const Colour background = CellAt(row, column)->Background;
    const bool taken = WriteCell(row, column, WithUnit(buffer, length, shownUnit),
                                 highlight ? Colours::Highlight : Colours::Black, background);
    ListCell& cell = cells_[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
    cell.Kind = CellKind::Number;
    cell.Number = format == NumberFormat::Signed ? static_cast<int32_t>(value) : static_cast<int64_t>(value);
    cell.Unit = unit;
    return taken;
}

bool CListColorCtrlEx::SetCell(int row, int column, const PageCell& cell) {
    switch (cell.kind) {
        case CellKind::Text:
        case CellKind::NotAvailable: return SetCellText(row, column, cell.text, cell.red);
        case CellKind::DriverText: return SetCellDriverText(row, column, cell.text);
        case CellKind::Hex: return SetCellHex(row, column, static_cast<uint32_t>(cell.number), cell.unit);
        case CellKind::Number:
            return WriteNumber(row, column, static_cast<uint32_t>(cell.number), cell.unit,
                               cell.unit ? cell.unit : cell.suffix, cell.red, 0, cell.format);
    }
    return false;
}

std::vector<int> CListColorCtrlEx::SelectedRows() const {
    std::vector<int> rows;
    if (selectionModel() == nullptr) return rows;
    for (const QModelIndex& index : selectionModel()->selectedRows()) rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

QString CListColorCtrlEx::RowsAsText(const std::vector<int>& rows) const {
    const int columns = model_.Columns();
    // The unit column stays where it is whichever rows are copied, so that pastes line up.
    bool units = false;
    for (int r = 0; r < model_.Rows() && !units; ++r)
        for (int c = 1; c < columns && !units; ++c) {
            const ListCell& cell = *CellAt(r, c);
            units = cell.Kind == CellKind::Number && !UnitText(cell.Unit).isEmpty();
        }
    QString text;
    for (int c = 0; c < columns; ++c) {
        if (c > 0) text += u'\t';
        text += Field(model_.Heading(c));
    }
    if (units) text += QStringLiteral("\t") + QString::fromLatin1(Str::UnitHeading);
    text += u'\n';
    for (int r : rows) {
        if (r < 0 || r >= model_.Rows()) continue;
        QString unit;
        for (int c = 0; c < columns; ++c) {
            const ListCell& cell = *CellAt(r, c);
            if (c > 0) text += u'\t';
            if (cell.Kind == CellKind::Number) {
                text += QString::number(cell.Number);
                if (unit.isEmpty()) unit = UnitText(cell.Unit);
            } else {
                text += Field(cell.Text);
            }
        }
        if (units) text += u'\t' + unit;
        text += u'\n';
    }
    return text;
}

void CListColorCtrlEx::CopySelection() { QGuiApplication::clipboard()->setText(RowsAsText(SelectedRows())); }

void CListColorCtrlEx::CopyAll() {
    std::vector<int> rows(static_cast<std::size_t>(model_.Rows()));
    for (std::size_t r = 0; r < rows.size(); ++r) rows[r] = static_cast<int>(r);
    QGuiApplication::clipboard()->setText(RowsAsText(rows));
}

void CListColorCtrlEx::AddContextMenuHook(ContextMenuHook hook) {
    if (hook) menuHooks_.push_back(std::move(hook));
}

void CListColorCtrlEx::AddContextAction(QAction* action) {
    if (action) menuActions_.emplace_back(action);
}

std::unique_ptr<QMenu> CListColorCtrlEx::CreateContextMenu(int row) {
    auto menu = std::make_unique<QMenu>(this);
    menu->setObjectName("listContextMenu");
    QAction* copy =
        menu->addAction(QString::fromLatin1(Str::MenuCopy), this, &CListColorCtrlEx::CopySelection);
    copy->setObjectName("copyAction");
    copy->setEnabled(!SelectedRows().empty());
    QAction* all = menu->addAction(QString::fromLatin1(Str::MenuCopyAll), this, &CListColorCtrlEx::CopyAll);
    all->setObjectName("copyAllAction");
    for (const QPointer<QAction>& action : menuActions_)
        if (action) menu->addAction(action);
    for (const ContextMenuHook& hook : menuHooks_) hook(*menu, row);
    return menu;
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
    for (int c = 1; c < model_.Columns(); ++c)
        SetColumnWidthClamped(c, readable_ ? std::max(width, fitted_[static_cast<std::size_t>(c)]) : width);
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

void CListColorCtrlEx::keyPressEvent(QKeyEvent* event) {
    // The view's own copy would take the current cell alone, as it shows.
    if (event->matches(QKeySequence::Copy)) {
        CopySelection();
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

void CListColorCtrlEx::contextMenuEvent(QContextMenuEvent* event) {
    const QModelIndex hit = indexAt(event->pos());
    QMenu* menu = CreateContextMenu(hit.isValid() ? hit.row() : -1).release();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
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

void CListColorCtrlEx::focusInEvent(QFocusEvent* event) {
    selectionShown_ = true;
    viewport()->update();
    QTableView::focusInEvent(event);
}

void CListColorCtrlEx::focusOutEvent(QFocusEvent* event) {
    if (event->reason() != Qt::PopupFocusReason) {
        selectionShown_ = false;
        viewport()->update();
    }
    QTableView::focusOutEvent(event);
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
    cell.Kind = CellKind::Text;
    cell.Unit = nullptr;
    bool changed = source == TextSource::Driver ? AssignDriverText(cell.Text, text) : AssignLatin1(cell.Text, text);
    changed = changed || cell.TextColour != textColour || cell.Background != background;
    cell.TextColour = textColour;
    cell.Background = background;
    // The panel rewrites every cell on every tick: only a real change may cost a repaint.
    if (changed) model_.CellChanged(row, column);
    if (readable_ && changed && cell.Text.size() > longest_[static_cast<std::size_t>(column)]) {
        longest_[static_cast<std::size_t>(column)] = int(cell.Text.size());
        QueueFit();
    }
    return row < model_.Rows() && column < model_.Columns();
}

void CListColorCtrlEx::SetReadableColumns(bool on) {
    if (readable_ == on) return;
    readable_ = on;
    longest_ = {};
    fitted_ = {};
    if (on) {
        QueueFit();
    } else if (autoFit_) {
        SpreadValueColumns(ComputeValueColumnWidth());
    }
}

void CListColorCtrlEx::QueueFit() {
    if (fitQueued_) return;
    fitQueued_ = true;
    QTimer::singleShot(0, this, [this] { Fit(); });
}

void CListColorCtrlEx::Fit() {
    fitQueued_ = false;
    if (!readable_) return;
    const QFontMetrics cells = fontMetrics();
    const QFontMetrics headings = horizontalHeader()->fontMetrics();
    // Room for the grid line, the cell's margins and the heading's sort-free padding.
    const int padding = 2 * style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 8;
    for (int c = 0; c < model_.Columns(); ++c) {
        int widest = headings.horizontalAdvance(model_.Heading(c));
        for (int r = 0; r < model_.Rows(); ++r) widest = std::max(widest, cells.horizontalAdvance(CellText(r, c)));
        fitted_[static_cast<std::size_t>(c)] = widest + padding;
    }
    // The row names too, where a list has them beside its values.
    if (model_.Columns() > 1 && ColumnWidth(0) < fitted_[0]) SetColumnWidthClamped(0, fitted_[0]);
    if (autoFit_) SpreadValueColumns(ComputeValueColumnWidth());
}

void CListColorCtrlEx::resizeEvent(QResizeEvent* event) {
    QTableView::resizeEvent(event);
    if (readable_) QueueFit();
}

// A text cut by its column shows whole in a tooltip.
bool CListColorCtrlEx::viewportEvent(QEvent* event) {
    if (event->type() != QEvent::ToolTip) return QTableView::viewportEvent(event);
    const auto* help = static_cast<QHelpEvent*>(event);
    const QModelIndex index = indexAt(help->pos());
    const QString text = index.isValid() ? CellText(index.row(), index.column()) : QString();
    const QRect cell = index.isValid() ? visualRect(index) : QRect();
    if (!text.isEmpty() && fontMetrics().horizontalAdvance(text) + 6 > cell.width())
        QToolTip::showText(help->globalPos(), text, viewport(), cell);
    else
        QToolTip::hideText();
    return true;
}

void CListColorCtrlEx::SetColumnWidthClamped(int column, int width) {
    horizontalHeader()->resizeSection(column, std::max(width, 0));
}
