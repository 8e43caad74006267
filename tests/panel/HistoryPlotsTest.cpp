#include <gtest/gtest.h>

#include <QChart>
#include <QChartView>
#include <QDir>
#include <QLineSeries>
#include <QMenu>
#include <QMessageBox>
#include <QScatterSeries>
#include <QMouseEvent>
#include <QValueAxis>
#include <vector>

#include "controls/CListColorCtrlEx.h"
#include "pages/CDlgPgListBase.h"
#include "plots/CHistoryPlots.h"
#include "plots/CHistoryWindow.h"
#include "support/ModalHook.h"
#include "support/PanelFixture.h"

namespace {

struct HistoryFixture : ::testing::Test {
    PanelFixture p;

    HistoryFixture() {
        // The plots' time is the simulator's, which each tick moves on by 500 ms.
        p.frame = std::make_unique<CMainFrame>(p.dev, *p.settings, CMainFrame::Timers::Manual, nullptr,
                                               [this] { return static_cast<int64_t>(p.sim.ElapsedMs()); });
        p.frame->show();
        p.Tick(6);
    }
    ~HistoryFixture() override {
        // A window left open must not outlive what it draws from.
        p.frame.reset();
    }

    CListColorCtrlEx& ShowPage(QTreeWidgetItem* node) {
        p.Select(node);
        p.Tick();
        auto* page = dynamic_cast<CDlgPgListBase*>(p.View().VisiblePage());
        if (page == nullptr) throw std::runtime_error("no list page");
        return page->List();
    }
    static int RowNamed(const CListColorCtrlEx& list, const char* name) {
        for (int r = 0; r < list.RowCount(); ++r)
            if (list.CellText(r, 0) == QLatin1String(name)) return r;
        throw std::runtime_error(std::string("no row ") + name);
    }
    QList<CHistoryWindow*> Windows() const { return p.frame->findChildren<CHistoryWindow*>(); }
    CHistoryWindow& OnlyWindow() const {
        const auto windows = Windows();
        if (windows.size() != 1) throw std::runtime_error("not one window");
        return *windows.front();
    }
    static QChart& ChartOf(const CHistoryWindow& w) { return *Child<QChartView>(w, "historyChart").chart(); }
    // The point counts of the pieces of a line that hold any, oldest first.
    static std::vector<qsizetype> Pieces(const CHistoryWindow& w, const char* line) {
        std::vector<qsizetype> counts;
        for (QAbstractSeries* s : ChartOf(w).series())
            if (s->objectName().startsWith(QLatin1String(line)))
                if (auto* l = qobject_cast<QLineSeries*>(s); l && l->count() > 0) counts.push_back(l->count());
        return counts;
    }
    static const QValueAxis& Axis(const CHistoryWindow& w, const char* name) {
        for (QAbstractAxis* a : ChartOf(w).axes())
            if (a->objectName() == QLatin1String(name)) return *qobject_cast<QValueAxis*>(a);
        throw std::runtime_error(std::string("no axis ") + name);
    }
    static qsizetype ClearMarks(const CHistoryWindow& w) {
        return qobject_cast<QScatterSeries*>(ChartOf(w).series().last())->count();
    }
    // What a window system delivers for a double-click: press, release, double-click, release.
    static void DoubleClick(CListColorCtrlEx& list, int row, int column) {
        const QPointF at = list.visualRect(list.model()->index(row, column)).center();
        const QPointF global = list.viewport()->mapToGlobal(at);
        for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease, QEvent::MouseButtonDblClick,
                                  QEvent::MouseButtonRelease}) {
            const bool down = type != QEvent::MouseButtonRelease;
            QMouseEvent event(type, at, global, Qt::LeftButton, down ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(list.viewport(), &event);
        }
    }
};

}  // namespace

TEST_F(HistoryFixture, DoubleClickingACellPlotsItsCounterAndLeavesTheListAsItWas) {
    CListColorCtrlEx& list = ShowPage(p.Root(NodeKind_IsoInStreams));
    ASSERT_GE(list.ColumnCount(), 3);  // two streams: the cell's column decides
    const int row = RowNamed(list, "TotalPacketsReceived");
    DoubleClick(list, row, 2);
    CHistoryWindow& window = OnlyWindow();
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.windowTitle(), "TotalPacketsReceived - ISO IN Streams, " + list.HeadingText(2));
    // The press before the double-click did what a click does; the double-click added nothing.
    EXPECT_EQ(list.CurrentRow(), row);
    EXPECT_EQ(p.View().DescriptionText(), QString::fromLatin1(p.View().VisiblePage()->RowDescription(p.Selected(), row)));

    p.Tick(5);
    EXPECT_EQ(Pieces(window, "Value"), (std::vector<qsizetype>{5}));
    EXPECT_EQ(Pieces(window, "Per second"), (std::vector<qsizetype>{4}));
    // 8000 packets a second, on the rate axis.
    const auto* rate = qobject_cast<QLineSeries*>(ChartOf(window).series()[CHistoryWindow::PieceCapacity]);
    EXPECT_DOUBLE_EQ(rate->at(3).y(), 8000.0);
    EXPECT_DOUBLE_EQ(rate->at(3).x(), 0.0);  // now, at the right edge
    EXPECT_DOUBLE_EQ(rate->at(0).x(), -1.5 / 60);
    EXPECT_LE(Axis(window, "rateAxis").min(), 0.0);
}

