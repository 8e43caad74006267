#include <gtest/gtest.h>

#include <QTreeWidgetItem>
#include <string>
#include <vector>

#include "driver/DriverRecords.h"
#include "pages/CDlgPgInfo.h"
#include "pages/CDlgPgListBase.h"
#include "rows/PageText.h"
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
            auto* page = dynamic_cast<CDlgPgListBase*>(panel.View().VisiblePage());
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
