#include <gtest/gtest.h>

#include <QTreeWidgetItem>
#include <algorithm>
#include <string>
#include <vector>

#include "driver/DriverRecords.h"
#include "driver/IoctlCodes.h"
#include "pages/CDlgPgInfo.h"
#include "pages/ListPage.h"
#include "rows/PageText.h"
#include "sim/FaultPlan.h"
#include "sim/SimOptions.h"
#include "support/PanelFixture.h"

namespace {

std::vector<QTreeWidgetItem*> AllNodes(CTreeCtrlEx& tree) {
    std::vector<QTreeWidgetItem*> nodes;
    for (int i = 0; i < tree.topLevelItemCount(); ++i) {
        QTreeWidgetItem* root = tree.topLevelItem(i);
        nodes.push_back(root);
        for (int c = 0; c < root->childCount(); ++c) nodes.push_back(root->child(c));
    }
    return nodes;
}

QString Utf8(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

PageTextSources Sources(PanelFixture& p) {
    return PageTextSources{
        PageSources{p.dev.Snapshot(), p.dev.Validity(), p.dev.Published().ExtendedStatistics != 0}, p.dev.Published()};
}
// As File > Save Snapshot As... takes them, with the lists that show their placeholder and the
// layouts the lists keep.
PageTextSources SavedSources(PanelFixture& p, const ListPlaceholders& placeholders, const ListLayouts& layouts) {
    PageTextSources sources = Sources(p);
    sources.placeholders = &placeholders;
    sources.layouts = &layouts;
    return sources;
}

}  // namespace

// The snapshot files and qorpoll print the tables of the page walker: on every page, each
// heading and each cell must read as the panel's list shows it, and the nodes must be the tree's.
TEST(PageText, EveryPageReadsAsThePanelShowsIt) {
    for (bool extended : {true, false}) {
        SCOPED_TRACE(extended ? "extended" : "plain");
        PanelFixture panel;
        panel.sim.SetExtendedStatistics(extended);
        // Texts a driver may send: a quote, a non-ASCII letter, a byte that is no UTF-8.
        panel.sim.SetDeviceNames(0, "Stud\xC3\xADo \"A\"", "nick\xFF");
        panel.sim.SetIsoInField(0, IsoInField::MinSytOffset, static_cast<uint32_t>(-5));
        panel.sim.SetIsoInField(1, IsoInField::MissingPacket, 3);
        panel.sim.SetIsoInField(0, IsoInField::DataBlockSizeChanged, ValueNotAvailable);
        panel.Start().show();
        panel.Tick(4);
        // The ASIO page shows the refresh before: with the simulator standing still, two more
        // refreshes leave every page on the same records.
        panel.frame->OnRefreshTimer();
        panel.frame->OnRefreshTimer();

        const std::vector<NodeCode> nodes = PageNodes(Sources(panel).cells);
        std::vector<NodeCode> treeNodes;
        int cells = 0;
        for (QTreeWidgetItem* node : AllNodes(panel.Tree())) {
            panel.Select(node);
            // Some pages fill on the tick after their selection (the devices page only then).
            panel.frame->OnRefreshTimer();
            const NodeCode code = panel.Selected();
            treeNodes.push_back(code);
            const PageTable table = PageTableOf(Sources(panel), code);
            SCOPED_TRACE(table.path);
            const QString label = node->parent() ? node->parent()->text(0) + "/" + node->text(0) : node->text(0);
            EXPECT_EQ(Utf8(table.path), label);
            if (auto* info = dynamic_cast<CDlgPgInfo*>(panel.View().VisiblePage())) {
                const std::string text(info->InfoText());
                for (const auto& row : table.rows)
                    EXPECT_NE(text.find(row[0].text + ":\t" + row[1].text + "\n"), std::string::npos) << row[0].text;
                continue;
            }
            auto* page = dynamic_cast<ListPage*>(panel.View().VisiblePage());
            ASSERT_NE(page, nullptr);
            const CListColorCtrlEx& list = page->List();
            ASSERT_EQ(static_cast<int>(table.headings.size()), list.ColumnCount());
            for (int c = 0; c < list.ColumnCount(); ++c)
                EXPECT_EQ(Utf8(table.headings[static_cast<size_t>(c)]), list.HeadingText(c)) << "column " << c;
            ASSERT_EQ(static_cast<int>(table.rows.size()), list.RowCount());
            for (int r = 0; r < list.RowCount(); ++r) {
                const auto& row = table.rows[static_cast<size_t>(r)];
                ASSERT_EQ(static_cast<int>(row.size()), list.ColumnCount());
                for (int c = 0; c < list.ColumnCount(); ++c) {
                    const TableCell& cell = row[static_cast<size_t>(c)];
                    EXPECT_EQ(Utf8(cell.text), list.CellText(r, c)) << "row " << r << " column " << c;
                    EXPECT_EQ(cell.red, list.CellTextColour(r, c) == Colours::Highlight) << "row " << r << " column " << c;
                    ++cells;
                }
            }
        }
        EXPECT_EQ(nodes, treeNodes);
        EXPECT_GT(cells, 1000);
    }
}

// One description feeds the pages and the exports: in any studio, with names or records the
// driver fails to give, every page's headings and cells in the window are the exported ones.
// A list the driver never answered keeps its placeholder or stays empty, and one it stops
// answering keeps its layout: the exports say so too.
TEST(PageText, WindowAndExportAgreeOnEveryPageWhateverTheDriverAnswers) {
    enum When { FromTheStart, AfterAnswers };
    struct Case {
        const char* name;
        sim::SimOptions options;
        sim::FaultPlan faults;
        When when = FromTheStart;
        bool unloaded = false;  // no driver at all rather than the faults
    };
    auto failing = [](uint32_t code) {
        sim::FaultPlan plan;
        plan.failCode = code;
        return plan;
    };
    sim::FaultPlan longNames;
    longNames.namesWithoutNul = true;  // 384 bytes of name: the list keeps 255 of them
    sim::SimOptions empty;  // a driver with nothing to list: every list keeps its placeholder
    empty.devices = empty.inStreams = empty.outStreams = empty.inBundles = empty.outBundles = 0;
    empty.sampleRate = 0;
    sim::SimOptions noInput;
    noInput.inStreams = noInput.inBundles = 0;
    const Case cases[] = {
        {"default studio", {}, {}},
        {"maximum load", sim::SimOptions::MaxLoad(), {}},
        {"names that fail to read", {}, failing(IOCTL_QOR_GET_DEVICE_INFO)},
        {"names at maximum load that fail to read", sim::SimOptions::MaxLoad(), failing(IOCTL_QOR_GET_DEVICE_INFO)},
        {"names longer than the list keeps", sim::SimOptions::MaxLoad(), longNames},
        {"channel records that failed", {}, failing(IOCTL_QOR_GET_CHANNEL_INFO)},
        {"bundle records that failed", {}, failing(IOCTL_QOR_GET_BUNDLE_INFO)},
        {"a version that failed", {}, failing(IOCTL_QOR_GET_DRIVER_VERSION)},
        {"a driver with nothing to list", empty, {}},
        {"a studio without inputs", noInput, {}},
        {"a version that stopped answering", {}, failing(IOCTL_QOR_GET_DRIVER_VERSION), AfterAnswers},
        {"stream records never answered", {}, failing(IOCTL_QOR_GET_ISO_STREAM_STATISTICS)},
        {"ASIO records never answered", {}, failing(IOCTL_QOR_GET_ASIO_STATISTICS)},
        {"ASIO records that stopped answering", {}, failing(IOCTL_QOR_GET_ASIO_STATISTICS), AfterAnswers},
        {"a bundle list never answered", {}, failing(IOCTL_QOR_GET_BUNDLE_LIST)},
        {"a bundle list that stopped answering", {}, failing(IOCTL_QOR_GET_BUNDLE_LIST), AfterAnswers},
        {"stream records that stopped answering", {}, failing(IOCTL_QOR_GET_ISO_STREAM_STATISTICS), AfterAnswers},
        {"a device list that failed", {}, failing(IOCTL_QOR_GET_DEVICE_LIST)},
        {"a device list that stopped answering", {}, failing(IOCTL_QOR_GET_DEVICE_LIST), AfterAnswers},
        {"no driver", {}, {}, FromTheStart, true},
        {"a driver that went away", {}, {}, AfterAnswers, true},
    };
    auto Cell = [](auto row, auto column, const std::string& text, bool red) {
        return std::to_string(row) + "," + std::to_string(column) + " " + text + (red ? " (red)" : "");
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PanelFixture panel(c.options);
        // Lists that follow the answers without a window, as qorpoll's, tell the placeholders alike.
        ListPlaceholders followed;
        followed.ShowAll();
        bool loaded = true;
        auto fail = [&] {
            panel.sim.SetFaults(c.faults);
            if (!c.unloaded) return;
            // Without a driver there is nothing to follow: every list has its placeholder again.
            panel.sim.SetLoaded(false);
            loaded = false;
            followed.ShowAll();
        };
        if (c.when == FromTheStart) fail();
        panel.Start().show();
        auto follow = [&] {
            if (loaded) followed.Follow(Sources(panel).cells);
        };
        auto tick = [&](int n) {
            for (int i = 0; i < n; ++i) {
                panel.Tick();
                follow();
            }
        };
        tick(3);
        if (c.when == AfterAnswers) {
            // Every list laid out once while the driver still answered.
            for (QTreeWidgetItem* node : AllNodes(panel.Tree())) {
                panel.Select(node);
                panel.frame->OnRefreshTimer();
                follow();
            }
            fail();
            tick(2);
        }
        panel.frame->OnRefreshTimer();
        panel.frame->OnRefreshTimer();
        follow();
        const ListPlaceholders shown = panel.View().Placeholders();
        for (uint32_t kind : {NodeKind_Asio, NodeKind_Devices, NodeKind_IsoInStreams, NodeKind_IsoOutStreams,
                              NodeKind_ChannelsIn, NodeKind_ChannelsOut})
            EXPECT_EQ(followed.Shows(kind), shown.Shows(kind)) << std::hex << kind;
        int pages = 0;
        for (QTreeWidgetItem* node : AllNodes(panel.Tree())) {
            panel.Select(node);
            panel.frame->OnRefreshTimer();
            const ListPlaceholders placeholders = panel.View().Placeholders();
            const ListLayouts layouts = panel.View().Layouts();
            const PageTable table = PageTableOf(SavedSources(panel, placeholders, layouts), panel.Selected());
            SCOPED_TRACE(table.path);
            const QString label = node->parent() ? node->parent()->text(0) + "/" + node->text(0) : node->text(0);
            EXPECT_EQ(Utf8(table.path), label);
            if (auto* info = dynamic_cast<CDlgPgInfo*>(panel.View().VisiblePage())) {
                // A text, not a list: each row is a line of it.
                const std::string text(info->InfoText());
                EXPECT_EQ(table.rows.size(), 3u);
                // Without a driver the window shows the zeros it always has; a file claims no
                // driver release of V0.00.0.
                if (c.unloaded) {
                    EXPECT_NE(text.find("V0.00.0"), std::string::npos);
                    for (const auto& row : table.rows) EXPECT_EQ(row[1].text, "n/a") << row[0].text;
                    continue;
                }
                for (const auto& row : table.rows)
                    EXPECT_NE(text.find(row[0].text + ":\t" + row[1].text + "\n"), std::string::npos) << row[0].text;
                continue;
            }
            auto* page = dynamic_cast<ListPage*>(panel.View().VisiblePage());
            ASSERT_NE(page, nullptr);
            ++pages;
            const CListColorCtrlEx& list = page->List();
            std::vector<std::string> window, exported;
            for (int col = 0; col < list.ColumnCount(); ++col)
                window.push_back("heading " + list.HeadingText(col).toStdString());
            for (const std::string& heading : table.headings) exported.push_back("heading " + heading);
            for (int r = 0; r < list.RowCount(); ++r)
                for (int col = 0; col < list.ColumnCount(); ++col)
                    window.push_back(Cell(r, col, list.CellText(r, col).toStdString(),
                                          list.CellTextColour(r, col) == Colours::Highlight));
            for (size_t r = 0; r < table.rows.size(); ++r)
                for (size_t col = 0; col < table.rows[r].size(); ++col)
                    exported.push_back(Cell(r, col, table.rows[r][col].text, table.rows[r][col].red));
            EXPECT_EQ(window.size(), exported.size());
            for (size_t i = 0; i < std::min(window.size(), exported.size()); ++i)
                EXPECT_EQ(window[i], exported[i]);
        }
        EXPECT_GE(pages, 6);
    }
}
