#include "fuzz/PanelSession.h"

#include <QAction>
#include <QApplication>
#include <QStringEncoder>
#include <QTreeWidgetItem>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <memory>

#include "app/CMainFrame.h"
#include "base/NodeCode.h"
#include "controls/CColoredStatusBarCtrl.h"
#include "controls/CTreeCtrlEx.h"
#include "controls/ListCell.h"
#include "driver/CDev.h"
#include "fuzz/AnswerEncoding.h"
#include "fuzz/SessionScript.h"
#include "fuzz/SettingsStoreMemory.h"
#include "pages/CDlgPgInfo.h"
#include "pages/CDlgPgSingleChannel.h"
#include "pages/CDlgPgSingleStream.h"
#include "platform/SettingsStore.h"
#include "settings/PanelSettings.h"
#include "view/CQorstatsView.h"

namespace AE = AnswerEncoding;

namespace {

// The settings live in memory (see SettingsStoreMemory), under the name of the file they stand for.
const char* const SettingsName = "QOR_Stats.ini";

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
    const char* page;
};
const ChildRoot ChildRoots[] = {
    {NodeKind_IsoInStreams, NodeKind_IsoInStream, IsoStreamStatistics::Capacity, "isoInStreamsPage"},
    {NodeKind_IsoOutStreams, NodeKind_IsoOutStream, IsoStreamStatistics::Capacity, "isoOutStreamsPage"},
    {NodeKind_ChannelsIn, NodeKind_ChannelIn, BundleList::Capacity, "channelsInPage"},
    {NodeKind_ChannelsOut, NodeKind_ChannelOut, BundleList::Capacity, "channelsOutPage"},
};

// The window's parts by their object names; aborts on one that is not there.
template <typename T>
T& Find(QObject& parent, const char* name) {
    T* child = parent.findChild<T*>(name);
    if (!child) Fail("looking for a part of the window", name, 0, 0);
    return *child;
}

ListPage* ListPages(CQorstatsView& v, size_t i) {
    static constexpr const char* Names[] = {"asioPage",         "devicesPage",    "isoInStreamsPage",
                                            "isoOutStreamsPage", "singleStreamPage", "channelsInPage",
                                            "channelsOutPage",  "singleChannelPage"};
    return i < std::size(Names) ? &Find<ListPage>(v, Names[i]) : nullptr;
}
}  // namespace

PanelSession::PanelSession() : rig_(slot_, SettingsName) {
    slot_.Watch(&rig_.dev.Snapshot(), sizeof(StatisticsSnapshot));
    SettingsStoreMemory::Forget(SettingsName);
    CheckConsistency(rig_.Start(), "after start-up");
}

PanelSession::~PanelSession() {
    rig_.frame.reset();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void PanelSession::StartOver(std::optional<uint32_t> storedNode) {
    CMainFrame& frame = *rig_.frame;
    slot_.Plug(nullptr);
    if (!frame.Cycle().ReadingEnabled()) frame.OnStartStop();
    SettingsStoreMemory::Forget(SettingsName);
    PanelSettings settings(*rig_.settings);
    settings.CreateKey();
    if (storedNode) settings.SetLastSelItem(*storedNode);
    slot_.ZeroWritten();
    rig_.dev.MutableValidity() = RecordValidity{};
    rig_.dev.ClearReadFailed();
    frame.View().ForgetSelections();
    frame.Cycle().ResetView();
    frame.Cycle().SetInitialPanes();
    CheckConsistency(frame, "after starting over");
}

void PanelSession::Run(ControlDevice& device, SessionScript& script, std::string* transcript) {
    StartOver(script.StoredNode());
    CMainFrame& frame = *rig_.frame;
    slot_.Plug(&device);
    for (int tick = 0; tick < MaxTicks; ++tick) {
        std::optional<uint8_t> action = script.NextAction();
        if (!action) break;
        if (AE::TogglesReading(*action)) Find<QAction>(frame, "startStop").trigger();
        if (*action & AE::ActionClear) frame.OnClearStatistics();
        frame.OnRefreshTimer();
        if (*action & AE::ActionElapsed) frame.OnElapsedTimer();
        CheckConsistency(frame, "after a tick");
        if ((*action & AE::ActionWalk) || tick % WalkEvery == WalkEvery - 1) {
            Walk();
            CheckConsistency(frame, "after a walk");
        }
        if (transcript) Describe(frame, *transcript);
    }
    slot_.Plug(nullptr);
    // Whatever the widgets left for the event loop goes now, not into the next session.
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QApplication::processEvents();
}

void PanelSession::Walk() {
    CQorstatsView& view = rig_.View();
    CTreeCtrlEx& tree = Find<CTreeCtrlEx>(view, "tree");
    // A row's description depends only on the node's kind and the row: the rows a page shows,
    // one past them and the ends of the list's capacity are all there is to click. Of the
    // children, the first and the last stand for the rest: the pages treat every index alike.
    auto visit = [&](QTreeWidgetItem* item) {
        tree.setCurrentItem(item);
        const CDlgPgBase* page = view.VisiblePage();
        const auto* list = page ? page->findChild<const CListColorCtrlEx*>("list") : nullptr;
        const int rows = list ? list->RowCount() : 0;
        for (int row = -1; row <= rows; ++row) view.ShowRowDescription(row);
        for (int row : {ListRowCapacity - 1, ListRowCapacity, std::numeric_limits<int>::max()})
            view.ShowRowDescription(row);
    };
    // Items are looked up again for every step: a selection may rebuild a root's children.
    for (int i = 0; i < tree.topLevelItemCount(); ++i) {
        visit(tree.topLevelItem(i));
        for (bool last : {false, true}) {
            if (i >= tree.topLevelItemCount()) break;
            QTreeWidgetItem* root = tree.topLevelItem(i);
            if (root->childCount() > (last ? 1 : 0)) visit(root->child(last ? root->childCount() - 1 : 0));
        }
    }
}

void PanelSession::CheckConsistency(CMainFrame& frame, const char* when) {
    CQorstatsView& view = frame.View();
    CTreeCtrlEx& tree = Find<CTreeCtrlEx>(view, "tree");
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
        const uint32_t cached = Find<ListPage>(view, r.page).Cached();
        Expect(cached <= r.capacity, when, "cached count beyond capacity", long(cached), long(r.capacity));
        Expect(uint32_t(root->childCount()) == cached, when, "children vs cached count", root->childCount(),
               long(cached));
        for (int c = 0; c < root->childCount(); ++c) {
            const uint32_t code = root->child(c)->data(0, Qt::UserRole).toUInt();
            Expect(code == MakeNodeCode(r.childKind, uint32_t(c)), when, "child code", long(code),
                   long(MakeNodeCode(r.childKind, uint32_t(c))));
        }
    }
    for (size_t i = 0; ListPage* page = ListPages(view, i); ++i) {
        const CListColorCtrlEx& list = page->List();
        Expect(list.RowCount() >= 0 && list.RowCount() <= ListRowCapacity, when, "list rows", list.RowCount(),
               ListRowCapacity);
        Expect(list.ColumnCount() >= 0 && list.ColumnCount() <= ListColumnCapacity, when, "list columns",
               list.ColumnCount(), ListColumnCapacity);
    }
    const uint32_t stream = Find<CDlgPgSingleStream>(view, "singleStreamPage").Stream();
    Expect(stream < IsoStreamStatistics::Capacity, when, "stream index", long(stream));
    const uint32_t bundle = Find<CDlgPgSingleChannel>(view, "singleChannelPage").Bundle();
    Expect(bundle < BundleList::Capacity, when, "bundle index", long(bundle));
    const NodeCode current = view.CurrentCode();
    if (QTreeWidgetItem* item = tree.currentItem())
        Expect(item->data(0, Qt::UserRole).toUInt() == current, when, "current code", long(current));
}

