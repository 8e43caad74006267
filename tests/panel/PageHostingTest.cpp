#include <gtest/gtest.h>

#include <QImage>
#include <QTest>
#include <QTreeWidget>
#include <array>
#include <string>

#include "driver/IoctlCodes.h"
#include "support/PanelFixture.h"
#include "view/TreeIcons.h"

namespace {
constexpr std::array<const char*, 9> PageNames{"infoPage",        "asioPage",         "devicesPage",
                                               "isoInStreamsPage", "singleStreamPage", "isoOutStreamsPage",
                                               "channelsInPage",   "channelsOutPage",  "singleChannelPage"};

// The object names of the pages on show, comma-separated.
std::string ShownPages(CMainFrame& frame) {
    QStringList shown;
    for (const char* name : PageNames) {
        auto* page = frame.findChild<QWidget*>(name);
        if (!page)
            shown << QString("no page ") + name;
        else if (page->isVisible())
            shown << name;
    }
    return shown.join(',').toStdString();
}

QImage Pixels(const QIcon& icon) { return icon.pixmap(QSize(16, 16)).toImage(); }
}  // namespace

TEST(PageHosting, TheSkeletonListsTheRootNodesInOrderWithTheirIcons) {
    PanelFixture p;
    p.sim.SetLoaded(false);
    p.Start();
    for (int a = 0; a < TreeIcons::Count; ++a)
        for (int b = a + 1; b < TreeIcons::Count; ++b)
            ASSERT_NE(Pixels(TreeIcons::Icon(a)), Pixels(TreeIcons::Icon(b))) << a << " " << b;

    // Image indexes: 0 ASIO, 1 devices, 2 general, 3 channels, 4 streams.
    const struct {
        const char* label;
        uint32_t code;
        int image;
    } skeleton[] = {{"General", 0x18000000, 2},        {"ASIO", 0x10000000, 0},
                    {"Devices", 0x11000000, 1},        {"ISO IN Streams", 0x12000000, 4},
                    {"ISO OUT Streams", 0x14000000, 4}, {"IN Cannels", 0x16000000, 3},
                    {"OUT Cannels", 0x17000000, 3}};
    auto* tree = p.frame->findChild<QTreeWidget*>("tree");
    ASSERT_EQ(tree->topLevelItemCount(), 7);
    for (int i = 0; i < 7; ++i) {
        const QTreeWidgetItem* item = tree->topLevelItem(i);
        EXPECT_EQ(item->text(0), skeleton[i].label);
        EXPECT_EQ(item->data(0, Qt::UserRole).toUInt(), skeleton[i].code) << skeleton[i].label;
        EXPECT_EQ(Pixels(item->icon(0)), Pixels(TreeIcons::Icon(skeleton[i].image))) << skeleton[i].label;
    }
}

TEST(PageHosting, EachNodeKindShowsExactlyItsPageAndNoSelectionShowsNone) {
    PanelFixture p;
    p.Start();
    p.frame->show();
    ASSERT_TRUE(p.frame->isVisible());
    p.Tick(6);

    const struct {
        QTreeWidgetItem* item;
        const char* page;
    } nodes[] = {
        {p.Root(NodeKind_Info), "infoPage"},
        {p.Root(NodeKind_Asio), "asioPage"},
        {p.Root(NodeKind_Devices), "devicesPage"},
        {p.Root(NodeKind_IsoInStreams), "isoInStreamsPage"},
        {p.Root(NodeKind_IsoInStreams)->child(0), "singleStreamPage"},
        {p.Root(NodeKind_IsoOutStreams), "isoOutStreamsPage"},
        {p.Root(NodeKind_IsoOutStreams)->child(1), "singleStreamPage"},
        {p.Root(NodeKind_ChannelsIn), "channelsInPage"},
        {p.Root(NodeKind_ChannelsIn)->child(0), "singleChannelPage"},
        {p.Root(NodeKind_ChannelsOut), "channelsOutPage"},
        {p.Root(NodeKind_ChannelsOut)->child(1), "singleChannelPage"},
    };
    for (const auto& node : nodes) {
        ASSERT_NE(node.item, nullptr) << node.page;
        p.Select(node.item);
        EXPECT_EQ(ShownPages(*p.frame), node.page) << node.item->text(0).toStdString();
        p.Tick();
        EXPECT_EQ(ShownPages(*p.frame), node.page) << node.item->text(0).toStdString();
    }

    p.Select(nullptr);
    EXPECT_EQ(ShownPages(*p.frame), "");
}

