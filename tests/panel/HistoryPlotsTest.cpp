#include <gtest/gtest.h>

#include <QDir>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QTime>
#include <QWheelEvent>
#include <algorithm>
#include <vector>

#include "controls/CListColorCtrlEx.h"
#include "pages/ListPage.h"
#include "plots/HistoryChart.h"
#include "plots/HistoryPlots.h"
#include "plots/HistoryWindow.h"
#include "support/ModalHook.h"
#include "support/PanelFixture.h"

namespace {

struct HistoryFixture : ::testing::Test {
    PanelFixture p;

    HistoryFixture() {
        // The plots' time is the simulator's.
        p.Start({.clock = p.SimulatorClock()});
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
        auto* page = dynamic_cast<ListPage*>(p.View().VisiblePage());
        if (page == nullptr) throw std::runtime_error("no list page");
        return page->List();
    }
    static int RowNamed(const CListColorCtrlEx& list, const char* name) {
        for (int r = 0; r < list.RowCount(); ++r)
            if (list.CellText(r, 0) == QLatin1String(name)) return r;
        throw std::runtime_error(std::string("no row ") + name);
    }
    QList<HistoryWindow*> Windows() const { return p.frame->findChildren<HistoryWindow*>(); }
    HistoryWindow& OnlyWindow() const {
        const auto windows = Windows();
        if (windows.size() != 1) throw std::runtime_error("not one window");
        return *windows.front();
    }
    static HistoryChart& ChartOf(const HistoryWindow& w) { return Child<HistoryChart>(w, "historyChart"); }
    static const HistoryChart::Line& LineOf(const HistoryWindow& w, const char* line) {
        return std::string_view(line) == "Value" ? ChartOf(w).ValueLine() : ChartOf(w).RateLine();
    }
    // The point counts of the pieces of a line that hold any, oldest first.
    static std::vector<qsizetype> Pieces(const HistoryWindow& w, const char* line) {
        std::vector<qsizetype> counts;
        const HistoryChart::Line& l = LineOf(w, line);
        for (int i = 0; i < l.used; ++i)
            if (!l.pieces[size_t(i)].empty()) counts.push_back(qsizetype(l.pieces[size_t(i)].size()));
        return counts;
    }
    static qsizetype Marks(const HistoryWindow& w, MarkKind kind) {
        const auto& marks = ChartOf(w).Marks();
        return std::count_if(marks.begin(), marks.end(), [kind](const EventMark& m) { return m.kind == kind; });
    }
    static qsizetype ClearMarks(const HistoryWindow& w) { return Marks(w, MarkKind::Cleared); }
    // The chart's x of a time on the cycle's clock, as it draws it.
    static double XOf(const HistoryChart& c, double ms) {
        const QRect plot = c.PlotRect();
        return plot.left() + (ms - double(c.ViewStartMs())) * (plot.width() - 1) / double(c.ViewEndMs() - c.ViewStartMs());
    }
    static void Mouse(HistoryChart& c, QEvent::Type type, QPointF at, Qt::MouseButtons buttons) {
        QMouseEvent event(type, at, c.mapToGlobal(at), type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                          buttons, Qt::NoModifier);
        QApplication::sendEvent(&c, &event);
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
    HistoryWindow& window = OnlyWindow();
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.windowTitle(), "TotalPacketsReceived - ISO IN Streams, " + list.HeadingText(2));
    // The press before the double-click did what a click does; the double-click added nothing.
    EXPECT_EQ(list.CurrentRow(), row);
    EXPECT_EQ(p.View().DescriptionText(), QString::fromLatin1(p.View().VisiblePage()->RowDescription(p.Selected(), row)));

    p.Tick(5);
    EXPECT_EQ(Pieces(window, "Value"), (std::vector<qsizetype>{5}));
    EXPECT_EQ(Pieces(window, "Per second"), (std::vector<qsizetype>{4}));
    // 8000 packets a second, on the rate axis.
    const std::vector<QPointF>& rate = ChartOf(window).RateLine().pieces[0];
    const double now = double(ChartOf(window).ViewEndMs());
    EXPECT_DOUBLE_EQ(rate.at(3).y(), 8000.0);
    EXPECT_DOUBLE_EQ(rate.at(3).x(), now);  // now, at the right edge
    EXPECT_DOUBLE_EQ(rate.at(0).x(), now - 1500);
    EXPECT_LE(ChartOf(window).RateAxis().ticks.low, 0.0);
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

