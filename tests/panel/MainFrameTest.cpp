#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QTest>

#include "controls/CColoredStatusBarCtrl.h"
#include "controls/CListColorCtrlEx.h"
#include "pages/CDlgPgAsio.h"
#include "pages/CDlgPgDevices.h"
#include "pages/CDlgPgInfo.h"
#include "pages/CDlgPgIsoInStreams.h"
#include "pages/CDlgPgSingleChannel.h"
#include "res/ResourceIds.h"
#include "support/PanelFixture.h"

namespace {
QString PaneText(PanelFixture& p, int pane) { return p.StatusBar().PaneText(pane); }
}  // namespace

TEST(MainFrame, StartsWithoutDriverOnGeneralWithPlaceholdersAndRedStatus) {
    PanelFixture p;
    p.sim.SetLoaded(false);
    CMainFrame& frame = p.Start();
    EXPECT_EQ(PaneText(p, 0), "Driver opened - can't read from device.");
    EXPECT_EQ(PaneText(p, 1), "Elapsed time: ");
    p.Tick(3);
    EXPECT_EQ(PaneText(p, 2), "Driver not opened.");
    EXPECT_EQ(Child<CColoredStatusBarCtrl>(frame, "statusBar").PaneBackground(2), Colours::StatusRed);
    EXPECT_EQ(PaneText(p, 0), "Trying to read from device.");
    EXPECT_EQ(PaneText(p, 1), "00:00.00");
    EXPECT_EQ(KindOf(p.Selected()), NodeKind_Info);
    EXPECT_EQ(p.Tree().topLevelItemCount(), 7);
    EXPECT_EQ(p.View().DescriptionText(), "");
    EXPECT_EQ(p.Page<CDlgPgAsio>("asioPage").List().HeadingText(0), "No ASIO Information Available");
    EXPECT_EQ(p.Page<CDlgPgDevices>("devicesPage").List().HeadingText(0), "No Device(s) Available");
    EXPECT_TRUE(p.Page<CDlgPgInfo>("infoPage").InfoText().find("V0.00.0") != std::string_view::npos);
    EXPECT_EQ(p.StoredCode(), 0u);
}

TEST(MainFrame, FollowsTheDriverComingAndGoing) {
    PanelFixture p;
    p.sim.SetLoaded(false);
    p.Start();
    p.Tick();
    p.sim.SetLoaded(true);
    p.Tick(5);
    EXPECT_EQ(PaneText(p, 2), "Driver opened.");
    EXPECT_EQ(p.StatusBar().PaneBackground(2), Colours::StatusGreen);
    EXPECT_EQ(PaneText(p, 0), "Reading from device.");
    EXPECT_EQ(p.Root(NodeKind_IsoInStreams)->childCount(), 2);
    EXPECT_EQ(p.Root(NodeKind_ChannelsOut)->childCount(), 5);
    // The new nodes are in sight.
    EXPECT_TRUE(p.Root(NodeKind_IsoInStreams)->isExpanded());
    EXPECT_TRUE(p.Root(NodeKind_ChannelsOut)->isExpanded());
    EXPECT_TRUE(p.Page<CDlgPgInfo>("infoPage").InfoText().find("Debug Build") != std::string_view::npos);

    p.sim.SetLoaded(false);
    p.Tick();
    EXPECT_EQ(PaneText(p, 2), "Driver not opened.");
    EXPECT_EQ(p.Root(NodeKind_IsoInStreams)->childCount(), 0);
    EXPECT_EQ(KindOf(p.Selected()), NodeKind_Info);
    EXPECT_EQ(p.Page<CDlgPgIsoInStreams>("isoInStreamsPage").List().HeadingText(0), "No IN Stream(s) Available");

    p.sim.SetLoaded(true);
    p.Tick(2);
    EXPECT_EQ(p.Root(NodeKind_IsoInStreams)->childCount(), 2);

    // Lost again while the restore window the return opened is still open: emptied all the same.
    p.sim.SetLoaded(false);
    p.Tick();
    EXPECT_EQ(p.Root(NodeKind_IsoInStreams)->childCount(), 0);
    EXPECT_EQ(p.Page<CDlgPgIsoInStreams>("isoInStreamsPage").List().HeadingText(0), "No IN Stream(s) Available");
}

TEST(MainFrame, ToolbarBitmapAlternatesWhileReadingAndStopsWithStartStop) {
    PanelFixture p;
    CMainFrame& frame = p.Start();
    p.Tick();
    int first = frame.ToolbarBitmap();
    p.Tick();
    EXPECT_NE(frame.ToolbarBitmap(), first);
    EXPECT_TRUE(first == Res::IDB_READING_1 || first == Res::IDB_READING_2);
    EXPECT_TRUE(Child<QAction>(frame, "startStop").isChecked());

    Child<QAction>(frame, "startStop").trigger();
    EXPECT_FALSE(Child<QAction>(frame, "startStop").isChecked());
    uint64_t requests = p.sim.TotalRequests();
    p.Tick(2);
    EXPECT_EQ(frame.ToolbarBitmap(), Res::IDB_STOPPED);
    EXPECT_EQ(PaneText(p, 2), "Driver opened.");
    EXPECT_EQ(p.sim.TotalRequests(), requests);  // stopped: nothing is read

    Child<QAction>(frame, "startStop").trigger();
    p.Tick();
    EXPECT_EQ(frame.ToolbarBitmap(), Res::IDB_READING_1);
    EXPECT_EQ(PaneText(p, 0), "Reading from device.");
}

