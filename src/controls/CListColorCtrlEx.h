#pragma once

#include <QPointer>
#include <QSize>
#include <QString>
#include <QTableView>
#include <bitset>
#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

#include "base/Colours.h"
#include "base/FormatGrouped.h"
#include "controls/ListColorModel.h"
#include "controls/ListCell.h"

class QAction;
class QMenu;

// The report-style list of every statistics page: at most 256 rows and 50 columns, every cell
// with its own text and colours, value columns spread over the width beside column 0, and row
// clicks and key presses passed on so the view can describe the row. Several rows can be
// selected; the current row is the one described. Ctrl+C and the context menu copy rows as
// tab-separated text: the heading row first, numbers without digit groups, and the units in a
// column of their own when the list has any.
class CListColorCtrlEx : public QTableView {
    Q_OBJECT

public:
    explicit CListColorCtrlEx(QWidget* parent = nullptr);
    ~CListColorCtrlEx() override;

    void Clear();
    // Returns the number of columns afterwards; alignment 0 left, 1 right, 2 centred.
    int InsertColumn(int index, int width, std::string_view heading, bool autoWidth, int alignment = 0,
                     TextSource source = TextSource::Panel);
    // Every cell of the new row shows `text`, black on white. Returns `index`, inserted or not.
    int InsertRow(int index, std::string_view text);
    bool SetCellText(int row, int column, std::string_view text, bool highlight = false,
                     Colour textColour = Colours::Black, Colour background = Colours::White);
    // A text from the driver's records, black on white.
    bool SetCellDriverText(int row, int column, std::string_view text);
    bool SetCellNumber(int row, int column, uint32_t value, const char* unit, bool highlight = false,
                       int separatorIndex = 0, NumberFormat format = NumberFormat::Unsigned);
    bool SetCellHex(int row, int column, uint32_t value, const char* unit = nullptr);
    // Only the background: the text and its colour stay as the page wrote them.
    bool SetCellBackground(int row, int column, Colour background);
    // A page's cell as the row tables make it (rows/PageCells.h).
    bool SetCell(int row, int column, const PageCell& cell);

    // The given rows, in list order, as the copy puts them on the clipboard.
    QString RowsAsText(const std::vector<int>& rows) const;
    std::vector<int> SelectedRows() const;
    void CopySelection();
    void CopyAll();

    // The context menu holds "Copy" and "Copy All". A view adds its own entries after them
    // with AddContextMenuHook: each hook runs every time the menu opens, in the order added,
    // with the menu and the row under the mouse (-1 when none), and adds what fits that row.
    using ContextMenuHook = std::function<void(QMenu& menu, int row)>;
    void AddContextMenuHook(ContextMenuHook hook);
    // Adds a fixed command after them; a right click makes the cell it hits the current one
    // (and keeps a selection it hits), so the command can act on CurrentRow().
    void AddContextAction(QAction* action);
    // The menu the right mouse button opens over `row` (object name "listContextMenu").
    std::unique_ptr<QMenu> CreateContextMenu(int row);

    // Value columns at least as wide as their widest text or heading, with a horizontal scroll
    // bar where they do not fit: for a window enlarged past the design's fixed list.
    void SetReadableColumns(bool on);
    bool ReadableColumns() const { return readable_; }

    int ComputeValueColumnWidth();
    void SpreadValueColumns(int width);
    bool CheckScrollBar();

    QString CellText(int row, int column) const;
    Colour CellTextColour(int row, int column) const;
    Colour CellBackground(int row, int column) const;
    int RowCount() const { return model_.Rows(); }
    int ColumnCount() const { return model_.Columns(); }
    int ColumnWidth(int column) const;
    QString HeadingText(int column) const { return model_.Heading(column); }
    bool AutoFit() const { return autoFit_; }
    int FirstColumnWidth() const { return firstColumnWidth_; }
    int ScrollBarWidth() const { return scrollBarWidth_; }
    int CurrentRow() const { return currentRow_; }
    // Whether the selection is drawn: while the list has the focus, and while its context
    // menu is open.
    bool SelectionShown() const { return selectionShown_; }

signals:
    // -1 when the click hit no row.
    void rowDescriptionRequested(int row);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void changeEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void updateGeometries() override;
    void rowsInserted(const QModelIndex& parent, int start, int end) override;
    void resizeEvent(QResizeEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    static bool InTable(int row, int column);
    const ListCell* CellAt(int row, int column) const;
    bool WriteCell(int row, int column, std::string_view text, Colour textColour, Colour background,
                   TextSource source = TextSource::Panel);
    bool WriteNumber(int row, int column, uint32_t value, const char* unit, const char* shownUnit, bool highlight,
                     int separatorIndex, NumberFormat format);
    void SetColumnWidthClamped(int column, int width);
    // Measures the columns' texts once the writes of a tick are done, then spreads again.
    void QueueFit();
    void Fit();

    int currentRow_ = 0;
    bool selectionShown_ = false;
    // The selection at the latest Clear, brought back as its rows come again.
    std::bitset<ListRowCapacity> keptRows_;
    int keptCurrent_ = -1;
    bool layoutWaits_ = false;
    bool autoFit_ = false;
    int scrollBarWidth_ = 0;
    int firstColumnWidth_ = 0;
    // What the last layout of CheckScrollBar found. Rows come only between two Clears, so a bar
    // showing at this size keeps showing, and rows that fit the viewport leave it hidden.
    struct ScrollBarCheck {
        QSize size;  // invalid: nothing known
        int viewportHeight = 0;
        int columns = 0;
        bool shown = false;
    };
    ScrollBarCheck lastCheck_;
    bool readable_ = false;
    bool fitQueued_ = false;
    // Per column: the longest text written, in characters, and the width its texts took at the
    // latest fit. A longer text queues a fit; the measuring is too dear for every write.
    std::array<int, ListColumnCapacity> longest_{};
    std::array<int, ListColumnCapacity> fitted_{};
    ListCellTable cells_{};
    ListColorModel model_;
    std::vector<ContextMenuHook> menuHooks_;
    std::vector<QPointer<QAction>> menuActions_;
};