    HistoryWindow* first = nullptr;
    for (HistoryWindow* w : Windows())
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
    EXPECT_EQ(p.frame->Plots().OpenCount(), int(HistorySampler::WatchCapacity) - 1);
    p.View().RequestHistory(list, rows[0], 1);
    p.Tick();
    for (HistoryWindow* w : Windows())
        if (w->windowTitle().startsWith(list.CellText(rows[0], 0) + " -")) {
            EXPECT_EQ(Pieces(*w, "Value"), (std::vector<qsizetype>{1}));
        }
}

TEST_F(HistoryFixture, ADriverLossBreaksTheLineAndAClearIsAMark) {
    CListColorCtrlEx& list = ShowPage(p.Root(NodeKind_IsoOutStreams)->child(0));
    p.View().RequestHistory(list, RowNamed(list, "TotalPacketsSent"), 1);
    HistoryWindow& window = OnlyWindow();
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
    const HistoryChart::Axis& valueAxis = ChartOf(window).ValueAxis();
    EXPECT_LT(valueAxis.ticks.low, 8000.0 * 2);
    EXPECT_GT(valueAxis.High(), 8000.0 * 4);

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
    HistoryWindow& window = OnlyWindow();
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
    HistoryWindow& window = OnlyWindow();
    p.Tick(3);
    p.sim.SetExtendedStatistics(false);  // the page shows n/a
    p.Tick(3);
    EXPECT_EQ(asio.CellText(row, 1), "n/a");
    p.sim.SetExtendedStatistics(true);
    p.Tick(3);
    // The ASIO page shows the records of the refresh before; the plot reads the latest.
    EXPECT_EQ(Pieces(window, "Value"), (std::vector<qsizetype>{3, 3}));

    // Every driver loss starts a new piece; the oldest go once the window has no more.
    for (int i = 0; i < HistoryWindow::PieceCapacity; ++i) {
        p.sim.SetLoaded(false);
        p.Tick();
        p.sim.SetLoaded(true);
        p.Tick(2);
    }
    EXPECT_EQ(Pieces(window, "Value"), std::vector<qsizetype>(HistoryWindow::PieceCapacity, 2));
}

TEST_F(HistoryFixture, TenMinutesAreDrawnWithNoMorePointsThanThePlotHasRoomFor) {
    CListColorCtrlEx& list = ShowPage(p.Root(NodeKind_IsoInStreams)->child(0));
    p.View().RequestHistory(list, RowNamed(list, "TotalPacketsReceived"), 1);
    HistoryWindow& window = OnlyWindow();
    p.Tick(1300);  // 10 minutes and 50 s
    const std::vector<QPointF>& line = ChartOf(window).ValueLine().pieces[0];
    ASSERT_EQ(Pieces(window, "Value").size(), 1u);
    EXPECT_LE(qsizetype(line.size()), ChartOf(window).PlotRect().width() + 2);
    EXPECT_GT(line.size(), 100u);
    // From ten minutes ago to now, up to the latest value.
    const double now = double(ChartOf(window).ViewEndMs());
    EXPECT_NEAR(line.front().x(), now - 10.0 * 60000, 0.05 * 60000);
    EXPECT_DOUBLE_EQ(line.back().x(), now);
    EXPECT_EQ(line.back().y(), list.CellText(RowNamed(list, "TotalPacketsReceived"), 1).remove(' ').toDouble());
    for (size_t i = 1; i < line.size(); ++i) ASSERT_LT(line[i - 1].x(), line[i].x()) << i;
}

TEST_F(HistoryFixture, TheTimeAxisTellsClockTimesEvenlyAndEachOnce) {
    CListColorCtrlEx& list = ShowPage(p.Root(NodeKind_IsoInStreams));
    p.View().RequestHistory(list, RowNamed(list, "TotalPacketsReceived"), 1);
    HistoryWindow& window = OnlyWindow();
    p.Tick(20);
    const QStringList labels = ChartOf(window).TimeLabels();
    ASSERT_GE(labels.size(), 3) << labels.join(' ').toStdString();
    const QRegularExpression clock("^\\d\\d:[0-5]\\d:[0-5]\\d$");
    std::vector<int> seconds;
    for (const QString& label : labels) {
        EXPECT_TRUE(clock.match(label).hasMatch()) << label.toStdString();
        seconds.push_back(QTime::fromString(label, "HH:mm:ss").msecsSinceStartOfDay() / 1000);
    }
    constexpr int Day = 24 * 3600;
    const int step = (seconds[1] - seconds[0] + Day) % Day;
    EXPECT_GE(step, 60);  // ten minutes on some 500 pixels: a label a minute or two
    for (size_t i = 1; i < seconds.size(); ++i) EXPECT_EQ((seconds[i] - seconds[i - 1] + Day) % Day, step) << i;
    // The right edge is now on the wall clock: the last label within a step of it.
    const int now = QTime::currentTime().msecsSinceStartOfDay() / 1000;
    EXPECT_LE((now - seconds.back() + Day) % Day, step);
}

TEST_F(HistoryFixture, DriverLossHotPlugClearAndErrorRisesAreMarkedAndReadOut) {
    CListColorCtrlEx& list = ShowPage(p.Root(NodeKind_IsoInStreams));
    p.View().RequestHistory(list, RowNamed(list, "TotalPacketsReceived"), 1);
    HistoryWindow& window = OnlyWindow();
    HistoryChart& chart = ChartOf(window);
    p.Tick(4);
    for (MarkKind kind : {MarkKind::DriverLost, MarkKind::Device, MarkKind::Cleared, MarkKind::ErrorRose})
        EXPECT_EQ(Marks(window, kind), 0);
    p.sim.SetLoaded(false);
    p.Tick(2);
    p.sim.SetLoaded(true);
    p.Tick(2);
    p.sim.SetDeviceCount(1);
    p.Tick(2);
    p.frame->OnClearStatistics();
    p.Tick(2);
    p.sim.SetErrorRate(50);
    p.Tick(4);
    for (MarkKind kind : {MarkKind::DriverLost, MarkKind::Device, MarkKind::Cleared, MarkKind::ErrorRose})
        EXPECT_GE(Marks(window, kind), 1) << int(kind);

    // The pointer on the loss reads out its clock time and what happened.
    const auto& marks = chart.Marks();
    const auto lost = std::find_if(marks.begin(), marks.end(), [](const EventMark& m) { return m.kind == MarkKind::DriverLost; });
    Mouse(chart, QEvent::MouseMove, QPointF(XOf(chart, double(lost->monotonicMs)), chart.PlotRect().center().y()),
          Qt::NoButton);
    const QStringList readout = chart.Readout();
    const QStringList told = readout.filter(QRegularExpression("^\\d\\d:\\d\\d:\\d\\d  Driver lost\\.$"));
    EXPECT_EQ(told.size(), 1) << readout.join('|').toStdString();

    // On the latest sample: its clock time and the value the page shows.
    Mouse(chart, QEvent::MouseMove, QPointF(chart.PlotRect().right(), chart.PlotRect().center().y()), Qt::NoButton);
    const QString cell = list.CellText(RowNamed(list, "TotalPacketsReceived"), 1);
    EXPECT_TRUE(chart.Readout().value(0).contains("   Value: " + cell + "   Per second: "))
        << chart.Readout().value(0).toStdString() << " / " << cell.toStdString();
}

TEST_F(HistoryFixture, TheWheelZoomsADragMovesBackAndADoubleClickReturnsToNow) {
    CListColorCtrlEx& list = ShowPage(p.Root(NodeKind_IsoInStreams));
    p.View().RequestHistory(list, RowNamed(list, "TotalPacketsReceived"), 1);
    HistoryWindow& window = OnlyWindow();
    HistoryChart& chart = ChartOf(window);
    p.Tick(1300);  // the ten minutes kept, and more
    const QPointF middle = chart.PlotRect().center();
    const double timeAtMiddle = chart.ViewStartMs() + (chart.ViewEndMs() - chart.ViewStartMs()) / 2.0;
    QWheelEvent wheel(middle, chart.mapToGlobal(middle), QPoint(), QPoint(0, 3 * 120), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(&chart, &wheel);
    const int64_t span = chart.ViewEndMs() - chart.ViewStartMs();
    EXPECT_NEAR(double(span), HistoryChart::SpanMs * 0.512, 1000);
    EXPECT_NEAR(timeAtMiddle, chart.ViewStartMs() + double(span) / 2, 1000);  // the time under the pointer stays
    EXPECT_FALSE(chart.FollowsNow());
    // Only the span's samples are drawn, and finer clock labels tell it.
    const auto& line = chart.ValueLine().pieces[0];
    EXPECT_GE(line.front().x(), double(chart.ViewStartMs()));
    EXPECT_LE(line.back().x(), double(chart.ViewEndMs()));
    EXPECT_GE(chart.TimeLabels().size(), 3);

    // A zoomed view stays on its time while ticks go by.
    const int64_t end = chart.ViewEndMs();
    p.Tick(4);
    EXPECT_EQ(chart.ViewEndMs(), end);

    // Dragging to the right goes back in time by as much as the drag spans.
    Mouse(chart, QEvent::MouseButtonPress, middle, Qt::LeftButton);
    Mouse(chart, QEvent::MouseMove, middle + QPointF(100, 0), Qt::LeftButton);
    Mouse(chart, QEvent::MouseButtonRelease, middle + QPointF(100, 0), Qt::NoButton);
    EXPECT_NEAR(double(end - chart.ViewEndMs()), 100.0 * double(span) / (chart.PlotRect().width() - 1), 1000);
    // ... but never before the ten minutes kept.
    Mouse(chart, QEvent::MouseButtonPress, middle, Qt::LeftButton);
    Mouse(chart, QEvent::MouseMove, middle + QPointF(5000, 0), Qt::LeftButton);
    Mouse(chart, QEvent::MouseButtonRelease, middle + QPointF(5000, 0), Qt::NoButton);
    EXPECT_GE(chart.ViewStartMs(), int64_t(p.sim.ElapsedMs()) - HistoryChart::SpanMs);

    Mouse(chart, QEvent::MouseButtonDblClick, middle, Qt::LeftButton);
    EXPECT_TRUE(chart.FollowsNow());
    EXPECT_EQ(chart.ViewEndMs() - chart.ViewStartMs(), HistoryChart::SpanMs);
    p.Tick();
    EXPECT_EQ(chart.ViewEndMs(), int64_t(p.sim.ElapsedMs()));
}

namespace {
// Counts the paints a widget gets.
struct PaintCounter : QObject {
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        paints += event->type() == QEvent::Paint;
        return false;
    }
};
}  // namespace

// A ten-minute view moves half a pixel a tick: it is painted when it moved a whole pixel, and at
// once when something happened; a view zoomed in moves pixels a tick and is painted every tick.
TEST_F(HistoryFixture, ATickIsPaintedOnlyWhenThePictureChanges) {
    CListColorCtrlEx& list = ShowPage(p.Root(NodeKind_Asio));
    p.View().RequestHistory(list, RowNamed(list, "TotalBufferSwitches"), 1);
    HistoryChart& chart = ChartOf(OnlyWindow());
    p.Tick(1300);
    QApplication::processEvents();
    PaintCounter counter;
    chart.installEventFilter(&counter);
    auto paintsOver = [&](int ticks) {
        counter.paints = 0;
        for (int i = 0; i < ticks; ++i) {
            p.Tick();
            QApplication::processEvents();
        }
        return counter.paints;
    };
    const double msPerPixel = double(HistoryChart::SpanMs) / (chart.PlotRect().width() - 1);
    const int steady = paintsOver(40);
    EXPECT_GE(steady, int(40 * 500 / msPerPixel) - 2) << "a pixel's move is painted";
    EXPECT_LE(steady, int(40 * 500 / msPerPixel) + 2) << "half a pixel's is not";
    p.sim.SetLoaded(false);
    EXPECT_EQ(paintsOver(1), 1) << "the driver's loss is marked at once";
    p.sim.SetLoaded(true);
    paintsOver(2);
    // Zoomed in at the right edge, the view still ends at now.
    const QPointF edge(chart.PlotRect().right(), chart.PlotRect().center().y());
    QWheelEvent wheel(edge, chart.mapToGlobal(edge), QPoint(), QPoint(0, 20 * 120), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(&chart, &wheel);
    ASSERT_LT(chart.ViewEndMs() - chart.ViewStartMs(), 60000);
    ASSERT_TRUE(chart.FollowsNow());
    EXPECT_EQ(paintsOver(10), 10) << "a zoomed view moves pixels a tick";
}
