#include "view/CQorstatsView.h"

#include <QAction>
#include <QDateTime>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QTreeWidgetItem>
#include <array>

#include "controls/CListColorCtrlEx.h"
#include "controls/CTreeCtrlEx.h"
#include "controls/TreeItemDelegate.h"
#include "controls/DialogUnits.h"
#include "controls/DriverTextAssign.h"
#include "pages/CDlgPgAsio.h"
#include "pages/CDlgPgChannelsIn.h"
#include "pages/CDlgPgChannelsOut.h"
#include "pages/CDlgPgDevices.h"
#include "pages/CDlgPgInfo.h"
#include "pages/CDlgPgIsoInStreams.h"
#include "pages/CDlgPgIsoOutStreams.h"
#include "pages/ListPage.h"
#include "pages/CDlgPgSingleChannel.h"
#include "pages/CDlgPgSingleStream.h"
#include "res/StringTable.h"
#include "rows/NodeNames.h"
#include "rows/PageDescription.h"
#include "view/RefreshTimer.h"
#include "view/TreeIcons.h"

namespace {
struct SkeletonNode {
    uint32_t kind;
    int image;
    PageId page;  // as the polling cycle names the node's page
};
// The root nodes, in tree order.
constexpr std::array<SkeletonNode, 7> Skeleton{{
    {NodeKind_Info, TreeImage::General, PageId::Info},
    {NodeKind_Asio, TreeImage::Asio, PageId::Asio},
    {NodeKind_Devices, TreeImage::Devices, PageId::Devices},
    {NodeKind_IsoInStreams, TreeImage::Streams, PageId::IsoInStreams},
    {NodeKind_IsoOutStreams, TreeImage::Streams, PageId::IsoOutStreams},
    {NodeKind_ChannelsIn, TreeImage::Channels, PageId::ChannelsIn},
    {NodeKind_ChannelsOut, TreeImage::Channels, PageId::ChannelsOut},
}};

// Where the pages sit in the view, in pixels of the template font.
const QRect PageArea(280, 10, 420, 480);

NodeCode CodeOf(const QTreeWidgetItem* item) { return item ? item->data(0, Qt::UserRole).toUInt() : 0; }
}  // namespace

