// The whole panel against a driver that misbehaves: failing requests, counts beyond every
// capacity, names without their NUL, short answers, answers that never come, and a driver that
// is unloaded and loaded again and again. The panel has to keep working and keep its tree and
// pages in agreement; the sanitizer builds watch the buffers and the leaks.
#include <gtest/gtest.h>

#include <QTreeWidgetItem>
#include <chrono>
#include <string>

#include "controls/CColoredStatusBarCtrl.h"
#include "controls/CListColorCtrlEx.h"
#include "controls/ListCell.h"
#include "driver/IoctlCodes.h"
#include "pages/CDlgPgChannelsIn.h"
#include "pages/CDlgPgDevices.h"
#include "pages/CDlgPgIsoInStreams.h"
#include "pages/CDlgPgSingleChannel.h"
#include "settings/PanelSettings.h"
#include "support/PanelFixture.h"
#include "support/SocketSimulator.h"

using sim::FaultPlan;

namespace {

struct ChildRoot {
    uint32_t rootKind;
    uint32_t childKind;
    uint32_t capacity;
    const char* page;
};
constexpr ChildRoot ChildRoots[] = {
    {NodeKind_IsoInStreams, NodeKind_IsoInStream, IsoStreamStatistics::Capacity, "isoInStreamsPage"},
    {NodeKind_IsoOutStreams, NodeKind_IsoOutStream, IsoStreamStatistics::Capacity, "isoOutStreamsPage"},
    {NodeKind_ChannelsIn, NodeKind_ChannelIn, BundleList::Capacity, "channelsInPage"},
    {NodeKind_ChannelsOut, NodeKind_ChannelOut, BundleList::Capacity, "channelsOutPage"},
};

// The tree and the pages agree: seven roots, each page's children match the count it last
// built for, child codes are their positions, every list within its fixed table.
void ExpectConsistent(CQorstatsView& view) {
    CTreeCtrlEx& tree = Child<CTreeCtrlEx>(view, "tree");
    ASSERT_EQ(tree.topLevelItemCount(), 7);
    for (uint32_t kind : {NodeKind_Info, NodeKind_Asio, NodeKind_Devices}) {
        ASSERT_NE(view.RootItem(kind), nullptr);
        EXPECT_EQ(view.RootItem(kind)->childCount(), 0);
    }
    for (const ChildRoot& r : ChildRoots) {
        QTreeWidgetItem* root = view.RootItem(r.rootKind);
        ASSERT_NE(root, nullptr);
        const auto* page = view.findChild<ListPage*>(r.page);
        ASSERT_NE(page, nullptr) << r.page;
        const uint32_t cached = page->Cached();
        EXPECT_LE(cached, r.capacity);
        ASSERT_EQ(uint32_t(root->childCount()), cached) << std::hex << r.rootKind;
        for (int c = 0; c < root->childCount(); ++c)
            EXPECT_EQ(root->child(c)->data(0, Qt::UserRole).toUInt(), MakeNodeCode(r.childKind, uint32_t(c)));
    }
    for (const ListPage* page : view.findChildren<ListPage*>()) {
        EXPECT_LE(page->List().RowCount(), ListRowCapacity);
        EXPECT_LE(page->List().ColumnCount(), ListColumnCapacity);
    }
    if (QTreeWidgetItem* current = tree.currentItem()) {
        EXPECT_EQ(current->data(0, Qt::UserRole).toUInt(), view.CurrentCode());
    }
}

// Selects every node, children included, as a user clicking down the tree would.
void SelectEveryNode(PanelFixture& p) {
    CTreeCtrlEx& tree = p.Tree();
    for (int i = 0; i < tree.topLevelItemCount(); ++i) {
        p.Select(tree.topLevelItem(i));
        for (int c = 0; c < tree.topLevelItem(i)->childCount(); ++c) {
            p.Select(tree.topLevelItem(i)->child(c));
            for (int row = -1; row <= 20; ++row) p.View().ShowRowDescription(row);
        }
    }
}

// Ticks and walks the tree under the current faults, then checks the panel is whole again once
// the driver behaves.
void ExerciseAndRecover(PanelFixture& p) {
    p.Tick(3);
    ExpectConsistent(p.View());
    SelectEveryNode(p);
    p.Tick(3);
    ExpectConsistent(p.View());
    EXPECT_EQ(p.StatusBar().PaneText(2), "Driver opened.");

    p.sim.SetFaults(FaultPlan{});
    p.Tick(2);
    ExpectConsistent(p.View());
    EXPECT_EQ(p.StatusBar().PaneText(0), "Reading from device.");
    EXPECT_EQ(p.Root(NodeKind_IsoInStreams)->childCount(), 2);
    EXPECT_EQ(p.Root(NodeKind_IsoOutStreams)->childCount(), 2);
    EXPECT_EQ(p.Root(NodeKind_ChannelsIn)->childCount(), 5);
    EXPECT_EQ(p.Root(NodeKind_ChannelsOut)->childCount(), 5);
    EXPECT_EQ(p.Page<CDlgPgDevices>("devicesPage").List().ColumnCount(), 3);
}

void StoreNode(PanelFixture& p, uint32_t code) {
    PanelSettings settings(*p.settings);
    settings.CreateKey();
    settings.SetLastSelItem(code);
}

}  // namespace