TEST(MainFrame, ClearStatisticsReachesTheDriverWithOrWithoutIt) {
    PanelFixture p;
    p.Start();
    p.Tick(2);
    p.frame->findChild<QAction*>("menuClearStatistics")->trigger();
    p.frame->findChild<QAction*>("toolbarClearStatistics")->trigger();
    EXPECT_EQ(p.sim.RequestCount(IOCTL_QOR_CLEAR_STATISTICS), 2u);
    EXPECT_FALSE(p.dev.IsOpen());
    p.sim.SetLoaded(false);
    p.frame->OnClearStatistics();
    EXPECT_EQ(p.sim.RequestCount(IOCTL_QOR_CLEAR_STATISTICS), 2u);
}

// ---- Remembering the selected node ----

TEST(MainFrame, TheSelectionIsTheUsersWhateverTheDriverInserts) {
    PanelFixture p;
    p.Start();
    p.Select(p.Root(NodeKind_ChannelsOut));  // while the restore window is still open
    EXPECT_EQ(p.StoredCode(), NodeKind_ChannelsOut);
    p.Tick(6);
    EXPECT_EQ(p.Selected(), NodeKind_ChannelsOut) << "the nodes the pages inserted took nothing away";
    p.Select(p.Root(NodeKind_Asio));
    EXPECT_EQ(p.StoredCode(), NodeKind_Asio);
    p.Select(p.Root(NodeKind_ChannelsOut));
    EXPECT_EQ(p.StoredCode(), NodeKind_ChannelsOut);

    // A stream comes: its node is inserted, the selection and the stored node stay.
    p.sim.SetStreamCounts(2, 3);
    p.Tick();
    ASSERT_EQ(p.Root(NodeKind_IsoOutStreams)->childCount(), 3);
    EXPECT_EQ(p.Selected(), NodeKind_ChannelsOut);
    EXPECT_EQ(p.StoredCode(), NodeKind_ChannelsOut);
    p.Tick(4);  // the restore window the new nodes opened closes

    // The first selection of a code above every earlier one is stored like any other.
    constexpr NodeCode Fourth = MakeNodeCode(NodeKind_ChannelIn, 3);
    p.Select(p.Root(NodeKind_ChannelsIn)->child(3));
    EXPECT_EQ(p.StoredCode(), Fourth);

    // The selected bundle goes: its root takes the selection, nothing is stored.
    p.sim.SetBundleCounts(3, 5);
    p.Tick();
    ASSERT_EQ(p.Root(NodeKind_ChannelsIn)->childCount(), 3);
    EXPECT_EQ(p.Selected(), NodeKind_ChannelsIn);
    EXPECT_EQ(p.StoredCode(), Fourth);

    // It comes back, and so does the selection.
    p.sim.SetBundleCounts(5, 5);
    p.Tick();
    EXPECT_EQ(p.Selected(), Fourth);
    EXPECT_EQ(p.Page<CDlgPgSingleChannel>("singleChannelPage").Bundle(), 3u);
    p.Tick(5);
    EXPECT_EQ(p.Selected(), Fourth);
    EXPECT_EQ(p.StoredCode(), Fourth);
}