CQorstatsView::CQorstatsView(CDev& dev, RestoreWindow& restore, PanelSettings& settings, RefreshTimer& timer,
                             QWidget* parent)
    : QWidget(parent), dev_(dev), restore_(restore), settings_(settings), timer_(timer),
      context_{dev, restore, *this} {
    setObjectName("view");
    const DialogUnits du(font());
    designSize_ = QSize(du.X(474), du.Y(341));
    treeArea_ = du.Rect(7, 7, 161, 327);
    separatorArea_ = du.Rect(176, 7, 1, 327).adjusted(0, 0, 1, 0);
    descriptionArea_ = du.Rect(185, 305, 281, 29);
    pageArea_ = du.Pixels(PageArea);
    setFixedSize(designSize_);

    tree_ = new CTreeCtrlEx(this);
    tree_->setObjectName("tree");
    tree_->setGeometry(treeArea_);
    // Long bundle labels scroll sideways rather than being cut.
    tree_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    tree_->header()->setStretchLastSection(false);
    for (int i = 0; i < TreeIcons::Count; ++i) images_[size_t(i)] = TreeIcons::Icon(i);

    auto* separator = new QFrame(this);
    separator->setFrameShape(QFrame::VLine);
    separator->setFrameShadow(QFrame::Sunken);
    separator->setGeometry(separatorArea_);
    separator_ = separator;

    description_ = new QLabel(this);
    description_->setObjectName("description");
    description_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    description_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    description_->setWordWrap(true);
    description_->setGeometry(descriptionArea_);

    info_ = new CDlgPgInfo(context_);
    auto* asio = new CDlgPgAsio(context_);
    auto* devices = new CDlgPgDevices(context_);
    auto* singleStream = new CDlgPgSingleStream(context_);
    auto* isoIn = new CDlgPgIsoInStreams(context_, *singleStream);
    auto* isoOut = new CDlgPgIsoOutStreams(context_, *singleStream);
    auto* singleChannel = new CDlgPgSingleChannel(context_);
    auto* channelsIn = new CDlgPgChannelsIn(context_, *singleChannel);
    auto* channelsOut = new CDlgPgChannelsOut(context_, *singleChannel);
    pages_ = {info_, asio, devices, isoIn, singleStream, isoOut, channelsIn, channelsOut, singleChannel};
    pageOfKind_ = {{
        {NodeKind_Info, info_},
        {NodeKind_Asio, asio},
        {NodeKind_Devices, devices},
        {NodeKind_IsoInStreams, isoIn},
        {NodeKind_IsoInStream, singleStream},
        {NodeKind_IsoOutStreams, isoOut},
        {NodeKind_IsoOutStream, singleStream},
        {NodeKind_ChannelsIn, channelsIn},
        {NodeKind_ChannelIn, singleChannel},
        {NodeKind_ChannelsOut, channelsOut},
        {NodeKind_ChannelOut, singleChannel},
    }};

    settings_.CreateKey();

    connect(tree_, &QTreeWidget::currentItemChanged, this, [this] { OnTreeSelChanged(); });
    connect(tree_, &CTreeCtrlEx::paneHintRequested, this, [this] { SetDescription(Str::DescriptionHint); });
    for (CDlgPgBase* page : pages_) {
        auto* list = page->findChild<CListColorCtrlEx*>("list");
        if (!list) continue;
        connect(list, &CListColorCtrlEx::rowDescriptionRequested, this, [this](int row) { ShowRowDescription(row); });
        connect(list, &QAbstractItemView::doubleClicked, this,
                [this, list](const QModelIndex& cell) { RequestHistory(*list, cell.row(), cell.column()); });
        auto* showHistory = new QAction(QString::fromLatin1(Str::ShowHistory), list);
        showHistory->setObjectName("showHistory");
        connect(showHistory, &QAction::triggered, this, [this, list] {
            const QModelIndex cell = list->currentIndex();
            if (cell.isValid()) RequestHistory(*list, cell.row(), cell.column());
        });
        list->AddContextAction(showHistory);
    }
}

CQorstatsView::~CQorstatsView() {
    // Page windows are children once created; before that the view owns them directly.
    if (!initialised_)
        for (CDlgPgBase* page : pages_) delete page;
}

CDlgPgBase* CQorstatsView::PageOf(uint32_t kind) const {
    for (const KindPage& entry : pageOfKind_)
        if (entry.kind == kind) return entry.page;
    return nullptr;
}

CDlgPgBase* CQorstatsView::PageOf(PageId page) const {
    for (const SkeletonNode& node : Skeleton)
        if (node.page == page) return PageOf(node.kind);
    return nullptr;
}

void CQorstatsView::SetGrowable(bool on) {
    if (on) {
        setMinimumSize(designSize_);
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    } else {
        setFixedSize(designSize_);
    }
    for (CDlgPgBase* page : pages_)
        if (auto* list = page->findChild<CListColorCtrlEx*>("list")) list->SetReadableColumns(on);
}

// Everything right of the tree and below the page grows; the design's sizes are the least.
void CQorstatsView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const int dx = std::max(0, width() - designSize_.width());
    const int dy = std::max(0, height() - designSize_.height());
    tree_->setGeometry(treeArea_.adjusted(0, 0, 0, dy));
    separator_->setGeometry(separatorArea_.adjusted(0, 0, 0, dy));
    description_->setGeometry(descriptionArea_.translated(0, dy).adjusted(0, 0, dx, 0));
    if (!initialised_) return;
    for (CDlgPgBase* page : pages_) {
        page->setGeometry(pageArea_.adjusted(0, 0, dx, dy));
        page->Grow(QSize(dx, dy));
    }
}

