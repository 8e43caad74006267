// The frame on screens with and without room for the design's size. The small screen needs a
// process of its own, since the scale and the screens are fixed when the application starts:
// this test program runs once more, on a 1280 x 1024 screen at twice the scale.
#include <gtest/gtest.h>

#include <QFile>
#include <QMenuBar>
#include <QProcess>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QToolBar>

#include "support/PanelFixture.h"

namespace {
constexpr const char* ChildVariable = "QOR_SMALL_SCREEN_CHILD";

QScrollArea& Scroller(CMainFrame& frame) { return *frame.findChild<QScrollArea*>("viewScroller"); }

// Shown, with its tree filled from a driver.
CMainFrame& ShownPanel(PanelFixture& p) {
    CMainFrame& frame = p.Start();
    p.Tick(3);
    frame.show();
    QApplication::processEvents();
    return frame;
}
}  // namespace

TEST(SmallScreen, WithRoomTheWholeViewShowsWithoutScrollBars) {
    PanelFixture p;
    CMainFrame& frame = ShownPanel(p);
    ASSERT_TRUE(frame.screen()->availableGeometry().contains(frame.frameGeometry())) << "the test screen is too small";
    QScrollArea& scroller = Scroller(frame);
    EXPECT_EQ(scroller.viewport()->size(), frame.View().size());
    EXPECT_EQ(scroller.horizontalScrollBar()->maximum(), 0);
    EXPECT_EQ(scroller.verticalScrollBar()->maximum(), 0);
}

TEST(SmallScreen, AtTwiceTheScaleTheFrameFitsAndTheViewScrolls) {
    QTemporaryDir dir;
    const QString config = dir.path() + "/screens.json";
    QFile file(config);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(R"({"screens": [{"name": "small", "x": 0, "y": 0, "width": 1280, "height": 1024}]})");
    file.close();

    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen:configfile=" + config);
    env.insert("QT_SCALE_FACTOR", "2");
    env.insert(ChildVariable, "1");
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(), {"--gtest_filter=SmallScreenChild.*"});
    ASSERT_TRUE(child.waitForFinished(60000));
    const QString output = QString::fromLocal8Bit(child.readAll());
    EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
    EXPECT_TRUE(output.contains("[       OK ] SmallScreenChild.")) << output.toStdString();
}

TEST(SmallScreenChild, MenuToolbarAndStatusBarStayInReach) {
    if (!qEnvironmentVariableIsSet(ChildVariable)) GTEST_SKIP() << "run by SmallScreen.AtTwiceTheScale...";
    PanelFixture p;
    CMainFrame& frame = ShownPanel(p);
    const QRect available = frame.screen()->availableGeometry();
    ASSERT_EQ(available.size(), QSize(640, 512)) << "1280 x 1024 at twice the scale";

    EXPECT_TRUE(available.contains(frame.frameGeometry()))
        << frame.frameGeometry().width() << " x " << frame.frameGeometry().height();
    EXPECT_EQ(frame.minimumSize(), frame.maximumSize()) << "still of a fixed size";
    for (QWidget* bar : {static_cast<QWidget*>(frame.menuBar()), static_cast<QWidget*>(frame.findChild<QToolBar*>("toolbar")),
                         static_cast<QWidget*>(frame.statusBar())}) {
        SCOPED_TRACE(bar->objectName().toStdString());
        EXPECT_TRUE(bar->isVisible());
        EXPECT_TRUE(frame.rect().contains(bar->geometry()));
    }

    // Scrolled to the end, the view's far corner comes into sight.
    QScrollArea& scroller = Scroller(frame);
    EXPECT_GT(scroller.horizontalScrollBar()->maximum(), 0);
    EXPECT_GT(scroller.verticalScrollBar()->maximum(), 0);
    scroller.horizontalScrollBar()->setValue(scroller.horizontalScrollBar()->maximum());
    scroller.verticalScrollBar()->setValue(scroller.verticalScrollBar()->maximum());
    const QWidget& view = frame.View();
    const QPoint corner = view.mapTo(scroller.viewport(), QPoint(view.width() - 1, view.height() - 1));
    EXPECT_TRUE(scroller.viewport()->rect().contains(corner));
}