// ---- Failing requests ----

TEST(DriverFaults, EachCodeFailingAlwaysLeavesThePanelWorking) {
    for (const IoctlInfo& info : IoctlTable) {
        SCOPED_TRACE(info.name);
        PanelFixture p;
        FaultPlan plan;
        plan.failCode = info.code;
        p.sim.SetFaults(plan);
        p.Start();
        ExerciseAndRecover(p);
    }
}

TEST(DriverFaults, EachCodeFailingEveryNthTimeLeavesThePanelWorking) {
    for (uint32_t every : {2u, 3u, 7u}) {
        for (const IoctlInfo& info : IoctlTable) {
            SCOPED_TRACE(std::string(info.name) + " every " + std::to_string(every));
            PanelFixture p;
            FaultPlan plan;
            plan.failCode = info.code;
            plan.failEvery = every;
            plan.failError = WinError::InvalidParameter;
            p.sim.SetFaults(plan);
            p.Start();
            ExerciseAndRecover(p);
        }
    }
}

TEST(DriverFaults, AFailedReadIsShownAsSuchAndNeverAsAValueOrAChangeOfTheTree) {
    struct Case {
        uint32_t failing;
        uint32_t rootKind;
        int child;  // -1: the root itself
        int row;
        int column;
        const char* headingWhileFailing;  // nullptr: the heading stays
    };
    const Case cases[] = {
        {IOCTL_QOR_GET_ASIO_STATISTICS, NodeKind_Asio, -1, 0, 1, nullptr},
        {IOCTL_QOR_GET_DEVICE_LIST, NodeKind_Devices, -1, 1, 2, nullptr},
        {IOCTL_QOR_GET_DEVICE_INFO, NodeKind_Devices, -1, 1, 1, nullptr},
        {IOCTL_QOR_GET_SAMPLE_RATE_INFO, NodeKind_Devices, -1, 3, 1, nullptr},
        {IOCTL_QOR_GET_ISO_STREAM_STATISTICS, NodeKind_IsoInStreams, -1, 3, 2, nullptr},
        {IOCTL_QOR_GET_ISO_STREAM_STATISTICS, NodeKind_IsoOutStreams, 1, 3, 1, "Stream n/a"},
        {IOCTL_QOR_GET_BUNDLE_LIST, NodeKind_ChannelsIn, 1, 4, 1, nullptr},
        {IOCTL_QOR_GET_BUNDLE_INFO, NodeKind_ChannelsOut, 0, 10, 2, nullptr},
        {IOCTL_QOR_GET_CHANNEL_INFO, NodeKind_ChannelsIn, 0, 0, 1, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << std::hex << c.failing << " on " << c.rootKind);
        PanelFixture p;
        p.Start();
        p.frame->show();
        p.Tick(6);
        QTreeWidgetItem* root = p.Root(c.rootKind);
        p.Select(c.child < 0 ? root : root->child(c.child));
        p.Tick();
        ListPage* page = static_cast<ListPage*>(p.View().VisiblePage());
        ASSERT_NE(page, nullptr);
        ASSERT_NE(page->List().CellText(c.row, c.column), "n/a");
        const QString heading = page->List().HeadingText(c.column);

        FaultPlan plan;
        plan.failCode = c.failing;
        p.sim.SetFaults(plan);
        p.Tick(2);
        EXPECT_EQ(p.StatusBar().PaneText(0), "Driver opened - can't read from device.");
        EXPECT_EQ(p.StatusBar().PaneForeground(0), Colours::StatusBlue);
        EXPECT_EQ(p.StatusBar().PaneText(2), "Driver opened.");
        EXPECT_EQ(page->List().CellText(c.row, c.column), "n/a");
        for (const auto& [kind, count] : {std::pair{NodeKind_IsoInStreams, 2}, {NodeKind_IsoOutStreams, 2},
                                          {NodeKind_ChannelsIn, 5}, {NodeKind_ChannelsOut, 5}})
            EXPECT_EQ(p.Root(kind)->childCount(), count) << std::hex << kind;
        EXPECT_EQ(p.Page<CDlgPgDevices>("devicesPage").List().ColumnCount(), 3);
        EXPECT_EQ(p.View().VisiblePage(), page) << "the selection stays";
        QTreeWidgetItem* selected = p.Tree().currentItem();
        p.Select(p.Root(NodeKind_Info));
        p.Select(selected);  // clicked again: the page is laid out anew from what it has
        EXPECT_EQ(page->List().HeadingText(c.column), c.headingWhileFailing ? c.headingWhileFailing : heading);
        EXPECT_EQ(page->List().CellText(c.row, c.column), "n/a");

        p.sim.SetFaults(FaultPlan{});
        p.Tick(2);  // the ASIO page shows the records of the tick before
        EXPECT_EQ(p.StatusBar().PaneText(0), "Reading from device.");
        EXPECT_NE(page->List().CellText(c.row, c.column), "n/a");
        ExpectConsistent(p.View());
    }
}