TEST(MainFrame, AUsersChoiceDuringTheRestoreWinsStaysAndIsStored) {
    struct Case {
        const char* what;
        bool maxLoad;
        uint32_t stored;  // LastSelItem before the start
        int ticksBefore;  // ticks before the user's key
    };
    const Case cases[] = {
        {"down key right after start-up at maximum load", true, NodeKind_Info, 1},
        {"down key before the first tick", false, NodeKind_Info, 0},
        {"a choice while the stored bundle is not yet back", false, MakeNodeCode(NodeKind_ChannelIn, 2), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PanelFixture p(c.maxLoad ? sim::SimOptions::MaxLoad() : sim::SimOptions{});
        p.settings->CreateKey(SettingsStore::Root::LocalMachine, "Software", "Quandrel\\QOR_Stats");
        p.settings->WriteDword(SettingsStore::Root::LocalMachine, "Software\\Quandrel\\QOR_Stats", "LastSelItem",
                               c.stored);
        p.Start();
        p.frame->show();
        p.Tick(c.ticksBefore);
        p.Tree().setFocus();
        QTest::keyClick(&p.Tree(), Qt::Key_Down);
        const NodeCode chosen = p.Selected();
        ASSERT_NE(chosen, NodeKind_Info);
        EXPECT_EQ(p.StoredCode(), chosen);
        // Streams and bundles come, the devices page sees its devices: the choice stays.
        p.sim.SetStreamCounts(1, 1);
        p.Tick(3);
        p.sim.SetStreamCounts(2, 2);
        p.Tick(6);
        EXPECT_EQ(p.Selected(), chosen);
        EXPECT_EQ(p.StoredCode(), chosen);
    }
}

TEST(MainFrame, StoredChildNodeComesBackWithinFourTicksAfterARestart) {
    PanelFixture p;
    p.settings->CreateKey(SettingsStore::Root::LocalMachine, "Software", "Quandrel\\QOR_Stats");
    p.settings->WriteDword(SettingsStore::Root::LocalMachine, "Software\\Quandrel\\QOR_Stats", "LastSelItem",
                           0x21000002);
    p.Start();
    p.frame->show();
    p.Tick(4);
    EXPECT_EQ(p.Selected(), 0x21000002u);
    CDlgPgSingleChannel& page = p.Page<CDlgPgSingleChannel>("singleChannelPage");
    EXPECT_TRUE(page.isVisible());
    EXPECT_EQ(page.Bundle(), 2u);
    EXPECT_EQ(page.List().CellText(2, 1), "Input");
}

TEST(MainFrame, AFirstStartWithNothingStoredStaysOnGeneral) {
    PanelFixture p;
    p.Start();
    p.Tick(6);
    EXPECT_EQ(p.Selected(), NodeKind_Info);
    EXPECT_EQ(p.Root(NodeKind_ChannelsOut)->childCount(), 5);
    EXPECT_EQ(p.StoredCode(), 0u);
}

TEST(MainFrame, InsertingTheMaximumOfNodesReadsTheDriverOnceAndShowsNoPage) {
    PanelFixture p(sim::SimOptions::MaxLoad());
    p.Start();
    p.Tick();
    EXPECT_EQ(p.Root(NodeKind_ChannelsIn)->childCount(), 128);
    EXPECT_EQ(p.Root(NodeKind_ChannelsOut)->childCount(), 128);
    EXPECT_EQ(p.Root(NodeKind_IsoOutStreams)->childCount(), 16);
    // One refresh reads the device list once; a page filled per inserted node would read it again and again.
    EXPECT_EQ(p.sim.RequestCount(IOCTL_QOR_GET_DEVICE_LIST), 1u);
    EXPECT_EQ(p.Selected(), NodeKind_Info);
}

// ---- Description pane ----

TEST(MainFrame, DescriptionPaneFollowsRowClicksAndTreeClicks) {
    PanelFixture p;
    p.Start();
    p.frame->show();
    p.Tick(6);
    p.Select(p.Root(NodeKind_Asio));
    EXPECT_EQ(p.View().DescriptionText(),
              "For a description of each statistics counter, select the corresponding item in the list.");
    CListColorCtrlEx& list = p.Page<CDlgPgAsio>("asioPage").List();
    p.View().ShowRowDescription(0);
    EXPECT_EQ(p.View().DescriptionText(), "Current sample rate, in units of samples per second.");
    p.View().ShowRowDescription(16);  // the spacer row has none
    EXPECT_EQ(p.View().DescriptionText(), "");
    p.View().ShowRowDescription(0);
    emit list.rowDescriptionRequested(-1);
    EXPECT_EQ(p.View().DescriptionText(), "");
    p.Select(p.Root(NodeKind_ChannelsIn));
    p.View().ShowRowDescription(3);
    EXPECT_EQ(p.View().DescriptionText(), "All available in channel(s)");
    p.Select(p.Root(NodeKind_Info));
    p.View().ShowRowDescription(0);
    EXPECT_EQ(p.View().DescriptionText(), "");
}

// ---- Screenshots for people to look at ----

TEST(MainFrame, SavesScreenshotsOfTheMainNodes) {
    PanelFixture p;
    CMainFrame& frame = p.Start();
    frame.show();
    frame.setWindowTitle("Velmoric 1394 Driver Statistics Panel");
    p.Tick(6);
    QDir().mkpath(QOR_SCREENSHOT_DIR);
    const std::pair<uint32_t, const char*> shots[] = {{NodeKind_Info, "general"},
                                                      {NodeKind_Asio, "asio"},
                                                      {NodeKind_Devices, "devices"},
                                                      {NodeKind_IsoInStreams, "iso-in-streams"},
                                                      {NodeKind_ChannelsIn, "in-channels"}};
    for (const auto& [kind, name] : shots) {
        p.Select(p.Root(kind));
        p.Tick();
        QApplication::processEvents();
        QImage image = frame.grab().toImage();
        EXPECT_FALSE(image.isNull());
        EXPECT_TRUE(image.save(QString(QOR_SCREENSHOT_DIR) + "/" + name + ".png"));
    }
    p.Select(p.Root(NodeKind_IsoOutStreams)->child(0));
    p.Tick();
    frame.grab().save(QString(QOR_SCREENSHOT_DIR) + "/single-stream.png");
    p.Select(p.Root(NodeKind_ChannelsOut)->child(1));
    p.Tick();
    frame.grab().save(QString(QOR_SCREENSHOT_DIR) + "/single-channel.png");
}