TEST_F(HistoryFixture, OnAPageWithOneValueColumnAnyCellOfTheRowWillDo) {
    CListColorCtrlEx& list = ShowPage(p.Root(NodeKind_Asio));
    DoubleClick(list, RowNamed(list, "TotalBufferSwitches"), 0);
    EXPECT_EQ(OnlyWindow().windowTitle(), "TotalBufferSwitches - ASIO");
}

TEST_F(HistoryFixture, CellsWithoutANumericCounterOpenNothing) {
    CListColorCtrlEx& streams = ShowPage(p.Root(NodeKind_IsoInStreams));
    DoubleClick(streams, RowNamed(streams, "TotalPacketsReceived"), 0);  // the name, of which stream?
    DoubleClick(streams, RowNamed(streams, "IsSampleClockMaster"), 1);   // yes or no
    CListColorCtrlEx& asio = ShowPage(p.Root(NodeKind_Asio));
    DoubleClick(asio, RowNamed(asio, ""), 1);  // the spacer
    CListColorCtrlEx& devices = ShowPage(p.Root(NodeKind_Devices));
    DoubleClick(devices, 0, 1);
    EXPECT_TRUE(Windows().empty());
}

TEST_F(HistoryFixture, ShowHistoryInTheContextMenuPlotsTheCurrentCell) {
    CListColorCtrlEx& list = ShowPage(p.Root(NodeKind_ChannelsIn)->child(0));
    auto& action = Child<QAction>(list, "showHistory");
    EXPECT_EQ(action.text(), "Show History");
    ASSERT_GE(list.ColumnCount(), 3);
    const int row = list.RowCount() - 1;
    // The list's own menu: Copy, Copy All, then the view's command.
    const QList<QAction*> entries = list.CreateContextMenu(row)->actions();
    ASSERT_EQ(entries.size(), 3);
    EXPECT_EQ(entries[2], &action);
    list.setCurrentIndex(list.model()->index(row, 2));
    action.trigger();
    const QString node = p.Root(NodeKind_ChannelsIn)->child(0)->text(0);
    EXPECT_EQ(OnlyWindow().windowTitle(), list.CellText(row, 0) + " - " + node + ", " + list.HeadingText(2));
}

TEST_F(HistoryFixture, TheSameCounterRaisesItsPlotAndTheNumberOfPlotsIsLimited) {
    CListColorCtrlEx& list = ShowPage(p.Root(NodeKind_Asio));
    std::vector<int> rows;
    for (int r = 0; r < list.RowCount() && rows.size() < HistorySampler::WatchCapacity; ++r)
        if (!list.CellText(r, 0).isEmpty()) rows.push_back(r);
    for (int r : rows) p.View().RequestHistory(list, r, 1);
    ASSERT_EQ(Windows().size(), HistorySampler::WatchCapacity);

    CHistoryWindow* first = nullptr;
    for (CHistoryWindow* w : Windows())
        if (w->windowTitle().startsWith(list.CellText(rows[0], 0) + " -")) first = w;
    ASSERT_NE(first, nullptr);
    first->showMinimized();
    p.View().RequestHistory(list, rows[0], 1);
    EXPECT_EQ(Windows().size(), HistorySampler::WatchCapacity);
    EXPECT_FALSE(first->isMinimized());

    QString said;
    {
        ModalHook hook([&](QWidget& box) {
            EXPECT_EQ(box.objectName(), "historyLimitBox");
            said = static_cast<QMessageBox&>(box).text();
        });
        p.View().RequestHistory(list, list.RowCount() - 1, 1);
        EXPECT_EQ(hook.Seen(), 1);
    }
    EXPECT_EQ(said, "At most 8 history plots can be open at once. Close one to open another.");
    EXPECT_EQ(Windows().size(), HistorySampler::WatchCapacity);

    // Closing one makes room, and its counter starts afresh when plotted again.
    p.Tick(3);
    first->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(p.frame->HistoryPlots().OpenCount(), int(HistorySampler::WatchCapacity) - 1);
    p.View().RequestHistory(list, rows[0], 1);
    p.Tick();
    for (CHistoryWindow* w : Windows())
        if (w->windowTitle().startsWith(list.CellText(rows[0], 0) + " -")) {
            EXPECT_EQ(Pieces(*w, "Value"), (std::vector<qsizetype>{1}));
        }
}