void CQorstatsView::OnInitialUpdate() {
    if (initialised_) return;
    initialised_ = true;
    for (CDlgPgBase* page : pages_) {
        page->Create(this);
        page->setGeometry(pageArea_);
        page->hide();
    }
}

// ---- Polling cycle ----

void CQorstatsView::RefreshInfoPage(bool keepBuildText) { info_->Refresh(keepBuildText); }

ListPlaceholders CQorstatsView::Placeholders() const {
    ListPlaceholders shown;
    for (const SkeletonNode& node : Skeleton)
        if (auto* list = dynamic_cast<const ListPage*>(PageOf(node.kind)); list && list->ShowsPlaceholder())
            shown.Show(node.kind);
    return shown;
}

ListLayouts CQorstatsView::Layouts() const {
    ListLayouts kept;
    for (const SkeletonNode& node : Skeleton)
        if (auto* list = dynamic_cast<const ListPage*>(PageOf(node.kind)); list && list->KeptLayout())
            kept.Keep(node.kind, *list->KeptLayout());
    return kept;
}

void CQorstatsView::RefreshPage(PageId page) {
    if (CDlgPgBase* shown = PageOf(page)) shown->Refresh();
}

void CQorstatsView::ResetPageState() {
    for (CDlgPgBase* page : pages_) page->ResetState();
}

void CQorstatsView::ShowPlaceholder(PageId page, std::string_view heading) {
    if (CDlgPgBase* shown = PageOf(page)) shown->ShowPlaceholder(heading);
}

void CQorstatsView::RebuildTree() {
    restore_.Open();
    {
        // Emptying the tree is no selection by the user: nothing to show or store.
        QSignalBlocker block(tree_);
        tree_->clear();
        currentItem_ = nullptr;
    }
    for (size_t i = 0; i < Skeleton.size(); ++i) {
        auto* item = new QTreeWidgetItem(QStringList(QString::fromLatin1(RootLabel(Skeleton[i].kind))));
        item->setIcon(0, images_[size_t(Skeleton[i].image)]);
        tree_->addTopLevelItem(item);
        item->setData(0, Qt::UserRole, Skeleton[i].kind);
        roots_[i] = {Skeleton[i].kind, item};
    }
    SelectGeneral();
    tree_->setFocus();
}

void CQorstatsView::SelectLastSelectedItem() {
    if (restore_.UserChose()) return;
    if (QTreeWidgetItem* item = FindLastSelectedItem()) SelectByPanel(item);
}

void CQorstatsView::SelectGeneral() {
    if (QTreeWidgetItem* general = RootItem(NodeKind_Info)) SelectByPanel(general);
}

void CQorstatsView::SelectByPanel(QTreeWidgetItem* item) {
    const bool was = panelSelects_;
    panelSelects_ = true;
    tree_->setCurrentItem(item);
    panelSelects_ = was;
}

void CQorstatsView::ClearDescription() { SetDescription(""); }

// ---- Tree nodes of the pages ----

QTreeWidgetItem* CQorstatsView::RootItem(uint32_t kind) const {
    for (const Root& r : roots_)
        if (r.kind == kind) return r.item;
    return nullptr;
}

void CQorstatsView::DeleteChildren(uint32_t rootKind) {
    QTreeWidgetItem* root = RootItem(rootKind);
    if (!root) return;
    // A selected child that goes hands the selection to its root; the restore brings it back.
    if (QTreeWidgetItem* current = tree_->currentItem(); current && current->parent() == root) SelectByPanel(root);
    tree_->DeleteChildren(root);
}

void CQorstatsView::InsertChild(uint32_t rootKind, std::string_view label, uint32_t code) {
    QTreeWidgetItem* root = RootItem(rootKind);
    if (!root) return;
    // The node is complete before it goes in: a change after that would be one more notice.
    auto* child = new QTreeWidgetItem;
    child->setText(0, DriverTextToQString(label));
    child->setToolTip(0, child->text(0));
    child->setIcon(0, images_[TreeImage::Streams]);
    child->setData(0, Qt::UserRole, code);
    root->addChild(child);
    if (!root->isExpanded()) root->setExpanded(true);
}

