#pragma once

#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>

#include "base/NodeCode.h"
#include "events/IEventSink.h"
#include "rows/CounterRef.h"

class QSystemTrayIcon;
class QWidget;

// Tells a rise of an error counter or a loss of the driver as a desktop notification (the
// system tray's message) while the panel's window is minimised or not in front, at most one
// per QuietMs, with what and where. A click on it asks for the window on that node.
class TrayNotifier : public QObject, public IEventSink {
    Q_OBJECT
public:
    static constexpr int64_t QuietMs = 10000;
    using ShowMessage = std::function<void(const QString& title, const QString& text)>;

    // `show` puts a message on the desktop; by default the tray icon's, where the desktop has a tray.
    explicit TrayNotifier(QWidget& window, ShowMessage show = {});

    void SetEnabled(bool on);
    bool Enabled() const { return enabled_; }
    // Messages told so far, and the latest.
    int Told() const { return told_; }
    const QString& LastText() const { return lastText_; }

    void OnEvent(const DriverEvent& event) override;
    // The latest message was clicked.
    void Clicked();

signals:
    // `node` 0: the window only, no node (the driver was lost).
    void showRequested(NodeCode node, const CounterRef& counter);

private:
    QWidget& window_;
    ShowMessage show_;
    QSystemTrayIcon* tray_ = nullptr;
    bool enabled_ = false;
    bool toldBefore_ = false;
    int64_t lastMs_ = 0;
    int told_ = 0;
    QString lastText_;
    NodeCode node_ = 0;
    CounterRef counter_;
};
