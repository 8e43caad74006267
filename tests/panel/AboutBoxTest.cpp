#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QToolBar>
#include <memory>

#include "app/CQorstatsApp.h"
#include "app/ToolbarImages.h"
#include "controls/CColoredStatusBarCtrl.h"
#include "controls/StatusPane.h"
#include "res/ResourceIds.h"
#include "res/StringTable.h"
#include "support/ModalHook.h"
#include "support/PanelFixture.h"

TEST(AboutBox, HelpMenuShowsThePanelVersionAndClosesWithOk) {
    PanelFixture p;
    p.sim.SetLoaded(false);
    p.Start();
    QString title, version, copyright;
    QImage icon;
    ModalHook hook([&](QWidget& box) {
        title = box.windowTitle();
        version = box.findChild<QLabel*>("version")->text();
        copyright = box.findChild<QLabel*>("copyright")->text();
        icon = box.findChild<QLabel*>("icon")->pixmap().toImage();
        box.findChild<QAbstractButton*>("ok")->click();
    });
    p.frame->findChild<QAction*>("menuAbout")->trigger();
    EXPECT_EQ(hook.Seen(), 1);
    EXPECT_EQ(title, "About Statistics Panel");
    EXPECT_EQ(version, "  Velmoric 1394 Driver Statistics Panel  V5.12.0");
    EXPECT_TRUE(copyright.startsWith("Copyright"));
    EXPECT_FALSE(icon.isNull());
    EXPECT_EQ(icon, CQorstatsApp::AppIcon().pixmap(32, 32).toImage()) << "the application icon";
}

TEST(MainFrameWindow, ToolbarStaysAtTheTopAndStartsWithTheStoppedImage) {
    PanelFixture p;
    p.sim.SetLoaded(false);
    CMainFrame& frame = p.Start();
    auto* toolbar = frame.findChild<QToolBar*>("toolbar");
    ASSERT_NE(toolbar, nullptr);
    EXPECT_FALSE(toolbar->isMovable());
    EXPECT_FALSE(toolbar->isFloatable());
    EXPECT_EQ(toolbar->allowedAreas(), Qt::TopToolBarArea);
    EXPECT_EQ(frame.toolBarArea(toolbar), Qt::TopToolBarArea);
    EXPECT_EQ(std::unique_ptr<QMenu>(frame.createPopupMenu()), nullptr) << "no menu hides it";
    EXPECT_FALSE(Child<CColoredStatusBarCtrl>(frame, "statusBar").isSizeGripEnabled());

    const QImage stopped = ToolbarImages::StartStop(Res::IDB_STOPPED).pixmap(16, 15).toImage();
    EXPECT_EQ(frame.ToolbarBitmap(), Res::IDB_STOPPED);
    EXPECT_EQ(Child<QAction>(frame, "startStop").icon().pixmap(16, 15).toImage(), stopped);
    p.Tick();  // driver absent: nothing is read, and the image says so
    EXPECT_EQ(Child<QAction>(frame, "startStop").icon().pixmap(16, 15).toImage(),
              ToolbarImages::StartStop(Res::IDB_READING_2).pixmap(16, 15).toImage());
}

TEST(MainFrameWindow, IsCentredOnItsFirstShowOnly) {
    PanelFixture p;
    p.sim.SetLoaded(false);
    CMainFrame& frame = p.Start();
    frame.show();
    QApplication::processEvents();
    const QPoint moved = frame.pos() + QPoint(37, 23);
    frame.move(moved);
    QApplication::processEvents();
    ASSERT_EQ(frame.pos(), moved);
    frame.hide();
    frame.showMinimized();
    frame.showNormal();
    QApplication::processEvents();
    EXPECT_EQ(frame.pos(), moved);
}

TEST(MainFrameWindow, EveryStatusTextFitsItsPane) {
    PanelFixture p;
    CMainFrame& frame = p.Start();
    frame.show();
    QApplication::processEvents();
    CColoredStatusBarCtrl& bar = Child<CColoredStatusBarCtrl>(frame, "statusBar");
    auto expectFits = [&bar](int pane) {
        const QWidget* widget = bar.PaneWidget(pane);
        const int needed = widget->fontMetrics().horizontalAdvance(bar.PaneText(pane)) + 2 * CColoredStatusBarCtrl::TextIndent;
        EXPECT_GE(widget->width(), needed) << bar.PaneText(pane).toStdString();
    };
    for (int pane = 0; pane < 3; ++pane) expectFits(pane);  // as the window opens, before the first tick

    const std::pair<int, const char*> texts[] = {
        {0, Str::StatusOpenedCantRead}, {0, Str::StatusReading},      {0, Str::StatusStopped},
        {0, Str::StatusTrying},         {1, Str::StatusElapsedLabel}, {1, "Elapsed time 98:59.59"},
        {2, Str::StatusNotOpened},      {2, Str::StatusOpened},
    };
    for (const auto& [pane, text] : texts) {
        frame.SetPane(pane, text, Colours::White, Colours::Black);
        frame.RepaintNow();
        expectFits(pane);
    }
    EXPECT_GE(bar.PaneWidget(0)->width(), 200);
    EXPECT_GE(bar.PaneWidget(1)->width(), 200);
    EXPECT_GE(bar.PaneWidget(2)->width(), 100);
}
