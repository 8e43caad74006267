#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QItemSelectionModel>
#include <QMenu>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QRegularExpression>
#include <QTest>
#include <memory>

#include "controls/CListColorCtrlEx.h"
#include "driver/DriverRecords.h"
#include "pages/ListPage.h"
#include "support/PanelFixture.h"

namespace {

class ListCopyTest : public ::testing::Test {
protected:
    void SetUp() override {
        list.resize(600, 400);
        QApplication::clipboard()->clear();
        list.InsertColumn(0, 150, "Property", false);
        list.InsertColumn(1, 150, "Value", true);
        const char* names[] = {"SampleRate", "MinSytOffset", "EventsMissed", "Name", "Spacer"};
        for (int r = 0; r < 5; ++r) list.InsertRow(r, names[r]);
        list.SetCellNumber(0, 1, 96000, "samples/s");
        list.SetCellNumber(1, 1, static_cast<uint32_t>(-5), "CT ticks", false, 0, NumberFormat::Signed);
        list.SetCellNumber(2, 1, 1234567, nullptr, true);
        list.SetCellDriverText(3, 1, "tab\there");
        list.SetCellText(4, 1, "n/a");
        list.show();
        QApplication::processEvents();
    }

    void ClickRow(int row, Qt::KeyboardModifiers modifiers) {
        const QPoint at = list.visualRect(list.model()->index(row, 0)).center();
        QTest::mouseClick(list.viewport(), Qt::LeftButton, modifiers, at);
    }

    static QString Clipboard() { return QApplication::clipboard()->text(); }

    CListColorCtrlEx list;
};

}  // namespace

