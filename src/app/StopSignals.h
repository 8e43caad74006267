#pragma once

#include <QObject>
#include <functional>

class QSocketNotifier;

// SIGINT and SIGTERM end the panel through its event loop, as closing the window does, so
// that the single-instance lock and its socket go and the settings stay as a close leaves
// them. The handler only writes to a pipe; the loop reads it and calls onStop. One at a time;
// the signals get their default handling back when it is destroyed. Nothing on Windows.
class StopSignals : public QObject {
public:
    explicit StopSignals(std::function<void()> onStop, QObject* parent = nullptr);
    ~StopSignals() override;
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    // Whether the handlers are in place (false on Windows, or when the pipe could not be made).
    bool Active() const { return notifier_ != nullptr; }

private:
    void OnSignalled();

    std::function<void()> onStop_;
    QSocketNotifier* notifier_ = nullptr;
};