// ---- Answers beyond the records ----

TEST(DriverFaults, CountsBeyondEveryCapacityAreClampedOnTreeAndPages) {
    PanelFixture p;
    FaultPlan plan;
    plan.overcount = true;
    p.sim.SetFaults(plan);
    p.Start();
    p.Tick(3);
    ExpectConsistent(p.View());
    EXPECT_EQ(uint32_t(p.Root(NodeKind_IsoInStreams)->childCount()), IsoStreamStatistics::Capacity);
    EXPECT_EQ(uint32_t(p.Root(NodeKind_IsoOutStreams)->childCount()), IsoStreamStatistics::Capacity);
    EXPECT_EQ(uint32_t(p.Root(NodeKind_ChannelsIn)->childCount()), BundleList::Capacity);
    EXPECT_EQ(uint32_t(p.Root(NodeKind_ChannelsOut)->childCount()), BundleList::Capacity);
    EXPECT_EQ(p.dev.DeviceCount(), DeviceList::Capacity);
    EXPECT_EQ(p.Page<CDlgPgDevices>("devicesPage").List().ColumnCount(), ListColumnCapacity) << "devices beyond 49 are not shown";
    EXPECT_LE(p.Page<CDlgPgIsoInStreams>("isoInStreamsPage").List().ColumnCount(), 1 + int(IsoStreamStatistics::Capacity));

    // A bundle that claims 99 channels shows the 16 its record holds. (Reading stops at the
    // first channel the driver does not know, so only the first bundle is read.)
    p.Select(p.Root(NodeKind_ChannelsIn)->child(0));
    EXPECT_EQ(p.dev.Snapshot().Bundle(Dir::In, 0).RawChannelCount(), FaultPlan::OvercountChannels);
    EXPECT_EQ(uint32_t(p.Page<CDlgPgSingleChannel>("singleChannelPage").List().ColumnCount()), 1 + ChannelBundleInfo::EntryCapacity);
    SelectEveryNode(p);
    p.Tick(2);
    ExpectConsistent(p.View());
    ExerciseAndRecover(p);
}