// ---- Selection ----

CDlgPgBase* CQorstatsView::VisiblePage() const {
    for (CDlgPgBase* page : pages_)
        if (page->isVisible()) return page;
    return nullptr;
}

void CQorstatsView::OnTreeSelChanged() {
    for (CDlgPgBase* page : pages_) page->hide();
    if (timer_.IsRunning()) timer_.Stop();
    if (!dev_.IsOpen()) dev_.Open();

    currentItem_ = tree_->currentItem();
    currentCode_ = CodeOf(currentItem_);
    currentKind_ = KindOf(currentCode_);
    if (CDlgPgBase* page = PageOf(currentKind_)) {
        page->OnSelect(currentCode_);
        page->show();
    }

    // Every choice of the user is remembered and stored, and wins over a restore still under
    // way; the panel's own selections store nothing.
    if (!panelSelects_ && currentCode_ != 0) {
        chosenCode_ = currentCode_;
        settings_.SetLastSelItem(currentCode_);
        restore_.MarkUserChose();
    }

    timer_.Restart();
    SetDescription(Str::DescriptionHint);
    MarkRecentIncreases();
}

QTreeWidgetItem* CQorstatsView::FindLastSelectedItem() const {
    const uint32_t stored = chosenCode_ != 0 ? chosenCode_ : settings_.LastSelItem();
    for (int i = 0; i < tree_->topLevelItemCount(); ++i) {
        QTreeWidgetItem* root = tree_->topLevelItem(i);
        if (CodeOf(root) == stored) return root;
        for (int c = 0; c < root->childCount(); ++c)
            if (CodeOf(root->child(c)) == stored) return root->child(c);
    }
    return nullptr;
}

// ---- Description pane ----

void CQorstatsView::SetDescription(const char* text) { description_->setText(QString::fromLatin1(text)); }

QString CQorstatsView::DescriptionText() const { return description_->text(); }

void CQorstatsView::ShowRowDescription(int row) {
    const NodeCode code = CodeOf(tree_->currentItem());
    const CDlgPgBase* page = PageOf(KindOf(code));
    const char* text = page ? page->RowDescription(code, row) : nullptr;
    QString shown = QString::fromLatin1(text ? text : "");
    const QString increase = LastIncreaseText(code, row);
    if (!increase.isEmpty()) shown += (shown.isEmpty() ? QString() : QStringLiteral("\n")) + increase;
    description_->setText(shown);
}

// ---- Recent increases of error counters ----

void CQorstatsView::OnTick(const TickFacts&) {
    MarkRecentIncreases();
    MarkNodes();
}

void CQorstatsView::ShowCounter(NodeCode node, const CounterRef& counter) {
    QTreeWidgetItem* item = nullptr;
    for (const Root& root : roots_) {
        if (root.item == nullptr) continue;
        if (CodeOf(root.item) == node) item = root.item;
        for (int i = 0; i < root.item->childCount() && !item; ++i)
            if (CodeOf(root.item->child(i)) == node) item = root.item->child(i);
    }
    if (item == nullptr) return;
    tree_->setCurrentItem(item);
    CListColorCtrlEx* list = ListOf(KindOf(node));
    if (list == nullptr) return;
    // The cell the one page description names for the counter.
    for (int row = 0; row < list->RowCount(); ++row)
        for (int column = 1; column < list->ColumnCount(); ++column)
            if (CounterAtCell(node, row, column) == counter) {
                list->setCurrentIndex(list->model()->index(row, column));
                ShowRowDescription(row);
                return;
            }
}

