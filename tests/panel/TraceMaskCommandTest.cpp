#include <gtest/gtest.h>

#include <QAction>
#include <QMessageBox>

#include "controls/CColoredStatusBarCtrl.h"
#include "driver/IoctlCodes.h"
#include "support/ModalHook.h"
#include "support/PanelFixture.h"
#include "trace/CDbgMaskDlg.h"

namespace {
struct Box {
    QString caption;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    bool timerRunning = true;
};

// Runs the trace mask command and reports the message box it showed instead of the dialog.
Box RunExpectingBox(PanelFixture& p) {
    Box box;
    ModalHook hook([&](QWidget& modal) {
        auto* message = qobject_cast<QMessageBox*>(&modal);
        if (!message) return;
        box.caption = message->windowTitle();
        box.text = message->text();
        box.icon = message->icon();
        box.timerRunning = p.frame->IsRefreshTimerRunning();
    });
    p.frame->OnTraceMask();
    EXPECT_EQ(hook.Seen(), 1);
    return box;
}
}  // namespace

TEST(TraceMaskCommand, WithoutDeviceSaysSoAndTheTicksResume) {
    PanelFixture p;
    p.sim.SetLoaded(false);
    p.Start();
    p.Tick();
    Box box = RunExpectingBox(p);
    EXPECT_EQ(box.caption, "ERROR: No device connected.");
    EXPECT_EQ(box.text, "There is no device connected.");
    EXPECT_EQ(box.icon, QMessageBox::Critical);
    EXPECT_FALSE(box.timerRunning);
    EXPECT_TRUE(p.frame->IsRefreshTimerRunning());
    EXPECT_EQ(p.sim.RequestCount(IOCTL_QOR_GET_TRACE_MASK), 0u);

    // The polling goes on: a driver that turns up now is read at the next tick.
    p.sim.SetLoaded(true);
    p.Tick();
    EXPECT_EQ(p.StatusBar().PaneText(2), "Driver opened.");
}

TEST(TraceMaskCommand, AReleaseBuildDriverNeverGetsTheDialog) {
    PanelFixture p;
    p.sim.SetDebugBuild(false);
    p.Start();
    p.Tick();
    Box box = RunExpectingBox(p);
    EXPECT_EQ(box.caption, "ERROR: Tracing is not supported.");
    EXPECT_EQ(box.text,
              "Currently, there is a release build of the driver running. Tracing is not supported by the release "
              "build.");
    EXPECT_EQ(box.icon, QMessageBox::Critical);
    EXPECT_FALSE(box.timerRunning);
    EXPECT_TRUE(p.frame->IsRefreshTimerRunning());
    EXPECT_EQ(p.sim.RequestCount(IOCTL_QOR_GET_TRACE_MASK), 0u);
    EXPECT_EQ(p.sim.RequestCount(IOCTL_QOR_SET_TRACE_MASK), 0u);

    // The answer follows the version of the latest tick.
    p.sim.SetDebugBuild(true);
    p.Tick();
    bool dialog = false;
    ModalHook hook([&](QWidget& modal) { dialog = qobject_cast<CDbgMaskDlg*>(&modal) != nullptr; });
    p.frame->OnTraceMask();
    EXPECT_TRUE(dialog);
}

TEST(TraceMaskCommand, MenuToolbarAndSecondCommandIdOpenTheSameDialog) {
    PanelFixture p;
    p.Start();
    p.Tick();
    for (const char* name : {"menuTraceMask", "toolbarTraceMask", "traceMaskAlt"}) {
        auto* action = p.frame->findChild<QAction*>(name);
        ASSERT_NE(action, nullptr) << name;
        QString opened;
        ModalHook hook([&](QWidget& modal) { opened = modal.objectName(); });
        action->trigger();
        EXPECT_EQ(opened, "traceMaskDialog") << name;
        EXPECT_FALSE(p.dev.IsOpen()) << name;
        EXPECT_TRUE(p.frame->IsRefreshTimerRunning()) << name;
    }
    EXPECT_EQ(p.sim.RequestCount(IOCTL_QOR_GET_TRACE_MASK), 3u);
}