TEST_F(HistoryFixture, ADriverLossBreaksTheLineAndAClearIsAMark) {
    CListColorCtrlEx& list = ShowPage(p.Root(NodeKind_IsoOutStreams)->child(0));
    p.View().RequestHistory(list, RowNamed(list, "TotalPacketsSent"), 1);
    CHistoryWindow& window = OnlyWindow();
    p.Tick(4);
    p.sim.SetLoaded(false);
    p.Tick(3);
    p.sim.SetLoaded(true);
    p.Tick(4);
    p.frame->OnClearStatistics();
    p.Tick(3);
    EXPECT_EQ(Pieces(window, "Value"), (std::vector<qsizetype>{4, 4, 3}));
    EXPECT_EQ(Pieces(window, "Per second"), (std::vector<qsizetype>{3, 3, 2}));
    EXPECT_EQ(ClearMarks(window), 1);
    // After the clear the count starts low again; the axis takes in both.
    const auto& valueAxis = Axis(window, "valueAxis");
    EXPECT_LT(valueAxis.min(), 8000.0 * 2);
    EXPECT_GT(valueAxis.max(), 8000.0 * 4);

    // A hidden window is not redrawn; shown again it catches up.
    window.hide();
    p.Tick(2);
    EXPECT_EQ(Pieces(window, "Value"), (std::vector<qsizetype>{4, 4, 3}));
    window.show();
    EXPECT_EQ(Pieces(window, "Value"), (std::vector<qsizetype>{4, 4, 5}));
}

TEST_F(HistoryFixture, SavesAScreenshotOfAPlot) {
    CListColorCtrlEx& list = ShowPage(p.Root(NodeKind_IsoInStreams));
    p.View().RequestHistory(list, RowNamed(list, "SamplesTransferred"), 1);
    CHistoryWindow& window = OnlyWindow();
    p.sim.SetErrorRate(0.5);
    p.Tick(40);
    p.sim.SetLoaded(false);
    p.Tick(10);
    p.sim.SetLoaded(true);
    p.Tick(30);
    p.frame->OnClearStatistics();
    p.Tick(40);
    QApplication::processEvents();
    QDir().mkpath(QOR_SCREENSHOT_DIR);
    const QImage image = window.grab().toImage();
    ASSERT_FALSE(image.isNull());
    EXPECT_TRUE(image.save(QString(QOR_SCREENSHOT_DIR) + "/history-plot.png"));  // for people to look at
    // The value line is drawn: its colour is in the picture.
    const QColor value(0, 90, 200);
    int bluish = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) bluish += image.pixelColor(x, y) == value ? 1 : 0;
    EXPECT_GT(bluish, 50);
}

TEST_F(HistoryFixture, WhatThePageShowsAsNaIsNotDrawnAndOnlyTheNewestPiecesAre) {
    CListColorCtrlEx& asio = ShowPage(p.Root(NodeKind_Asio));
    const int row = RowNamed(asio, "TotalBufferSwitches");
    p.View().RequestHistory(asio, row, 1);
    CHistoryWindow& window = OnlyWindow();
    p.Tick(3);
    p.sim.SetExtendedStatistics(false);  // the page shows n/a
    p.Tick(3);
    EXPECT_EQ(asio.CellText(row, 1), "n/a");
    p.sim.SetExtendedStatistics(true);
    p.Tick(3);
    // The ASIO page shows the records of the refresh before; the plot reads the latest.
    EXPECT_EQ(Pieces(window, "Value"), (std::vector<qsizetype>{3, 3}));

    // Every driver loss starts a new piece; the oldest go once the window has no more.
    for (int i = 0; i < CHistoryWindow::PieceCapacity; ++i) {
        p.sim.SetLoaded(false);
        p.Tick();
        p.sim.SetLoaded(true);
        p.Tick(2);
    }
    EXPECT_EQ(Pieces(window, "Value"), std::vector<qsizetype>(CHistoryWindow::PieceCapacity, 2));
}

TEST_F(HistoryFixture, TenMinutesAreDrawnWithNoMorePointsThanThePlotHasRoomFor) {
    CListColorCtrlEx& list = ShowPage(p.Root(NodeKind_IsoInStreams)->child(0));
    p.View().RequestHistory(list, RowNamed(list, "TotalPacketsReceived"), 1);
    CHistoryWindow& window = OnlyWindow();
    p.Tick(1300);  // 10 minutes and 50 s
    const auto* line = qobject_cast<QLineSeries*>(ChartOf(window).series().first());
    ASSERT_EQ(Pieces(window, "Value").size(), 1u);
    EXPECT_LE(line->count(), ChartOf(window).plotArea().width() + 2);
    EXPECT_GT(line->count(), 100);
    // From ten minutes ago to now, up to the latest value.
    EXPECT_NEAR(line->at(0).x(), -10.0, 0.05);
    EXPECT_DOUBLE_EQ(line->at(line->count() - 1).x(), 0.0);
    EXPECT_EQ(line->at(line->count() - 1).y(), list.CellText(RowNamed(list, "TotalPacketsReceived"), 1).remove(' ').toDouble());
    for (qsizetype i = 1; i < line->count(); ++i) ASSERT_LT(line->at(i - 1).x(), line->at(i).x()) << i;
}
