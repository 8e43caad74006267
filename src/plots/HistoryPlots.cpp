#include "plots/HistoryPlots.h"

#include <QMessageBox>
#include <QWidget>

#include "plots/HistoryWindow.h"
#include "res/StringTable.h"

HistoryPlots::HistoryPlots(HistorySampler& sampler, const EventMarks& marks, QWidget* owner)
    : sampler_(sampler), marks_(marks), owner_(owner) {}

HistoryPlots::~HistoryPlots() {
    for (HistoryWindow*& window : windows_) {
        if (window == nullptr) continue;
        disconnect(window, nullptr, this, nullptr);
        sampler_.Unwatch(window->Slot());
        delete window;
        window = nullptr;
    }
}

void HistoryPlots::Show(const CounterRef& counter, const QString& title) {
    if (const int slot = sampler_.Find(counter); slot >= 0 && windows_[size_t(slot)] != nullptr) {
        HistoryWindow* open = windows_[size_t(slot)];
        open->setWindowState(open->windowState() & ~Qt::WindowMinimized);
        open->show();
        open->raise();
        open->activateWindow();
        return;
    }
    const int slot = sampler_.Watch(counter);
    if (slot < 0) {
        QMessageBox box(QMessageBox::Information, QString::fromLatin1(Str::ShowHistory),
                        QString::fromLatin1(Str::HistoryLimitFormat).arg(HistorySampler::WatchCapacity),
                        QMessageBox::Ok, owner_);
        box.setObjectName("historyLimitBox");
        box.exec();
        return;
    }
    auto* window = new HistoryWindow(sampler_, marks_, slot, title, owner_);
    windows_[size_t(slot)] = window;
    connect(window, &QObject::destroyed, this, [this, slot] { Closed(slot); });
    window->show();
}

int HistoryPlots::OpenCount() const {
    int n = 0;
    for (const HistoryWindow* window : windows_) n += window != nullptr ? 1 : 0;
    return n;
}

void HistoryPlots::OnHistoryChanged(int64_t /*nowMs*/) {
    for (HistoryWindow* window : windows_)
        if (window != nullptr) window->Replot();
}

void HistoryPlots::Closed(int slot) {
    windows_[size_t(slot)] = nullptr;
    sampler_.Unwatch(slot);
}
