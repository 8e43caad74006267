#pragma once

// The main frame's refresh timer as others see it: a selection change and the trace mask
// command stop it while they work and start it again afterwards.
class IRefreshTimer {
public:
    virtual ~IRefreshTimer() = default;
    virtual bool IsRefreshTimerRunning() const = 0;
    virtual void StopRefreshTimer() = 0;
    // Starts the timer again if it is marked stopped.
    virtual void RestartRefreshTimer() = 0;
};