// Ctrl+C takes every selected row, in list order, under the heading row: numbers as numbers
// (signed stays signed), units in their own column, texts as shown but never splitting a line.
TEST_F(ListCopyTest, CtrlCCopiesTheSelectedRowsAsNumbersWithTheirUnitsApart) {
    ClickRow(2, Qt::NoModifier);
    ClickRow(0, Qt::ControlModifier);
    ClickRow(3, Qt::ControlModifier);
    QTest::keyClick(&list, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(Clipboard(),
              "Property\tValue\tUnit\n"
              "SampleRate\t96000\tsamples/s\n"
              "EventsMissed\t1234567\t\n"
              "Name\ttab here\t\n");
    // The list still shows the digits grouped.
    EXPECT_EQ(list.CellText(0, 1), "96 000 samples/s");

    ClickRow(1, Qt::NoModifier);
    QTest::keyClick(&list, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(Clipboard(), "Property\tValue\tUnit\nMinSytOffset\t-5\tCT ticks\n");
}

TEST_F(ListCopyTest, ShiftSelectsARangeWhileTheDescriptionFollowsTheClickedRow) {
    QSignalSpy described(&list, &CListColorCtrlEx::rowDescriptionRequested);
    ClickRow(1, Qt::NoModifier);
    ClickRow(4, Qt::ShiftModifier);
    EXPECT_EQ(list.SelectedRows(), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(list.CurrentRow(), 4);
    ASSERT_GE(described.count(), 2);
    EXPECT_EQ(described.last().at(0).toInt(), 4);
    // The arrow keys still move a single selection, and the key release describes the new row.
    QTest::keyClick(&list, Qt::Key_Up);
    EXPECT_EQ(list.SelectedRows(), (std::vector<int>{3}));
    EXPECT_EQ(described.last().at(0).toInt(), 3);
}

// The context menu: Copy (only with a selection), Copy All (every row, selection or not),
// then what the view adds for the row under the mouse.
TEST_F(ListCopyTest, TheContextMenuCopiesAndTakesTheViewsEntries) {
    int hookedRow = -2;
    list.AddContextMenuHook([&](QMenu& menu, int row) {
        hookedRow = row;
        menu.addAction("Show History")->setObjectName("historyAction");
    });
    QAction fixed("Fixed");
    list.AddContextAction(&fixed);
    list.clearSelection();
    std::unique_ptr<QMenu> menu = list.CreateContextMenu(2);
    const QList<QAction*> actions = menu->actions();
    ASSERT_EQ(actions.size(), 4);
    EXPECT_EQ(actions[0]->text(), "Copy");
    EXPECT_FALSE(actions[0]->isEnabled());
    EXPECT_EQ(actions[1]->text(), "Copy All");
    EXPECT_EQ(actions[2], &fixed);
    EXPECT_EQ(actions[3]->objectName(), "historyAction");
    EXPECT_EQ(hookedRow, 2);

    actions[1]->trigger();
    EXPECT_EQ(Clipboard(),
              "Property\tValue\tUnit\n"
              "SampleRate\t96000\tsamples/s\n"
              "MinSytOffset\t-5\tCT ticks\n"
              "EventsMissed\t1234567\t\n"
              "Name\ttab here\t\n"
              "Spacer\tn/a\t\n");

    menu.reset();
    // The right mouse button opens the same menu over the row it hits; a selection it hits stays.
    ClickRow(3, Qt::NoModifier);
    ClickRow(4, Qt::ShiftModifier);
    const QPoint at = list.visualRect(list.model()->index(4, 1)).center();
    QTest::mousePress(list.viewport(), Qt::RightButton, Qt::NoModifier, at);
    QTest::mouseRelease(list.viewport(), Qt::RightButton, Qt::NoModifier, at);
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, list.viewport()->mapToGlobal(at));
    QApplication::sendEvent(list.viewport(), &event);
    auto* shown = list.findChild<QMenu*>("listContextMenu");
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(hookedRow, 4);
    EXPECT_EQ(list.CurrentRow(), 4);
    EXPECT_EQ(list.SelectedRows(), (std::vector<int>{3, 4}));
    ASSERT_EQ(shown->actions().size(), 4);
    EXPECT_TRUE(shown->actions()[0]->isEnabled());
    shown->actions()[0]->trigger();
    EXPECT_EQ(Clipboard(), "Property\tValue\tUnit\nName\ttab here\t\nSpacer\tn/a\t\n");
    shown->close();
}

// A page of the panel copies its device names as headings and leaves out the unit column
// where no row has a unit.
TEST(PageCopy, StreamAndChannelPagesCopyTheirHeadingsAndValues) {
    PanelFixture panel;
    panel.sim.SetIsoInField(1, IsoInField::MinSytOffset, static_cast<uint32_t>(-7));
    panel.Start().show();
    panel.Tick(3);

    panel.Select(panel.Root(NodeKind_IsoInStreams));
    auto& streams = panel.Page<ListPage>("isoInStreamsPage").List();
    streams.CopyAll();
    const QStringList lines = QApplication::clipboard()->text().split('\n');
    const QString heading = streams.HeadingText(1) + "\t" + streams.HeadingText(2);
    EXPECT_EQ(lines.value(0), "Property\t" + heading + "\tUnit");
    const int row = lines.indexOf(QRegularExpression("^MinSytOffset\t.*"));
    ASSERT_GT(row, 0);
    EXPECT_TRUE(lines[row].endsWith("\t-7\tCT ticks")) << lines[row].toStdString();
    EXPECT_EQ(lines.size(), 41 + 2);  // heading, 41 rows, and the empty rest after the last line break

    panel.Select(panel.Root(NodeKind_ChannelsOut));
    auto& channels = panel.Page<ListPage>("channelsOutPage").List();
    channels.CopyAll();
    const QString text = QApplication::clipboard()->text();
    EXPECT_TRUE(text.startsWith("Device\tChannel\tType\n")) << text.toStdString();
    EXPECT_EQ(text.count('\n'), channels.RowCount() + 1);
}

// A device that comes or goes lays the page's list out again; the rows the user selected stay
// selected, and Ctrl+C copies them rather than the heading alone.
TEST(PageCopy, TheSelectionOutlivesAHotPlug) {
    PanelFixture panel;
    panel.Start().show();
    panel.Tick(3);
    panel.Select(panel.Root(NodeKind_IsoInStreams));
    auto& list = panel.Page<ListPage>("isoInStreamsPage").List();
    list.setFocus();
    list.selectionModel()->select(QItemSelection(list.model()->index(2, 0), list.model()->index(4, 0)),
                                  QItemSelectionModel::Select | QItemSelectionModel::Rows);
    struct Case {
        const char* what;
        int headingColumns;
    };
    // The last device leaves with its stream at the next tick and comes back at the one after.
    panel.sim.SetHotplugPeriod(500);
    const Case cases[] = {{"a device leaves", 2}, {"it comes back", 3}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        panel.Tick();
        ASSERT_EQ(list.ColumnCount(), c.headingColumns);
        QApplication::clipboard()->clear();
        QTest::keyClick(&list, Qt::Key_C, Qt::ControlModifier);
        const QStringList lines = QApplication::clipboard()->text().split('\n', Qt::SkipEmptyParts);
        ASSERT_EQ(lines.size(), 4) << QApplication::clipboard()->text().toStdString();
        for (int r = 2; r <= 4; ++r) EXPECT_TRUE(lines[r - 1].startsWith(list.CellText(r, 0) + "\t"));
    }
}
