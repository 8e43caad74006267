#pragma once

#include <QIcon>
#include <QWidget>
#include <array>
#include <cstdint>

#include "base/NodeCode.h"
#include "cycle/ITickObserver.h"
#include "cycle/PollingTargets.h"
#include "pages/IStatisticsTree.h"
#include "pages/PageContext.h"
#include "rows/CounterRef.h"
#include "rows/ICounterRecency.h"
#include "rows/INodeMarks.h"
#include "rows/ListLayouts.h"
#include "rows/ListPlaceholders.h"
#include "settings/PanelSettings.h"

class QLabel;
class QTreeWidgetItem;
class CTreeCtrlEx;
class CDlgPgBase;
class CDlgPgInfo;
class CListColorCtrlEx;
class RefreshTimer;
class CListColorCtrlEx;

// The form view: the statistics tree on the left, one page at a time on the right, the
// description pane below. The selection is the user's: it stores every node the user chooses
// and brings the last one back after every rebuild of the tree or of a root's child nodes.
class CQorstatsView : public QWidget, public IPollingView, public IStatisticsTree, public ITickObserver {
    Q_OBJECT
public:
    CQorstatsView(CDev& dev, RestoreWindow& restore, PanelSettings& settings, RefreshTimer& timer,
                  QWidget* parent = nullptr);
    ~CQorstatsView() override;

    // Creates the page windows; the frame then runs its view reset. Runs once.
    void OnInitialUpdate();

    // IPollingView
    void RefreshInfoPage(bool keepBuildText) override;
    // The lists that show their placeholder, for the exports to say so as well.
    ListPlaceholders Placeholders() const;
    // The columns, rows and child nodes the lists keep, as the exports write them.
    ListLayouts Layouts() const;
    void RefreshPage(PageId page) override;
    void ResetPageState() override;
    void ShowPlaceholder(PageId page, std::string_view heading) override;
    void RebuildTree() override;
    void SelectLastSelectedItem() override;
    void SelectGeneral() override;
    void ClearDescription() override;

    // IStatisticsTree
    void DeleteChildren(uint32_t rootKind) override;
    void InsertChild(uint32_t rootKind, std::string_view label, uint32_t code) override;
    uint32_t CurrentKind() const override { return currentKind_; }

    void ShowRowDescription(int row);
    // A double-click on a cell of a page's list, or its "Show History": asks for the plot of
    // the counter in that cell. Cells without a numeric counter ask for nothing.
    void RequestHistory(const CListColorCtrlEx& list, int row, int column);

    // Error counters that went up within RecentIncreaseMs get a pale background on the pages,
    // and the description pane tells when a row's counter last went up.
    static constexpr int64_t RecentIncreaseMs = 10000;
    void SetCounterRecency(const ICounterRecency* recency) { recency_ = recency; }
    // Marks the tree's nodes on every tick, as `marks` tells them; it is told before the view.
    void SetNodeMarks(const INodeMarks* marks) { nodeMarks_ = marks; }
    // ITickObserver: told after whoever keeps the counters' history has seen the tick.
    void OnTick(const TickFacts& facts) override;

    // Selects the node, as a click would, and on its page the counter's row and cell; nothing
    // when the tree has no such node (its device has gone).
    void ShowCounter(NodeCode node, const CounterRef& counter);

    QTreeWidgetItem* RootItem(uint32_t kind) const;
    QString DescriptionText() const;
    // Starts the selection history of a new run; a harness that reuses one view for many
    // sessions calls it before each, as a new process would start from nothing.
    void ForgetSelections() { chosenCode_ = 0; }
    NodeCode CurrentCode() const { return currentCode_; }
    CDlgPgBase* VisiblePage() const;
    // Whether the view may grow past the design's size, the tree, the pages and the description
    // pane with it, and the lists keep their values readable; the design's view is fixed.
    void SetGrowable(bool on);

signals:
    // `title` names the counter: row name, node label and, where the page has one column per
    // stream or channel, the column's heading.
    void historyRequested(const CounterRef& counter, const QString& title);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    static constexpr size_t PageCount = 9;
    static constexpr size_t KindCount = 11;

    void OnTreeSelChanged();
    // The node the user chose in this run, or else the stored one; null when the tree has neither.
    QTreeWidgetItem* FindLastSelectedItem() const;
    // Selections made by the panel itself: they show the node's page but store nothing.
    void SelectByPanel(QTreeWidgetItem* item);
    void SetDescription(const char* text);
    void MarkRecentIncreases();
    void MarkNodes();
    QString LastIncreaseText(NodeCode code, int row) const;
    CListColorCtrlEx* ListOf(uint32_t kind) const;
    // The page that shows nodes of `kind`; null for a kind without one (0: nothing selected).
    CDlgPgBase* PageOf(uint32_t kind) const;
    // The page the polling cycle means: the page of that root node.
    CDlgPgBase* PageOf(PageId page) const;

    CDev& dev_;
    RestoreWindow& restore_;
    PanelSettings& settings_;
    RefreshTimer& timer_;
    PageContext context_;
    CTreeCtrlEx* tree_;
    QLabel* description_;
    QWidget* separator_;
    // The design's layout, from the font's dialog units.
    QSize designSize_;
    QRect treeArea_, separatorArea_, descriptionArea_, pageArea_;
    std::array<QIcon, 5> images_;  // the tree's image list
    // The information page also refreshes keeping its build line, which no other page has.
    CDlgPgInfo* info_;
    // Every page, in the order they are created.
    std::array<CDlgPgBase*, PageCount> pages_{};
    struct KindPage {
        uint32_t kind;
        CDlgPgBase* page;
    };
    // One page per node kind. The single stream and single channel pages show the child nodes
    // of both directions.
    std::array<KindPage, KindCount> pageOfKind_{};

    struct Root {
        uint32_t kind;
        QTreeWidgetItem* item;
    };
    std::array<Root, 7> roots_{};
    QTreeWidgetItem* currentItem_ = nullptr;
    NodeCode currentCode_ = 0;
    uint32_t currentKind_ = 0;
    // The node the user chose last in this run; until then the restore looks for the stored one.
    NodeCode chosenCode_ = 0;
    bool panelSelects_ = false;
    const ICounterRecency* recency_ = nullptr;
    const INodeMarks* nodeMarks_ = nullptr;
    bool initialised_ = false;
};
