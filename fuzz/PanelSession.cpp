#include "fuzz/PanelSession.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTreeWidgetItem>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "app/CMainFrame.h"
#include "controls/CColoredStatusBarCtrl.h"
#include "controls/CTreeCtrlEx.h"
#include "controls/ListCell.h"
#include "driver/CDev.h"
#include "fuzz/AnswerEncoding.h"
#include "fuzz/SessionScript.h"
#include "pages/CDlgPgAsio.h"
#include "pages/CDlgPgChannelsIn.h"
#include "pages/CDlgPgChannelsOut.h"
#include "pages/CDlgPgDevices.h"
#include "pages/CDlgPgInfo.h"
#include "pages/CDlgPgIsoInStreams.h"
#include "pages/CDlgPgIsoOutStreams.h"
#include "pages/CDlgPgSingleChannel.h"
#include "pages/CDlgPgSingleStream.h"
#include "platform/SettingsStore.h"
#include "view/CQorstatsView.h"
#include "view/NodeCode.h"

namespace AE = AnswerEncoding;

namespace {
constexpr const char* SettingsPath = "Software\\Quandrel\\QOR_Stats";

[[noreturn]] void Fail(const char* when, const char* what, long a, long b) {
    std::fprintf(stderr, "panel inconsistent %s: %s (%ld vs %ld)\n", when, what, a, b);
    std::abort();
}

void Expect(bool ok, const char* when, const char* what, long a = 0, long b = 0) {
    if (!ok) Fail(when, what, a, b);
}

// The root nodes whose children a page inserts, with the child kind and how many it holds.
struct ChildRoot {
    uint32_t rootKind;
    uint32_t childKind;
    uint32_t capacity;
    CDlgPgListBase& (*page)(CQorstatsView&);
};
const ChildRoot ChildRoots[] = {
    {NodeKind_IsoInStreams, NodeKind_IsoInStream, IsoStreamStatistics::Capacity,
     [](CQorstatsView& v) -> CDlgPgListBase& { return v.IsoInPage(); }},
    {NodeKind_IsoOutStreams, NodeKind_IsoOutStream, IsoStreamStatistics::Capacity,
     [](CQorstatsView& v) -> CDlgPgListBase& { return v.IsoOutPage(); }},
    {NodeKind_ChannelsIn, NodeKind_ChannelIn, BundleList::Capacity,
     [](CQorstatsView& v) -> CDlgPgListBase& { return v.ChannelsInPage(); }},
    {NodeKind_ChannelsOut, NodeKind_ChannelOut, BundleList::Capacity,
     [](CQorstatsView& v) -> CDlgPgListBase& { return v.ChannelsOutPage(); }},
};

CDlgPgListBase* ListPages(CQorstatsView& v, size_t i) {
    CDlgPgListBase* pages[] = {&v.AsioPage(),       &v.DevicesPage(),    &v.IsoInPage(),
                               &v.IsoOutPage(),     &v.SingleStreamPage(), &v.ChannelsInPage(),
                               &v.ChannelsOutPage(), &v.SingleChannelPage()};
    return i < std::size(pages) ? pages[i] : nullptr;
}
}  // namespace

void PanelSession::Run(std::string* transcript) {
    QFile::remove(QString::fromStdString(settingsFile_));
    SettingsStore settings(settingsFile_);
    if (std::optional<uint32_t> stored = script_.StoredNode()) {
        settings.CreateKey(SettingsStore::Root::LocalMachine, "Software", "Quandrel\\QOR_Stats");
        settings.WriteDword(SettingsStore::Root::LocalMachine, SettingsPath, "LastSelItem", *stored);
    }
    auto dev = std::make_unique<CDev>(device_);
    {
        CMainFrame frame(*dev, settings, CMainFrame::Timers::Manual);
        CheckConsistency(frame, "after start-up");
        for (int tick = 0; tick < MaxTicks; ++tick) {
            std::optional<uint8_t> action = script_.NextAction();
            if (!action) break;
            if (AE::TogglesReading(*action)) frame.StartStopAction()->trigger();
            if (*action & AE::ActionClear) frame.OnClearStatistics();
            frame.OnRefreshTimer();
            if (*action & AE::ActionElapsed) frame.OnElapsedTimer();
            CheckConsistency(frame, "after a tick");
            if ((*action & AE::ActionWalk) || tick % WalkEvery == WalkEvery - 1) {
                Walk(frame);
                CheckConsistency(frame, "after a walk");
            }
            if (transcript) Describe(frame, *transcript);
        }
    }
    dev.reset();
    // Whatever the widgets left for the event loop goes now, not into the next session.
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QApplication::processEvents();
}

QString PanelSession::ScratchBase() {
    return QDir("/dev/shm").exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
}