void PanelSession::Describe(CMainFrame& frame, std::string& out) {
    // A list of thousands of cells is described on every tick of both runs of an input: the text
    // is gathered piece by piece into a buffer that keeps its room from tick to tick, and encoded
    // once, so that describing costs no allocation of its own.
    QString& seen = describeBuffer_;
    seen.resize(0);
    auto line = [&seen](const QString& text) {
        seen += text;
        seen += u'\n';
    };
    CQorstatsView& view = frame.View();
    // Pane 1 is the elapsed time, which belongs to the process rather than to the session.
    const CColoredStatusBarCtrl& status = Find<CColoredStatusBarCtrl>(frame, "statusBar");
    for (int pane : {0, 2}) line(status.PaneText(pane));
    CTreeCtrlEx& tree = Find<CTreeCtrlEx>(view, "tree");
    for (int i = 0; i < tree.topLevelItemCount(); ++i) {
        QTreeWidgetItem* root = tree.topLevelItem(i);
        line(root->text(0));
        for (int c = 0; c < root->childCount(); ++c) {
            seen += u"  ";
            line(root->child(c)->text(0));
        }
    }
    char code[16];
    std::snprintf(code, sizeof code, "%x\n", static_cast<unsigned>(view.CurrentCode()));
    seen += QLatin1StringView(code);
    const std::string_view info = Find<CDlgPgInfo>(view, "infoPage").InfoText();
    seen += QLatin1StringView(info.data(), qsizetype(info.size()));
    seen += u'\n';
    line(view.DescriptionText());
    // The single stream and channel pages are laid out afresh whenever they are shown; hidden,
    // they still hold whatever they showed last.
    const CDlgPgBase* visible = view.VisiblePage();
    for (size_t i = 0; ListPage* page = ListPages(view, i); ++i) {
        const bool single = page->objectName().startsWith(u"single");
        if (single && page != visible) continue;
        if (page == visible) seen += u"shown:\n";
        const CListColorCtrlEx& list = page->List();
        for (int c = 0; c < list.ColumnCount(); ++c) {
            seen += list.HeadingText(c);
            seen += u'|';
        }
        seen += u'\n';
        for (int r = 0; r < list.RowCount(); ++r) {
            for (int c = 0; c < list.ColumnCount(); ++c) {
                seen += list.CellText(r, c);
                seen += u'|';
            }
            seen += u'\n';
        }
    }
    QStringEncoder utf8(QStringEncoder::Utf8);
    const size_t at = out.size();
    out.resize(at + static_cast<size_t>(utf8.requiredSpace(seen.size())));
    char* end = utf8.appendToBuffer(out.data() + at, seen);
    out.resize(static_cast<size_t>(end - out.data()));
}
