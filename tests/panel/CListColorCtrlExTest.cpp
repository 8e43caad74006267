#include <gtest/gtest.h>

#include <QApplication>
#include <QBrush>
#include <QHeaderView>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>
#include <QMouseEvent>
#include <QScrollBar>
#include <array>
#include <string>
#include <vector>

#include "controls/CListColorCtrlEx.h"
#include "controls/QtColour.h"

namespace {

constexpr Colour Blue = Rgb(0, 0, 255);

class ListTest : public ::testing::Test {
protected:
    void SetUp() override { list.resize(600, 400); }

    // "Property" column of 150 pixels and `values` auto-width columns, as every page builds it.
    void Build(int values) {
        list.Clear();
        list.InsertColumn(0, 150, "Property", false);
        for (int i = 1; i <= values; ++i) list.InsertColumn(i, 150, "Stream " + std::to_string(i), true);
    }

    void ShowAndSettle() {
        list.show();
        QApplication::processEvents();
    }

    void Press(QPoint at, Qt::MouseButton button = Qt::LeftButton) {
        const QPointF local(at);
        const QPointF global(list.viewport()->mapToGlobal(at));
        QMouseEvent press(QEvent::MouseButtonPress, local, global, button, button, Qt::NoModifier);
        QApplication::sendEvent(list.viewport(), &press);
        QMouseEvent release(QEvent::MouseButtonRelease, local, global, button, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(list.viewport(), &release);
    }

    QPoint CellCentre(int row, int column) { return list.visualRect(list.model()->index(row, column)).center(); }

    CListColorCtrlEx list;
};

TEST_F(ListTest, ValueColumnsShareTheWidthBesideTheFirstColumn) {
    EXPECT_EQ(list.InsertColumn(0, 150, "Property", false), 1);
    EXPECT_FALSE(list.AutoFit());
    EXPECT_EQ(list.FirstColumnWidth(), 150);
    EXPECT_EQ(list.ColumnWidth(0), 150);

    EXPECT_EQ(list.InsertColumn(1, 150, "Value", true), 2);
    EXPECT_TRUE(list.AutoFit());
    EXPECT_EQ(list.ColumnWidth(0), 150);
    EXPECT_EQ(list.ColumnWidth(1), 600 - 150 - 5);

    EXPECT_EQ(list.InsertColumn(2, 150, "Other", true), 3);
    EXPECT_EQ(list.ColumnWidth(1), (600 - 150 - 5) / 2);
    EXPECT_EQ(list.ColumnWidth(2), (600 - 150 - 5) / 2);
    EXPECT_EQ(list.HeadingText(0), "Property");
    EXPECT_EQ(list.HeadingText(2), "Other");
    EXPECT_EQ(list.model()->headerData(1, Qt::Horizontal).toString(), "Value");

    // Fixed columns after the first keep the width they were given.
    EXPECT_EQ(list.InsertColumn(3, 80, "Fixed", false), 4);
    EXPECT_EQ(list.ColumnWidth(3), 80);
    EXPECT_EQ(list.FirstColumnWidth(), 150);
}

TEST_F(ListTest, SingleAutoWidthColumnFillsTheControl) {
    Build(2);
    list.Clear();
    EXPECT_EQ(list.ColumnCount(), 0);
    // The placeholder list asks for column 1 of an empty list; it becomes column 0.
    EXPECT_EQ(list.InsertColumn(1, 150, "No Device(s) Available", true), 1);
    EXPECT_EQ(list.HeadingText(0), "No Device(s) Available");
    EXPECT_EQ(list.ColumnWidth(0), 600 - 5);
}

TEST_F(ListTest, NewRowShowsItsTextInEveryCellBlackOnWhite) {
    Build(1);
    for (int r = 0; r < 3; ++r) list.InsertRow(r, "Row");
    // Leftovers of an earlier build must not colour the new row.
    list.SetCellText(3, 1, "old", true, Colours::Black, Blue);
    EXPECT_EQ(list.InsertRow(3, "SampleRate"), 3);
    EXPECT_EQ(list.RowCount(), 4);
    for (int c = 0; c < 2; ++c) {
        EXPECT_EQ(list.CellText(3, c), "SampleRate");
        EXPECT_EQ(list.CellTextColour(3, c), Colours::Black);
        EXPECT_EQ(list.CellBackground(3, c), Colours::White);
        EXPECT_EQ(list.model()->data(list.model()->index(3, c)).toString(), "SampleRate");
    }
}

TEST_F(ListTest, RowInsertedBeforeOthersMovesTheirTextsDown) {
    Build(1);
    list.InsertRow(0, "A");
    list.InsertRow(1, "B");
    list.InsertRow(1, "X");
    list.InsertRow(7, "Tail");  // past the end: appended
    ASSERT_EQ(list.RowCount(), 4);
    const char* expected[] = {"A", "X", "B", "Tail"};
    for (int r = 0; r < 4; ++r) EXPECT_EQ(list.model()->data(list.model()->index(r, 1)).toString(), expected[r]) << r;

    // A column inserted between others starts empty and moves the texts right of it along.
    list.InsertColumn(1, 60, "New", false);
    EXPECT_EQ(list.HeadingText(1), "New");
    EXPECT_EQ(list.HeadingText(2), "Stream 1");
    EXPECT_EQ(list.CellText(1, 1), "");
    EXPECT_EQ(list.CellText(1, 2), "X");
}

TEST_F(ListTest, NumberCellsAreGroupedWithTheirUnit) {
    Build(1);
    list.InsertRow(0, "SampleRate");
    list.SetCellText(0, 1, "x", false, Colours::Black, Blue);

    EXPECT_TRUE(list.SetCellNumber(0, 1, 48000, "samples/s", false, 0, NumberFormat::Unsigned));
    EXPECT_EQ(list.CellText(0, 1), "48 000 samples/s");
    EXPECT_EQ(list.CellTextColour(0, 1), Colours::Black);
    EXPECT_EQ(list.CellBackground(0, 1), Blue);  // a number leaves the background alone

    EXPECT_TRUE(list.SetCellNumber(0, 1, 48000, "samples/s", true, 0, NumberFormat::Unsigned));
    EXPECT_EQ(list.CellText(0, 1), "48 000 samples/s");
    EXPECT_EQ(list.CellTextColour(0, 1), Colours::Highlight);
    EXPECT_EQ(list.model()->data(list.model()->index(0, 1), Qt::ForegroundRole).value<QBrush>().color(),
              QColor(250, 0, 50));

    list.SetCellNumber(0, 1, 1234567, nullptr);
    EXPECT_EQ(list.CellText(0, 1), "1 234 567");
    EXPECT_EQ(list.CellTextColour(0, 1), Colours::Black);
    list.SetCellNumber(0, 1, static_cast<uint32_t>(-1234), "smp", false, 0, NumberFormat::Signed);
    EXPECT_EQ(list.CellText(0, 1), "-1 234 smp");
    // The micro sign arrives as one ANSI byte.
    list.SetCellNumber(0, 1, 250, "\xB5s");
    EXPECT_EQ(list.CellText(0, 1), QString::fromUtf8("250 \u00B5s"));
    // The devices page's unit brings its own blank.
    list.SetCellNumber(0, 1, 44100, " samples/s");
    EXPECT_EQ(list.CellText(0, 1), "44 100  samples/s");
}

TEST_F(ListTest, HexCellsKeepTheirColours) {
    Build(1);
    list.InsertRow(0, "DeviceId");
    list.SetCellText(0, 1, "x", true, Colours::Black, Blue);
    EXPECT_TRUE(list.SetCellHex(0, 1, 0x1A2B));
    EXPECT_EQ(list.CellText(0, 1), "0x00001A2B");
    EXPECT_EQ(list.CellTextColour(0, 1), Colours::Highlight);
    EXPECT_EQ(list.CellBackground(0, 1), Blue);
    list.SetCellHex(0, 1, 0xDEADBEEF, "id");
    EXPECT_EQ(list.CellText(0, 1), "0xDEADBEEF id");
}

TEST_F(ListTest, WritesOutsideTheTableChangeNothing) {
    Build(1);
    list.InsertRow(0, "Row");
    int changes = 0;
    QObject::connect(list.model(), &QAbstractItemModel::dataChanged, [&] { ++changes; });

    EXPECT_FALSE(list.SetCellText(300, 0, "x", false, Colours::Black, Colours::White));
    EXPECT_FALSE(list.SetCellText(256, 0, "x", false, Colours::Black, Colours::White));
    EXPECT_FALSE(list.SetCellText(0, 50, "x", false, Colours::Black, Colours::White));
    EXPECT_FALSE(list.SetCellText(-1, 0, "x", false, Colours::Black, Colours::White));
    EXPECT_FALSE(list.SetCellText(0, -1, "x", false, Colours::Black, Colours::White));
    EXPECT_FALSE(list.SetCellNumber(300, 1, 5, "s"));
    EXPECT_FALSE(list.SetCellHex(0, 60, 5));
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(list.RowCount(), 1);
    EXPECT_EQ(list.CellText(0, 0), "Row");
    EXPECT_EQ(list.CellText(300, 0), "");

    // Inside the table but outside the list: kept for later, yet the list did not take it.
    EXPECT_FALSE(list.SetCellText(5, 1, "later", false, Colours::Black, Colours::White));
    EXPECT_FALSE(list.SetCellText(0, 2, "later", false, Colours::Black, Colours::White));
    EXPECT_EQ(changes, 0);
    EXPECT_TRUE(list.SetCellText(0, 1, "now", false, Colours::Black, Colours::White));
    EXPECT_EQ(changes, 1);
}

TEST_F(ListTest, ListHoldsAtMost256RowsAnd50Columns) {
    Build(1);
    for (int r = 0; r < 256; ++r) EXPECT_EQ(list.InsertRow(r, "Row"), r);
    EXPECT_EQ(list.InsertRow(256, "Extra"), 256);
    EXPECT_EQ(list.InsertRow(300, "Extra"), 300);
    EXPECT_EQ(list.InsertRow(5, "Extra"), 5);
    EXPECT_EQ(list.RowCount(), 256);
    EXPECT_EQ(list.CellText(5, 0), "Row");
    EXPECT_TRUE(list.SetCellNumber(255, 1, 1, nullptr));

    list.Clear();
    for (int c = 0; c < 50; ++c) EXPECT_EQ(list.InsertColumn(c, 10, "C", false), c + 1);
    EXPECT_EQ(list.InsertColumn(50, 10, "C", false), 50);
    EXPECT_EQ(list.ColumnCount(), 50);

    // Driver strings are bounded before they reach a cell.
    list.InsertRow(0, std::string(5000, 'n'));
    EXPECT_EQ(list.CellText(0, 49).size(), 259);
}

TEST_F(ListTest, RewritingACellUnchangedCostsNoRepaint) {
    Build(1);
    list.InsertRow(0, "Row");
    int changes = 0;
    QObject::connect(list.model(), &QAbstractItemModel::dataChanged, [&] { ++changes; });

    list.SetCellNumber(0, 1, 48000, "samples/s");
    EXPECT_EQ(changes, 1);
    for (int tick = 0; tick < 3; ++tick) list.SetCellNumber(0, 1, 48000, "samples/s");
    list.SetCellText(0, 0, "Row", false, Colours::Black, Colours::White);
    EXPECT_EQ(changes, 1);

    list.SetCellNumber(0, 1, 48000, "samples/s", true);  // colour alone
    EXPECT_EQ(changes, 2);
    list.SetCellText(0, 0, "Row", false, Colours::Black, Blue);  // background alone
    EXPECT_EQ(changes, 3);
    list.SetCellNumber(0, 1, 48001, "samples/s", true);
    EXPECT_EQ(changes, 4);
}

TEST_F(ListTest, ClearKeepsTheCellTable) {
    Build(1);
    list.InsertRow(0, "Row");
    list.SetCellText(0, 1, "red", true, Colours::Black, Colours::White);
    list.Clear();
    EXPECT_EQ(list.ColumnCount(), 0);
    EXPECT_EQ(list.RowCount(), 0);
    EXPECT_EQ(list.CellText(0, 1), "red");
    EXPECT_EQ(list.CellTextColour(0, 1), Colours::Highlight);

    Build(1);
    list.InsertRow(0, "Fresh");
    EXPECT_EQ(list.CellText(0, 1), "Fresh");
    EXPECT_EQ(list.CellTextColour(0, 1), Colours::Black);
}

TEST_F(ListTest, CellsAreDrawnInTheirOwnColours) {
    Build(1);
    list.InsertRow(0, "A");
    list.InsertRow(1, "B");
    list.SetCellText(1, 1, "x", false, Colours::Black, Blue);
    ShowAndSettle();
    list.clearSelection();

    const QImage image = list.viewport()->grab().toImage();
    const QRect blueCell = list.visualRect(list.model()->index(1, 1));
    const QRect whiteCell = list.visualRect(list.model()->index(0, 1));
    // Right edge of the cell, clear of the short text and the grid line.
    EXPECT_EQ(QColor(image.pixel(blueCell.right() - 10, blueCell.center().y())), ToQColor(Blue));
    EXPECT_EQ(QColor(image.pixel(whiteCell.right() - 10, whiteCell.center().y())), ToQColor(Colours::White));
}

TEST_F(ListTest, AlignmentPlacesTheTextInItsColumn) {
    list.InsertColumn(0, 150, "Property", false);
    list.InsertColumn(1, 150, "Left", true, 0);
    list.InsertColumn(2, 150, "Right", true, 1);
    list.InsertRow(0, "8");
    ShowAndSettle();
    list.clearSelection();
    const QImage image = list.viewport()->grab().toImage();
    // Where the dark text pixels of a cell lie, as a share of the cell's width.
    auto textCentre = [&](int column) {
        const QRect cell = list.visualRect(list.model()->index(0, column)).adjusted(1, 1, -2, -2);
        long sum = 0, count = 0;
        for (int y = cell.top(); y <= cell.bottom(); ++y)
            for (int x = cell.left(); x <= cell.right(); ++x)
                if (QColor(image.pixel(x, y)).lightness() < 128) sum += x - cell.left(), ++count;
        return count ? double(sum) / count / cell.width() : -1.0;
    };
    const double left = textCentre(1);
    const double right = textCentre(2);
    EXPECT_GE(left, 0.0);
    EXPECT_LT(left, 0.25);
    EXPECT_GT(right, 0.75);
}

TEST_F(ListTest, SpreadsValueColumnsOnceTheScrollBarShows) {
    Build(2);
    ShowAndSettle();
    const int spread = (600 - 150 - 5) / 2;
    int firstWithBar = -1;
    for (int r = 0; r < 200 && firstWithBar < 0; ++r) {
        list.InsertRow(r, "Row");
        QApplication::processEvents();
        if (list.ScrollBarWidth() > 0) firstWithBar = r;
        else EXPECT_FALSE(list.verticalScrollBar()->isVisible()) << r;
    }
    ASSERT_GT(firstWithBar, 0);
    EXPECT_TRUE(list.verticalScrollBar()->isVisible());
    // The width was computed before the bar was measured: it counts from the next row on.
    EXPECT_EQ(list.ColumnWidth(1), spread);
    EXPECT_EQ(list.ColumnWidth(2), spread);

    list.InsertRow(firstWithBar + 1, "Row");
    const int narrowed = (600 - 150 - list.ScrollBarWidth() - 5) / 2;
    EXPECT_LT(narrowed, spread);
    EXPECT_EQ(list.ColumnWidth(1), narrowed);
    EXPECT_EQ(list.ColumnWidth(2), narrowed);
    EXPECT_EQ(list.ColumnWidth(0), 150);

    // A rebuild keeps the measured bar in its arithmetic.
    Build(1);
    EXPECT_EQ(list.ColumnWidth(1), 600 - 150 - list.ScrollBarWidth() - 5);

    // A page inserts all its rows before the event loop runs again: the bar is found all the same.
    CListColorCtrlEx page;
    page.resize(600, 400);
    page.show();
    QApplication::processEvents();
    page.InsertColumn(0, 150, "Property", false);
    for (int i = 1; i <= 2; ++i) page.InsertColumn(i, 150, "Stream", true);
    for (int r = 0; r <= firstWithBar + 1; ++r) page.InsertRow(r, "Row");
    EXPECT_EQ(page.ColumnWidth(1), narrowed);
    EXPECT_EQ(page.ColumnWidth(2), narrowed);
    QApplication::processEvents();
    EXPECT_TRUE(page.verticalScrollBar()->isVisible());
}

TEST_F(ListTest, HeaderHeightFollowsTheHeadingsAndTheFont) {
    // A stock header over the same headings measures afresh every time it is asked.
    QHeaderView reference(Qt::Horizontal);
    reference.setModel(list.model());
    auto shownHeight = [&] {
        list.doItemsLayout();
        return list.horizontalHeader()->height();
    };
    Build(2);
    ShowAndSettle();
    const int oneLine = shownHeight();
    EXPECT_EQ(oneLine, reference.sizeHint().height());

    // A heading of two lines moves the others along and makes the header taller...
    list.InsertColumn(0, 150, "Two\nLines", false);
    const int twoLines = shownHeight();
    EXPECT_GT(twoLines, oneLine);
    EXPECT_EQ(twoLines, reference.sizeHint().height());
    // ...until the list is built again without it.
    Build(2);
    EXPECT_EQ(shownHeight(), oneLine);

    QFont larger = list.horizontalHeader()->font();
    larger.setPointSize(larger.pointSize() * 2);
    list.horizontalHeader()->setFont(larger);
    reference.setFont(larger);
    EXPECT_GT(shownHeight(), oneLine);
    EXPECT_EQ(shownHeight(), reference.sizeHint().height());
}

TEST_F(ListTest, LeftClickAsksForTheRowDescriptionBeforeSelecting) {
    Build(1);
    for (int r = 0; r < 3; ++r) list.InsertRow(r, "Row");
    ShowAndSettle();
    std::vector<int> requested;
    int currentAtRequest = -2;
    QObject::connect(&list, &CListColorCtrlEx::rowDescriptionRequested, [&](int row) {
        requested.push_back(row);
        currentAtRequest = list.currentIndex().row();
    });

    list.setCurrentIndex(list.model()->index(0, 0));
    Press(CellCentre(2, 1));
    ASSERT_EQ(requested, std::vector<int>{2});
    EXPECT_EQ(currentAtRequest, 0);
    EXPECT_EQ(list.currentIndex().row(), 2);
    EXPECT_EQ(list.CurrentRow(), 2);

    const QRect last = list.visualRect(list.model()->index(2, 0));
    Press(QPoint(last.center().x(), last.bottom() + 40));
    EXPECT_EQ(requested.back(), -1);

    requested.clear();
    Press(CellCentre(1, 1), Qt::RightButton);
    EXPECT_TRUE(requested.empty());
}

TEST_F(ListTest, KeyReleaseAsksForTheCurrentRowsDescription) {
    Build(1);
    for (int r = 0; r < 5; ++r) list.InsertRow(r, "Row");
    ShowAndSettle();
    std::vector<int> requested;
    QObject::connect(&list, &CListColorCtrlEx::rowDescriptionRequested, [&](int row) { requested.push_back(row); });

    list.setCurrentIndex(list.model()->index(2, 0));
    EXPECT_EQ(list.CurrentRow(), 2);
    QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    QApplication::sendEvent(&list, &down);
    EXPECT_TRUE(requested.empty());
    QKeyEvent up(QEvent::KeyRelease, Qt::Key_Down, Qt::NoModifier);
    QApplication::sendEvent(&list, &up);
    EXPECT_EQ(requested, std::vector<int>{3});

    // Emptying the list is no row change: the last row stays the current one.
    list.Clear();
    EXPECT_EQ(list.CurrentRow(), 3);
}

TEST(ListSelection, ShowsOnlyWhileTheListHasTheFocusAndKeepsRedCellsRed) {
    QWidget window;
    auto* list = new CListColorCtrlEx(&window);
    auto* other = new QLineEdit(&window);
    list->setGeometry(0, 0, 400, 200);
    other->setGeometry(0, 210, 100, 20);
    list->InsertColumn(0, 150, "Property", false);
    list->InsertColumn(1, 150, "Value", true);
    for (int r = 0; r < 3; ++r) list->InsertRow(r, "Row");
    list->SetCellNumber(1, 1, 7, nullptr, true);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    list->selectRow(1);
    const QColor red = ToQColor(Colours::Highlight);
    const QColor highlight = list->palette().color(QPalette::Active, QPalette::Highlight);
    // Pixels of row 1's cell in `column`: red ones, full highlight, a bluish tint, white.
    auto count = [&](int column) {
        QApplication::processEvents();
        const QImage image = list->viewport()->grab().toImage();
        const QRect cell = list->visualRect(list->model()->index(1, column)).adjusted(2, 2, -2, -2);
        std::array<int, 4> n{};
        for (int y = cell.top(); y <= cell.bottom(); ++y)
            for (int x = cell.left(); x <= cell.right(); ++x) {
                const QColor c(image.pixel(x, y));
                n[0] += c == red;
                n[1] += c == highlight;
                n[2] += c != QColor(Qt::white) && c != red && c != highlight && c.blue() > c.red();
                n[3] += c == QColor(Qt::white);
            }
        return std::pair(n, cell.width() * 6);
    };
    for (const auto& [focus, marked] : {std::pair<QWidget*, bool>(list, true), {other, false}, {list, true}}) {
        SCOPED_TRACE(marked ? "focused" : "unfocused");
        focus->setFocus();
        EXPECT_GT(count(1).first[0], 3) << "the error counter stays red";
        const auto [pixels, area] = count(0);
        EXPECT_EQ(pixels[1], 0) << "a tint at most, never the full colour";
        EXPECT_EQ(pixels[2] > area, marked);
        EXPECT_EQ(pixels[3] > area, !marked);
    }
}

}  // namespace