void PanelSession::Walk(CMainFrame& frame) {
    CQorstatsView& view = frame.View();
    CTreeCtrlEx& tree = view.Tree();
    // A row's description depends only on the node's kind: every row is clicked on each root and
    // its first child, a few telling ones on the other children.
    auto visit = [&](QTreeWidgetItem* item, bool allRows) {
        tree.setCurrentItem(item);
        if (allRows) {
            for (int row = FirstRowClicked; row <= LastRowClicked; ++row) view.ShowRowDescription(row);
        } else {
            for (int row : {-1, 0, 16, 255, 256}) view.ShowRowDescription(row);
        }
    };
    // Items are looked up again for every step: a selection may rebuild a root's children.
    for (int i = 0; i < tree.topLevelItemCount(); ++i) {
        visit(tree.topLevelItem(i), true);
        for (int c = 0; i < tree.topLevelItemCount() && c < tree.topLevelItem(i)->childCount(); ++c)
            visit(tree.topLevelItem(i)->child(c), c == 0);
    }
}

void PanelSession::CheckConsistency(CMainFrame& frame, const char* when) {
    CQorstatsView& view = frame.View();
    CTreeCtrlEx& tree = view.Tree();
    Expect(tree.topLevelItemCount() == 7, when, "root nodes", tree.topLevelItemCount(), 7);
    for (uint32_t kind : {NodeKind_Info, NodeKind_Asio, NodeKind_Devices}) {
        QTreeWidgetItem* root = view.RootItem(kind);
        Expect(root != nullptr, when, "missing root", long(kind));
        Expect(root->childCount() == 0, when, "children below a leaf root", root->childCount(), 0);
    }
    for (const ChildRoot& r : ChildRoots) {
        QTreeWidgetItem* root = view.RootItem(r.rootKind);
        Expect(root != nullptr, when, "missing root", long(r.rootKind));
        Expect(root->data(0, Qt::UserRole).toUInt() == r.rootKind, when, "root code", long(r.rootKind));
        const uint32_t cached = r.page(view).CachedCount;
        Expect(cached <= r.capacity, when, "cached count beyond capacity", long(cached), long(r.capacity));
        Expect(uint32_t(root->childCount()) == cached, when, "children vs cached count", root->childCount(),
               long(cached));
        for (int c = 0; c < root->childCount(); ++c) {
            const uint32_t code = root->child(c)->data(0, Qt::UserRole).toUInt();
            Expect(code == MakeNodeCode(r.childKind, uint32_t(c)), when, "child code", long(code),
                   long(MakeNodeCode(r.childKind, uint32_t(c))));
        }
    }
    for (size_t i = 0; CDlgPgListBase* page = ListPages(view, i); ++i) {
        const CListColorCtrlEx& list = page->List();
        Expect(list.RowCount() >= 0 && list.RowCount() <= ListRowCapacity, when, "list rows", list.RowCount(),
               ListRowCapacity);
        Expect(list.ColumnCount() >= 0 && list.ColumnCount() <= ListColumnCapacity, when, "list columns",
               list.ColumnCount(), ListColumnCapacity);
    }
    Expect(view.SingleStreamPage().StreamIndex < IsoStreamStatistics::Capacity, when, "stream index",
           long(view.SingleStreamPage().StreamIndex));
    Expect(view.SingleChannelPage().BundleIndex < BundleList::Capacity, when, "bundle index",
           long(view.SingleChannelPage().BundleIndex));
    const NodeCode current = view.CurrentCode();
    if (QTreeWidgetItem* item = tree.currentItem())
        Expect(item->data(0, Qt::UserRole).toUInt() == current, when, "current code", long(current));
}

void PanelSession::Describe(CMainFrame& frame, std::string& out) {
    CQorstatsView& view = frame.View();
    for (int pane = 0; pane < 3; ++pane) out += frame.StatusBar().PaneText(pane).toStdString() + "\n";
    CTreeCtrlEx& tree = view.Tree();
    for (int i = 0; i < tree.topLevelItemCount(); ++i) {
        QTreeWidgetItem* root = tree.topLevelItem(i);
        out += root->text(0).toStdString() + "\n";
        for (int c = 0; c < root->childCount(); ++c) out += "  " + root->child(c)->text(0).toStdString() + "\n";
    }
    char code[16];
    std::snprintf(code, sizeof code, "%08X\n", view.CurrentCode());
    out += code;
    out += std::string(view.InfoPage().InfoText()) + "\n";
    for (size_t i = 0; CDlgPgListBase* page = ListPages(view, i); ++i) {
        const CListColorCtrlEx& list = page->List();
        for (int c = 0; c < list.ColumnCount(); ++c) out += list.HeadingText(c).toStdString() + "|";
        out += "\n";
        for (int r = 0; r < list.RowCount(); ++r) {
            for (int c = 0; c < list.ColumnCount(); ++c) out += list.CellText(r, c).toStdString() + "|";
            out += "\n";
        }
    }
}