TEST(DriverFaults, NamesWithoutNulAreCutAtTheirFields) {
    PanelFixture p;
    FaultPlan plan;
    plan.namesWithoutNul = true;
    p.sim.SetFaults(plan);
    p.Start();
    p.Tick(3);
    ExpectConsistent(p.View());

    p.Select(p.Root(NodeKind_Devices));
    p.Tick();
    const CListColorCtrlEx& devices = p.Page<CDlgPgDevices>("devicesPage").List();
    EXPECT_TRUE(devices.CellText(1, 1).startsWith("Velmoric"));
    EXPECT_LE(size_t(devices.CellText(1, 1).size()), DeviceInfoField::HardwareNameSize);
    EXPECT_EQ(size_t(devices.CellText(2, 1).size()), DeviceInfoField::NickNameSize);

    // Tree labels carry the hardware name, cut to the name buffer.
    QTreeWidgetItem* stream = p.Root(NodeKind_IsoInStreams)->child(0);
    EXPECT_TRUE(stream->text(0).startsWith("Velmoric"));
    EXPECT_LE(size_t(stream->text(0).size()), CDev::NameBufferSize - 1);

    p.Select(p.Root(NodeKind_ChannelsOut)->child(0));
    const CListColorCtrlEx& channel = p.Page<CDlgPgSingleChannel>("singleChannelPage").List();
    EXPECT_EQ(size_t(channel.CellText(0, 1).size()), ChannelInfoField::NameSize);
    EXPECT_EQ(size_t(channel.CellText(1, 1).size()), ChannelInfoField::NameSize);
    ExerciseAndRecover(p);
}

TEST(DriverFaults, ShortAnswersAreFailedReads) {
    PanelFixture p;
    p.Start();
    p.Tick(3);
    FaultPlan plan;
    plan.shortAnswers = true;
    plan.shortCode = IOCTL_QOR_GET_ISO_STREAM_STATISTICS;
    p.sim.SetFaults(plan);
    p.Select(p.Root(NodeKind_IsoInStreams));
    p.Tick(2);
    ExpectConsistent(p.View());
    // Half of the record holds the input streams; the output count lies beyond it. Neither is believed.
    EXPECT_EQ(p.Root(NodeKind_IsoInStreams)->childCount(), 2);
    EXPECT_EQ(p.Root(NodeKind_IsoOutStreams)->childCount(), 2);
    EXPECT_EQ(p.Page<CDlgPgIsoInStreams>("isoInStreamsPage").List().CellText(3, 1), "n/a");
    EXPECT_EQ(p.StatusBar().PaneText(0), "Driver opened - can't read from device.");

    plan.shortCode = 0;  // every code
    p.sim.SetFaults(plan);
    p.Tick(3);
    SelectEveryNode(p);
    p.Tick(2);
    ExpectConsistent(p.View());
    ExerciseAndRecover(p);
}

// ---- Answers that never come ----

