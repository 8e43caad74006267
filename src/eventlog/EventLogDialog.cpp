#include "eventlog/EventLogDialog.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>

#include "eventlog/EventLog.h"
#include "res/StringTable.h"

EventLogDialog::EventLogDialog(EventLog& log, QWidget* parent) : QDialog(parent), log_(log) {
    setObjectName("eventLogWindow");
    setWindowTitle(QString::fromLatin1(Str::EventLogTitle));
    setModal(false);
    resize(900, 460);  // a whole line of a stream's error

    auto* layout = new QVBoxLayout(this);
    auto* filters = new QHBoxLayout;
    filters->addWidget(new QLabel(QString::fromLatin1(Str::EventLogShow), this));
    AddFilter(filters, EventCategory::Errors, Str::EventLogErrors, "filterErrors");
    AddFilter(filters, EventCategory::Devices, Str::EventLogDevices, "filterDevices");
    AddFilter(filters, EventCategory::Driver, Str::EventLogDriver, "filterDriver");
    filters->addStretch();
    layout->addLayout(filters);

    list_ = new QListView(this);
    list_->setObjectName("eventList");
    list_->setModel(&log_.Model());
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->setUniformItemSizes(true);  // keeps 10,000 lines cheap to lay out
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    list_->installEventFilter(this);  // the list's own Ctrl+C copies only its current line
    layout->addWidget(list_, 1);

    fileLine_ = new QLabel(log_.FileLine(), this);
    fileLine_->setObjectName("logFileLine");
    fileLine_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    fileLine_->setWordWrap(true);
    layout->addWidget(fileLine_);

    auto* buttons = new QHBoxLayout;
    auto* copy = new QPushButton(QString::fromLatin1(Str::EventLogCopy), this);
    copy->setObjectName("copyButton");
    copy->setAutoDefault(false);
    auto* close = new QPushButton(QString::fromLatin1(Str::EventLogClose), this);
    close->setObjectName("closeButton");
    close->setAutoDefault(false);
    buttons->addStretch();
    buttons->addWidget(copy);
    buttons->addWidget(close);
    layout->addLayout(buttons);

    auto* copyAction = new QAction(this);
    copyAction->setObjectName("copyAction");
    copyAction->setShortcut(QKeySequence::Copy);
    copyAction->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    addAction(copyAction);
    connect(copyAction, &QAction::triggered, this, &EventLogDialog::CopySelection);
    connect(copy, &QPushButton::clicked, this, &EventLogDialog::CopySelection);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);

    connect(&log_, &EventLog::FileFailed, this, [this] { fileLine_->setText(log_.FileLine()); });
    // New lines scroll into view while the list shows its end; a user reading older ones keeps them.
    connect(&log_.Model(), &QAbstractItemModel::rowsAboutToBeInserted, this, [this] {
        const QScrollBar* bar = list_->verticalScrollBar();
        atEnd_ = bar->value() == bar->maximum();
    });
    connect(&log_.Model(), &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex&, int first, int) { FollowNewLines(first); });
    list_->scrollToBottom();
}

void EventLogDialog::AddFilter(QHBoxLayout* row, EventCategory category, const char* text, const char* name) {
    auto* box = new QCheckBox(QString::fromLatin1(text), this);
    box->setObjectName(name);
    box->setChecked(log_.Model().Shown(category));
    connect(box, &QCheckBox::toggled, this, [this, category](bool on) {
        log_.Model().SetShown(category, on);
        list_->scrollToBottom();
    });
    row->addWidget(box);
}

bool EventLogDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == list_ && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy)) {
        CopySelection();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void EventLogDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Once the layout has given the list its size.
    QMetaObject::invokeMethod(list_, [this] { list_->scrollToBottom(); }, Qt::QueuedConnection);
}

void EventLogDialog::FollowNewLines(int) {
    if (atEnd_ && isVisible()) list_->scrollToBottom();
}

QString EventLogDialog::SelectedText() const {
    QModelIndexList selected = list_->selectionModel()->selectedRows();
    std::sort(selected.begin(), selected.end(),
              [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    QStringList lines;
    for (const QModelIndex& index : selected) lines << log_.Model().Line(index.row());
    return lines.join('\n');
}

void EventLogDialog::CopySelection() {
    const QString text = SelectedText();
    if (!text.isEmpty()) QApplication::clipboard()->setText(text);
}
