#include <gtest/gtest.h>

#include <QAction>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QToolBar>

#include "app/CQorstatsApp.h"
#include "driver/IoctlCodes.h"
#include "support/ModalHook.h"
#include "support/PanelFixture.h"
#include "support/ScopedEnvironment.h"

namespace {
// A menu text as the user reads it: mnemonic markers removed, "&&" shown as "&".
QString Shown(QString text) { return text.replace("&&", QChar(1)).remove('&').replace(QChar(1), '&'); }

QList<QAction*> Buttons(QToolBar& toolbar) {
    QList<QAction*> buttons;
    for (QAction* a : toolbar.actions())
        if (!a->isSeparator()) buttons << a;
    return buttons;
}

// The single-instance lock of an in-process start-up lives in a runtime directory of its own.
struct PrivateRuntime {
    QTemporaryDir dir;
    ScopedEnvironment xdg{"XDG_RUNTIME_DIR", dir.path().toStdString()};
    QString appName = QCoreApplication::applicationName();
    ~PrivateRuntime() { QCoreApplication::setApplicationName(appName); }
};
}  // namespace

TEST(MainFrameShell, MenusToolbarAndPromptsReadAsDesigned) {
    PanelFixture p;
    CMainFrame& frame = p.Start();
    EXPECT_EQ(frame.minimumSize(), frame.maximumSize());  // cannot be resized
    EXPECT_FALSE(frame.windowFlags() & Qt::WindowMaximizeButtonHint);

    QStringList menus;
    for (QAction* popup : frame.menuBar()->actions()) {
        QStringList entries{Shown(popup->text())};
        for (QAction* item : popup->menu()->actions())
            if (!item->isSeparator()) entries << Shown(item->text());
        menus << entries.join(" | ");
    }
    EXPECT_EQ(menus.join('\n').toStdString(),
              "File | Save Snapshot As... | Record to File... | Close Application\n"
              "Debug | Set qor_1394 Trace Mask | Clear Statistics | Event Log... | Problems... | Desktop Notifications | Resizable Window\n"
              "Help | About Statistics Panel...");
    ASSERT_GE(frame.menuBar()->actions().size(), 2);
    const QList<QAction*> debug = frame.menuBar()->actions().at(1)->menu()->actions();
    ASSERT_EQ(debug.size(), 6);
    EXPECT_EQ(debug[0]->statusTip(), "Set Debug Trace Mask");
    EXPECT_EQ(debug[0]->toolTip(), "Trace settings");
    EXPECT_EQ(debug[1]->statusTip(), "Clear stream statistic");
    EXPECT_EQ(debug[1]->toolTip(), "Cleat");

    const QList<QAction*> buttons = Buttons(*frame.findChild<QToolBar*>("toolbar"));
    QStringList tips, statusTips;
    for (QAction* b : buttons) {
        tips << b->toolTip();
        statusTips << b->statusTip();
    }
    EXPECT_EQ(tips.join(" | ").toStdString(), "Start / Stop | Trace settings | Clear statistics | Event log");
    EXPECT_EQ(statusTips.join(" | ").toStdString(),
              "Start / Stop - reading from device | Set Debug Trace Mask | Clear stream statistic | "
              "Show what happened to the driver and its counters, and when");
    ASSERT_EQ(buttons.size(), 4);
    EXPECT_TRUE(buttons[0]->isCheckable());
    ModalHook anyDialog;  // a wrong button may open one
    buttons[2]->trigger();
    EXPECT_EQ(p.sim.RequestCount(IOCTL_QOR_CLEAR_STATISTICS), 1u);
    EXPECT_EQ(anyDialog.Seen(), 0);
}

TEST(MainFrameShell, StartUpNamesTheWindowItsDesktopEntryAndIconAndTheTicksKeepTheName) {
    PrivateRuntime runtime;
    PanelFixture p;
    CQorstatsApp app(p.dev, *p.settings);
    ASSERT_TRUE(app.InitInstance());
    CMainFrame* frame = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == "mainFrame" && w->isVisible()) frame = qobject_cast<CMainFrame*>(w);
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->windowTitle(), "Velmoric 1394 Driver Statistics Panel");
    // The desktop entry it names (Wayland's application id) is the installed one, and the
    // window icon comes in the installed icon's sizes.
    EXPECT_TRUE(QFile::exists(QStringLiteral(QOR_SOURCE_DIR "/data/%1.desktop").arg(QGuiApplication::desktopFileName())))
        << QGuiApplication::desktopFileName().toStdString();
    QList<QSize> sizes;
    for (int size : CQorstatsApp::IconSizes) sizes << QSize(size, size);
    EXPECT_EQ(frame->windowIcon().availableSizes(), sizes);
    frame->OnRefreshTimer();
    EXPECT_EQ(frame->windowTitle(), "Velmoric 1394 Driver Statistics Panel");
}