TEST(DriverFaults, AnUnansweredCodeCostsOneTimeoutNotOneEveryTickAndWorksAgainOnceAnswered) {
    // The waits are counted, not timed: a request of the unanswered code that is sent is one
    // wait, since nothing else ever ends it. The clock moves only when the test says.
    int64_t now = 0;
    const UnansweredCodes::Timing timing;
    SocketPanelFixture p(sim::SimOptions{}, timing, [&now] { return now; });
    ASSERT_TRUE(p.dir.isValid());
    ASSERT_TRUE(p.server.Start()) << p.server.Error();
    sim::DriverSimulator& simulator = p.sim;
    CMainFrame& frame = p.Start();
    frame.OnRefreshTimer();
    ASSERT_EQ(frame.View().RootItem(NodeKind_ChannelsIn)->childCount(), 5);

    using Clock = std::chrono::steady_clock;
    for (uint32_t code : {IOCTL_QOR_GET_DRIVER_VERSION, IOCTL_QOR_GET_DEVICE_LIST, IOCTL_QOR_GET_BUNDLE_INFO,
                          IOCTL_QOR_GET_DEVICE_INFO}) {
        SCOPED_TRACE(::testing::Message() << "no answer to 0x" << std::hex << code);
        FaultPlan plan;
        plan.noAnswerCode = code;
        simulator.SetFaults(plan);
        const uint64_t before = simulator.RequestCount(code);
        const Clock::time_point start = Clock::now();
        frame.OnRefreshTimer();
        // One timeout of about a second, and nothing else waits.
        EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(1800));
        EXPECT_EQ(simulator.RequestCount(code), before + 1);
        ExpectConsistent(frame.View());

        // Ticks and a click on every root go on without a wait.
        for (int i = 0; i < 5; ++i) frame.OnRefreshTimer();
        for (uint32_t kind : {NodeKind_Devices, NodeKind_IsoInStreams, NodeKind_ChannelsIn, NodeKind_Info})
            Child<CTreeCtrlEx>(frame, "tree").setCurrentItem(frame.View().RootItem(kind));
        EXPECT_EQ(simulator.RequestCount(code), before + 1) << "waited for again";
        ExpectConsistent(frame.View());

        // Now and then one request is tried again, and it is answered once the driver answers.
        simulator.SetFaults(FaultPlan{});
        now += timing.probeSpacingMs;
        frame.OnRefreshTimer();
        EXPECT_GT(simulator.RequestCount(code), before + 1);
        EXPECT_EQ(Child<CColoredStatusBarCtrl>(frame, "statusBar").PaneText(2), "Driver opened.");
        EXPECT_EQ(Child<CColoredStatusBarCtrl>(frame, "statusBar").PaneText(0), "Reading from device.");
        EXPECT_EQ(frame.View().RootItem(NodeKind_IsoInStreams)->childCount(), 2);
        EXPECT_EQ(frame.View().RootItem(NodeKind_ChannelsIn)->childCount(), 5);
        ExpectConsistent(frame.View());
    }
}

// ---- The driver going and coming back ----

TEST(DriverFaults, ThousandUnloadsResetTheViewOnceEachAndTheStoredNodeComesBack) {
    constexpr NodeCode Stored = 0x21000002;  // the third input bundle
    constexpr int Marker = Qt::UserRole + 1;
    PanelFixture p;
    StoreNode(p, Stored);
    p.Start();
    p.Tick(4);
    ASSERT_EQ(p.Selected(), Stored);
    const qsizetype objects = p.frame->findChildren<QObject*>().size();

    for (int cycle = 0; cycle < 1000; ++cycle) {
        SCOPED_TRACE(cycle);
        // A reset builds the tree anew, so a mark on the "General" node tells whether one ran.
        p.Root(NodeKind_Info)->setData(0, Marker, cycle);
        p.sim.SetLoaded(false);
        p.Tick();
        ASSERT_FALSE(p.Root(NodeKind_Info)->data(0, Marker).isValid()) << "the loss resets the view";
        ASSERT_EQ(KindOf(p.Selected()), NodeKind_Info);
        ASSERT_EQ(p.Root(NodeKind_ChannelsIn)->childCount(), 0);
        ASSERT_EQ(p.Page<CDlgPgChannelsIn>("channelsInPage").List().HeadingText(0), "No IN Channel(s) Available");

        p.Root(NodeKind_Info)->setData(0, Marker, cycle);
        p.Tick();
        ASSERT_TRUE(p.Root(NodeKind_Info)->data(0, Marker).isValid()) << "only once per loss";

        p.sim.SetLoaded(true);
        p.Tick();
        ASSERT_TRUE(p.Root(NodeKind_Info)->data(0, Marker).isValid()) << "loading is no reset";
        ASSERT_EQ(p.Selected(), Stored);
        p.Tick(3);
        ASSERT_EQ(p.Selected(), Stored);
        ASSERT_EQ(p.Root(NodeKind_ChannelsIn)->childCount(), 5);
        ASSERT_EQ(p.Page<CDlgPgSingleChannel>("singleChannelPage").Bundle(), 2u);
    }
    ExpectConsistent(p.View());
    EXPECT_EQ(p.StoredCode(), Stored);
    EXPECT_EQ(p.frame->findChildren<QObject*>().size(), objects) << "no window piles up";
}