void CQorstatsView::MarkNodes() {
    if (nodeMarks_ == nullptr) return;
    // Set only where it changes: an unchanged mark costs no repaint of the tree.
    auto mark = [this](QTreeWidgetItem* item) {
        const int now = static_cast<int>(nodeMarks_->MarkOf(CodeOf(item)));
        if (item->data(0, TreeItemDelegate::MarkRole).toInt() != now) item->setData(0, TreeItemDelegate::MarkRole, now);
    };
    for (const Root& root : roots_) {
        if (root.item == nullptr) continue;
        mark(root.item);
        for (int i = 0; i < root.item->childCount(); ++i) mark(root.item->child(i));
    }
}

CListColorCtrlEx* CQorstatsView::ListOf(uint32_t kind) const {
    // A cast rather than a search by name: this runs on every tick and must not allocate.
    auto* page = qobject_cast<ListPage*>(PageOf(kind));
    return page ? &page->List() : nullptr;
}

void CQorstatsView::MarkRecentIncreases() {
    CListColorCtrlEx* list = recency_ ? ListOf(currentKind_) : nullptr;
    if (!list) return;
    const int64_t now = recency_->LatestTickMs();
    for (int row = 0; row < list->RowCount(); ++row) {
        // Whether a row holds error counters does not depend on the column.
        const std::optional<CounterRef> first = CounterAtCell(currentCode_, row, 1);
        if (!first || !IsErrorCounter(*first)) continue;
        for (int column = 1; column < list->ColumnCount(); ++column) {
            const std::optional<CounterRef> ref = CounterAtCell(currentCode_, row, column);
            if (!ref) continue;
            const std::optional<CounterIncrease> last = recency_->LastIncrease(*ref);
            const bool recent = last && now - last->monotonicMs < RecentIncreaseMs;
            list->SetCellBackground(row, column, recent ? Colours::RecentIncrease : Colours::White);
        }
    }
}

QString CQorstatsView::LastIncreaseText(NodeCode code, int row) const {
    const CListColorCtrlEx* list = recency_ ? ListOf(KindOf(code)) : nullptr;
    if (!list || row < 0) return {};
    std::optional<CounterIncrease> latest;
    int latestColumn = 0;
    for (int column = 1; column < list->ColumnCount(); ++column) {
        const std::optional<CounterRef> ref = CounterAtCell(code, row, column);
        if (!ref || !IsErrorCounter(*ref)) continue;
        const std::optional<CounterIncrease> last = recency_->LastIncrease(*ref);
        if (last && (!latest || last->wallMs > latest->wallMs)) {
            latest = last;
            latestColumn = column;
        }
    }
    if (!latest) return {};
    const QString time =
        QDateTime::fromMSecsSinceEpoch(latest->wallMs).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
    // With one column per stream or channel, which of them.
    if (list->ColumnCount() > 2)
        return QString::fromLatin1(Str::RecentIncreaseColumnFormat).arg(time, list->HeadingText(latestColumn));
    return QString::fromLatin1(Str::RecentIncreaseFormat).arg(time);
}

// ---- History plots ----

void CQorstatsView::RequestHistory(const CListColorCtrlEx& list, int row, int column) {
    // With one value column the row alone names the counter, whichever cell was hit.
    if (list.ColumnCount() == 2) column = 1;
    const PageDescription* description = ::PageOf(KindOf(currentCode_));
    const bool columnPerItem = description && ColumnPerItem(*description);
    const std::optional<CounterRef> counter = CounterAtCell(currentCode_, row, column);
    if (!counter || row >= list.RowCount() || column >= list.ColumnCount()) return;
    const QString name = QString::fromLatin1(CounterName(*counter));
    const QString node = currentItem_ ? currentItem_->text(0) : QString();
    const QString title = columnPerItem ? QString::fromLatin1(Str::HistoryColumnTitleFormat)
                                              .arg(name, node, list.HeadingText(column))
                                        : QString::fromLatin1(Str::HistoryTitleFormat).arg(name, node);
    emit historyRequested(*counter, title);
}
