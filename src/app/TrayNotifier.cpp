#include "app/TrayNotifier.h"

#include <QSystemTrayIcon>
#include <QWidget>

#include "eventlog/EventLog.h"
#include "res/StringTable.h"

namespace {
// The tree node whose page shows the counter.
NodeCode NodeOf(const CounterRef& c) {
    switch (c.group) {
        case CounterGroup::Asio: return NodeKind_Asio;
        case CounterGroup::IsoStream:
            return MakeNodeCode(c.dir == Dir::In ? NodeKind_IsoInStream : NodeKind_IsoOutStream, c.index);
        default: return MakeNodeCode(c.dir == Dir::In ? NodeKind_ChannelIn : NodeKind_ChannelOut, c.index);
    }
}
}  // namespace

TrayNotifier::TrayNotifier(QWidget& window, ShowMessage show)
    : QObject(&window), window_(window), show_(std::move(show)) {
    setObjectName("trayNotifier");
    if (!show_ && QSystemTrayIcon::isSystemTrayAvailable()) {
        tray_ = new QSystemTrayIcon(window.windowIcon(), this);
        tray_->setToolTip(window.windowTitle());
        connect(tray_, &QSystemTrayIcon::messageClicked, this, &TrayNotifier::Clicked);
        connect(tray_, &QSystemTrayIcon::activated, this, [this] { emit showRequested(0, {}); });
        show_ = [this](const QString& title, const QString& text) { tray_->showMessage(title, text); };
    }
}

void TrayNotifier::SetEnabled(bool on) {
    enabled_ = on;
    if (tray_) tray_->setVisible(on);
}

void TrayNotifier::OnEvent(const DriverEvent& event) {
    const bool error = event.Category() == EventCategory::Errors && event.kind != EventKind::ErrorWentBack;
    if (!enabled_ || (!error && event.kind != EventKind::DriverLost)) return;
    if (!window_.isMinimized() && window_.isActiveWindow()) return;
    if (toldBefore_ && event.monotonicMs - lastMs_ < QuietMs) return;
    toldBefore_ = true;
    lastMs_ = event.monotonicMs;
    node_ = error && event.kind != EventKind::ErrorsNotListed ? NodeOf(event.counter) : 0;
    counter_ = event.counter;
    lastText_ = EventLog::Text(event);
    ++told_;
    if (show_) show_(QString::fromLatin1(error ? Str::NotifyErrorTitle : Str::NotifyDriverTitle), lastText_);
}

void TrayNotifier::Clicked() { emit showRequested(node_, counter_); }
