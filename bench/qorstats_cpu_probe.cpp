// The panel as it starts for the user, plus a walk through its tree: every few seconds the
// next node (roots and their children, in display order) is selected as a click would, so
// that a CPU measurement over a minute covers every page. For measuring only; the panel
// itself has no such behaviour.
//
//   QOR_CPU_PROBE_SELECT_MS   period of the walk in ms (default 2500; 0 keeps the start node)
//   QOR_CPU_PROBE_CHILDREN    children visited below each root (default all); at maximum load
//                             1 lets a minute reach every kind of page
//   QOR_CPU_PROBE_PLOTS       history plots opened once the panel runs (default 0, at most 8):
//                             the packet counters of the first streams, then ASIO counters
//   QOR_CPU_PROBE_PROBLEMS    1 opens the problems window with the plots (default 0)

#include <QApplication>
#include <QTimer>
#include <QTreeWidgetItem>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "app/CMainFrame.h"
#include "app/CQorstatsApp.h"
#include "plots/HistoryPlots.h"
#include "rows/AsioRows.h"
#include "rows/IsoStreamRows.h"
#include "controls/CTreeCtrlEx.h"
#include "driver/CDev.h"
#include "platform/SettingsStore.h"
#include "view/CQorstatsView.h"

namespace {
constexpr int DefaultPeriodMs = 2500;
constexpr int AllChildren = 1 << 24;

int EnvNumber(const char* name, int otherwise) {
    const char* text = std::getenv(name);
    if (!text || !*text) return otherwise;
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (*end != '\0' || value < 0 || value > AllChildren) return otherwise;
    return static_cast<int>(value);
}

// The n-th node of the walk, wrapping around; the tree is read afresh every time because the
// pages rebuild their child nodes whenever the driver's layout changes.
QTreeWidgetItem* NthNode(QTreeWidget& tree, int n, int childrenPerRoot) {
    auto visited = [&](QTreeWidgetItem* root) { return std::min(root->childCount(), childrenPerRoot); };
    int count = 0;
    for (int r = 0; r < tree.topLevelItemCount(); ++r) count += 1 + visited(tree.topLevelItem(r));
    if (count == 0) return nullptr;
    int i = n % count;
    for (int r = 0; r < tree.topLevelItemCount(); ++r) {
        QTreeWidgetItem* root = tree.topLevelItem(r);
        if (i == 0) return root;
        --i;
        if (i < visited(root)) return root->child(i);
        i -= visited(root);
    }
    return nullptr;
}
uint16_t IsoRow(Dir dir, const char* name) {
    const auto rows = IsoStreamRows(dir);
    for (size_t i = 0; i < rows.size(); ++i)
        if (std::strcmp(rows[i].name, name) == 0) return static_cast<uint16_t>(i);
    return 0;
}

// Counters a user would watch: the packets of the first streams, then the ASIO page's rows.
std::vector<CounterRef> WatchedCounters(int count) {
    std::vector<CounterRef> counters{
        {CounterGroup::IsoStream, Dir::In, 0, 0, IsoRow(Dir::In, "TotalPacketsReceived")},
        {CounterGroup::IsoStream, Dir::Out, 0, 0, IsoRow(Dir::Out, "TotalPacketsSent")},
    };
    for (uint16_t row = 0; row < AsioRows().size(); ++row) counters.push_back({CounterGroup::Asio, Dir::In, 0, 0, row});
    std::vector<CounterRef> chosen;
    for (const CounterRef& c : counters)
        if (static_cast<int>(chosen.size()) < count && IsNumericCounter(c)) chosen.push_back(c);
    return chosen;
}
}  // namespace

int main(int argc, char** argv) {
    QApplication qt(argc, argv);
    std::unique_ptr<ControlDevice> device = MakeSystemControlDevice();
    CDev dev(*device);
    SettingsStore settings;
    CQorstatsApp app(dev, settings);
    if (!app.InitInstance()) return 0;

    QTimer walk;
    int next = 1;  // the panel starts on the first node
    const int period = EnvNumber("QOR_CPU_PROBE_SELECT_MS", DefaultPeriodMs);
    const int children = EnvNumber("QOR_CPU_PROBE_CHILDREN", AllChildren);
    if (period > 0) {
        QObject::connect(&walk, &QTimer::timeout, [&] {
            auto& tree = *app.MainFrame()->findChild<QTreeWidget*>("tree");
            if (QTreeWidgetItem* item = NthNode(tree, next++, children)) tree.setCurrentItem(item);
        });
        walk.start(period);
    }
    const int plots = EnvNumber("QOR_CPU_PROBE_PLOTS", 0);
    const bool problems = EnvNumber("QOR_CPU_PROBE_PROBLEMS", 0) == 1;
    if (plots > 0 || problems) {
        // After the first ticks, as a user would open them.
        QTimer::singleShot(1500, [&app, plots, problems] {
            for (const CounterRef& c : WatchedCounters(plots))
                app.MainFrame()->Plots().Show(c, QString::fromLatin1(CounterName(c)));
            if (problems) app.MainFrame()->OnProblems();
        });
    }
    return QApplication::exec();
}
