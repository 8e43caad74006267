#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QLabel>

#include "support/ModalHook.h"
#include "support/PanelFixture.h"

TEST(AboutBox, HelpMenuShowsThePanelVersionAndClosesWithOk) {
    PanelFixture p;
    p.sim.SetLoaded(false);
    p.Start();
    QString title, version, copyright;
    ModalHook hook([&](QWidget& box) {
        title = box.windowTitle();
        version = box.findChild<QLabel*>("version")->text();
        copyright = box.findChild<QLabel*>("copyright")->text();
        box.findChild<QAbstractButton*>("ok")->click();
    });
    p.frame->findChild<QAction*>("menuAbout")->trigger();
    EXPECT_EQ(hook.Seen(), 1);
    EXPECT_EQ(title, "About Statistics Panel");
    EXPECT_EQ(version, "  Velmoric 1394 Driver Statistics Panel  V5.12.0");
    EXPECT_TRUE(copyright.startsWith("Copyright"));
}

TEST(MainFrameWindow, HasTheFixedSizeMenusAndPromptsOfThePanel) {
    PanelFixture p;
    p.sim.SetLoaded(false);
    CMainFrame& frame = p.Start();
    EXPECT_EQ(frame.minimumSize(), frame.maximumSize());  // cannot be resized
    EXPECT_FALSE(frame.windowFlags() & Qt::WindowMaximizeButtonHint);
    QAction* startStop = frame.StartStopAction();
    EXPECT_EQ(startStop->toolTip(), "Start / Stop");
    EXPECT_EQ(startStop->statusTip(), "Start / Stop - reading from device");
    EXPECT_EQ(frame.findChild<QAction*>("menuClearStatistics")->toolTip(), "Cleat");
    EXPECT_EQ(frame.findChild<QAction*>("toolbarClearStatistics")->toolTip(), "Clear statistics");
    EXPECT_EQ(frame.findChild<QAction*>("menuTraceMask")->text(), "Set qor_1394 &Trace Mask");
}
