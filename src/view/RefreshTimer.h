#pragma once

#include <QTimer>
#include <functional>

// The main frame's refresh timer: a selection change and the trace mask command stop it while
// they work and start it again afterwards. It is marked running or stopped; with ticks that a
// test delivers, the mark is all there is.
class RefreshTimer {
public:
    RefreshTimer(bool real, std::function<void()> tick);

    bool IsRunning() const { return id_ != 0; }
    void Stop();
    // Starts it again if it is marked stopped.
    void Restart();

private:
    QTimer timer_;
    bool real_;
    int id_ = 0;  // the running timer's identifier, 0 when stopped
};
