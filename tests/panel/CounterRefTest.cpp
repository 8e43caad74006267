#include <gtest/gtest.h>

#include <QTreeWidgetItem>
#include <string>
#include <vector>

#include "controls/CListColorCtrlEx.h"
#include "pages/ListPage.h"
#include "rows/CounterRef.h"
#include "support/PanelFixture.h"

namespace {

// The number at the start of a cell as the pages write it: digits grouped by spaces, then a unit or suffix.
std::string Digits(const QString& cell) {
    std::string out;
    for (QChar ch : cell) {
        if (ch.isDigit() || ch == u'-')
            out += static_cast<char>(ch.unicode());
        else if (ch != u' ')
            break;
    }
    return out;
}

std::vector<QTreeWidgetItem*> AllNodes(CTreeCtrlEx& tree) {
    std::vector<QTreeWidgetItem*> nodes;
    for (int i = 0; i < tree.topLevelItemCount(); ++i) {
        QTreeWidgetItem* root = tree.topLevelItem(i);
        nodes.push_back(root);
        for (int c = 0; c < root->childCount(); ++c) nodes.push_back(root->child(c));
    }
    return nodes;
}

}  // namespace

// Exports, the event log and the plots read counters by name; what they read must be what the
// pages show in the same cell, on every page, with extended statistics on and off.
TEST(CounterRef, ReadsWhatEveryPageCellShows) {
    for (bool extended : {true, false}) {
        SCOPED_TRACE(extended ? "extended" : "plain");
        PanelFixture panel;
        panel.sim.SetExtendedStatistics(extended);
        panel.Start().show();
        panel.Tick(4);
        // The ASIO page shows the records of the refresh before: with the simulator's clock
        // standing still, two more refreshes leave every page on the same records.
        panel.frame->OnRefreshTimer();
        panel.frame->OnRefreshTimer();
        const PageSources sources{panel.dev.Snapshot(), panel.dev.Validity(),
                                     panel.dev.Published().ExtendedStatistics != 0};
        int numbers = 0, errors = 0, unavailable = 0;
        for (QTreeWidgetItem* node : AllNodes(panel.Tree())) {
            panel.Select(node);
            const NodeCode code = panel.Selected();
            auto* page = dynamic_cast<ListPage*>(panel.View().VisiblePage());
            if (page == nullptr) continue;
            const CListColorCtrlEx& list = page->List();
            for (int r = 0; r < list.RowCount(); ++r) {
                for (int c = 1; c < list.ColumnCount(); ++c) {
                    const std::optional<CounterRef> ref = CounterAtCell(code, r, c);
                    if (!ref) continue;
                    SCOPED_TRACE(std::to_string(code) + " row " + std::to_string(r) + " column " + std::to_string(c));
                    const QString cell = list.CellText(r, c);
                    const std::optional<int64_t> value = ReadCounter(sources, *ref);
                    if (!value) {
                        EXPECT_EQ(cell, QStringLiteral("n/a"));
                        ++unavailable;
                        continue;
                    }
                    EXPECT_EQ(Digits(cell), std::to_string(*value)) << cell.toStdString();
                    const bool red = list.CellTextColour(r, c) == Colours::Highlight;
                    EXPECT_EQ(red, IsErrorCounter(*ref) && *value != 0);
                    EXPECT_STREQ(CounterName(*ref), list.CellText(r, 0).toLatin1().constData());
                    ++numbers;
                    errors += IsErrorCounter(*ref);
                }
            }
        }
        EXPECT_GT(numbers, 100);
        EXPECT_GT(errors, 10);
        if (!extended) {
            EXPECT_GT(unavailable, 0);
        }
    }
}
