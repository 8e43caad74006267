#include "problems/ProblemsDialog.h"

#include <QDateTime>
#include <QHeaderView>
#include <QLabel>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <vector>

#include "base/Colours.h"
#include "controls/QtColour.h"
#include "history/ErrorWatch.h"
#include "history/PlotScale.h"
#include "res/StringTable.h"

namespace {
enum Column { Where, Counter, Value, PerMinute, LastRise, ColumnCount };
constexpr int ProblemRole = Qt::UserRole;

QString Clock(int64_t wallMs) { return QDateTime::fromMSecsSinceEpoch(wallMs).toString(QStringLiteral("HH:mm:ss")); }
QString Grouped(uint32_t value) { return QString::fromStdString(PlotScale::ValueText(value, 0)); }
}  // namespace

ProblemsDialog::ProblemsDialog(const ErrorWatch& watch, QWidget* parent) : QWidget(parent, Qt::Window), watch_(watch) {
    setObjectName("problemsWindow");
    setWindowTitle(QString::fromLatin1(Str::ProblemsTitle));
    resize(760, 360);
    list_ = new QTreeWidget(this);
    list_->setObjectName("problemsList");
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setColumnCount(ColumnCount);
    list_->setHeaderLabels({QString::fromLatin1(Str::ProblemsWhere), QString::fromLatin1(Str::ProblemsCounter),
                            QString::fromLatin1(Str::ProblemsValue), QString::fromLatin1(Str::ProblemsPerMinute),
                            QString::fromLatin1(Str::ProblemsLastRise)});
    list_->header()->setSectionResizeMode(Where, QHeaderView::Stretch);
    list_->header()->setStretchLastSection(false);
    for (int c = Counter; c < ColumnCount; ++c) list_->header()->setSectionResizeMode(c, QHeaderView::ResizeToContents);
    none_ = new QLabel(QString::fromLatin1(Str::ProblemsNone), this);
    none_->setObjectName("problemsNone");
    none_->setAlignment(Qt::AlignCenter);
    more_ = new QLabel(this);
    more_->setObjectName("problemsMore");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_);
    layout->addWidget(none_);
    layout->addWidget(more_);
    connect(list_, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) { Activated(item); });
}

void ProblemsDialog::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    Refresh();
}

void ProblemsDialog::Refresh() {
    if (!isVisible()) return;
    const std::vector<ErrorWatch::Problem>& problems = watch_.Problems();
    std::vector<const ErrorWatch::Problem*> order;
    order.reserve(problems.size());
    for (const ErrorWatch::Problem& p : problems) order.push_back(&p);
    // Newest rise first; those not seen rising after them, by where they count.
    std::sort(order.begin(), order.end(), [](const ErrorWatch::Problem* a, const ErrorWatch::Problem* b) {
        if (a->lastRiseMs != b->lastRiseMs) return a->lastRiseMs > b->lastRiseMs;
        if (a->where != b->where) return a->where < b->where;
        return a->counter.row < b->counter.row;
    });
    const int shown = std::min<int>(static_cast<int>(order.size()), RowCapacity);
    const QString current = list_->currentItem() ? list_->currentItem()->data(Where, ProblemRole).toString() : QString();

    list_->setUpdatesEnabled(false);
    while (list_->topLevelItemCount() > shown) delete list_->takeTopLevelItem(list_->topLevelItemCount() - 1);
    while (list_->topLevelItemCount() < shown) new QTreeWidgetItem(list_);
    for (int i = 0; i < shown; ++i) {
        const ErrorWatch::Problem& p = *order[size_t(i)];
        QTreeWidgetItem* item = list_->topLevelItem(i);
        QString where = QString::fromStdString(p.where);
        if (p.counter.group == CounterGroup::Channel)
            where = QString::fromLatin1(Str::ProblemsChannelFormat).arg(where).arg(p.counter.channel);
        if (p.gone) where = QString::fromLatin1(Str::ProblemsGoneFormat).arg(where, Clock(p.goneWallMs));
        const QString texts[ColumnCount] = {where, QString::fromLatin1(CounterName(p.counter)), Grouped(p.value),
                                            Grouped(p.risePerMinute),
                                            p.lastRiseMs >= 0 ? Clock(p.lastRiseWallMs) : QString()};
        const QColor colour = ToQColor(p.gone ? Colours::ProblemGone : Colours::Black);
        for (int c = 0; c < ColumnCount; ++c) {
            if (item->text(c) != texts[c]) item->setText(c, texts[c]);
            if (item->foreground(c).color() != colour) item->setForeground(c, colour);
            if (c >= Value) item->setTextAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
        }
        // Which counter the row is: the node and the counter's place, for a double-click.
        const QString key = QStringLiteral("%1/%2/%3/%4/%5/%6")
                                .arg(p.node)
                                .arg(int(p.counter.group))
                                .arg(int(p.counter.dir))
                                .arg(p.counter.index)
                                .arg(p.counter.channel)
                                .arg(p.counter.row);
        // A row whose place another device has taken leads nowhere.
        item->setData(Where, ProblemRole, p.detached ? QString() : key);
        if (key == current && list_->currentItem() != item) list_->setCurrentItem(item);
    }
    list_->setUpdatesEnabled(true);
    list_->setVisible(shown > 0);
    none_->setVisible(shown == 0);
    more_->setVisible(static_cast<int>(order.size()) > shown);
    if (more_->isVisible())
        more_->setText(QString::fromLatin1(Str::ProblemsMoreFormat).arg(shown).arg(order.size()));
}

void ProblemsDialog::Activated(QTreeWidgetItem* item) {
    const QStringList parts = item->data(Where, ProblemRole).toString().split('/');
    if (parts.size() != 6) return;
    CounterRef ref;
    ref.group = static_cast<CounterGroup>(parts[1].toInt());
    ref.dir = static_cast<Dir>(parts[2].toInt());
    ref.index = parts[3].toUInt();
    ref.channel = parts[4].toUInt();
    ref.row = static_cast<uint16_t>(parts[5].toUInt());
    emit problemActivated(parts[0].toUInt(), ref);
}