TEST(PageHosting, EveryNodeKindDescribesItsRowsFromItsOwnTable) {
    PanelFixture p;
    p.Start();
    p.Tick(6);

    // Rows past a table's end, the ASIO spacer and the general page leave the pane empty.
    const struct {
        QTreeWidgetItem* item;
        int row;
        const char* description;
    } clicks[] = {
        {p.Root(NodeKind_Info), 0, ""},
        {p.Root(NodeKind_Asio), 0, "Current sample rate, in units of samples per second."},
        {p.Root(NodeKind_Asio), 4,
         "Currently selected buffer switch interval.\nThe value is determined by the most recent open by an ASIO "
         "instance in terms of microseconds."},
        {p.Root(NodeKind_Asio), 16, ""},
        {p.Root(NodeKind_Asio), 17, "InBufferOverrun"},
        {p.Root(NodeKind_Asio), 21, ""},
        {p.Root(NodeKind_Devices), 0, "Unambiguously device id."},
        {p.Root(NodeKind_Devices), 4, ""},
        {p.Root(NodeKind_IsoInStreams), 3, "Total number of isochronous packets received"},
        {p.Root(NodeKind_IsoInStreams), -1, ""},
        {p.Root(NodeKind_IsoInStreams)->child(1), 3, "Total number of isochronous packets received"},
        {p.Root(NodeKind_IsoInStreams)->child(1), 40,
         "Incremented if frame pointer distance exceeds limit2=CallbackInterval."},
        {p.Root(NodeKind_IsoInStreams)->child(1), 41, ""},
        {p.Root(NodeKind_IsoOutStreams), 3, "Total number of isochronous packets sent."},
        {p.Root(NodeKind_IsoOutStreams)->child(0), 3, "Total number of isochronous packets sent."},
        {p.Root(NodeKind_IsoOutStreams)->child(0), 21, "Maximum number of data blocks per (non-empty) packet."},
        {p.Root(NodeKind_IsoOutStreams)->child(0), 22, ""},
        {p.Root(NodeKind_ChannelsIn), 7, "All available in channel(s)"},
        {p.Root(NodeKind_ChannelsIn)->child(0), 3, "Internal device ID."},
        {p.Root(NodeKind_ChannelsOut), 0, "All available out channel(s)"},
        {p.Root(NodeKind_ChannelsOut)->child(1), 16,
         "No KS buffer available, samples or MIDI bytes have been dropped."},
        {p.Root(NodeKind_ChannelsOut)->child(1), 17, ""},
    };
    for (const auto& click : clicks) {
        ASSERT_NE(click.item, nullptr) << click.description;
        p.Select(click.item);
        p.View().ShowRowDescription(click.row);
        EXPECT_EQ(p.View().DescriptionText(), click.description)
            << click.item->text(0).toStdString() << ", row " << click.row;
    }

    p.Select(nullptr);
    p.View().ShowRowDescription(0);
    EXPECT_EQ(p.View().DescriptionText(), "");
}

TEST(PageHosting, RefreshTicksGoOnAfterEverySelectionChange) {
    PanelFixture p;
    p.Start({.timers = CMainFrame::Timers::Real});
    auto versionReads = [&p] { return p.sim.RequestCount(IOCTL_QOR_GET_DRIVER_VERSION); };
    for (uint32_t kind : {NodeKind_Asio, NodeKind_Devices}) {
        p.Select(p.Root(kind));
        const uint64_t before = versionReads();
        EXPECT_TRUE(QTest::qWaitFor([&] { return versionReads() > before; }, 10000)) << std::hex << kind;
    }
}
