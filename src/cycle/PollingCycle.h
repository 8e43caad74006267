#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>

#include "base/RestoreWindow.h"
#include "cycle/ElapsedClock.h"
#include "cycle/ITickObserver.h"
#include "cycle/PollingTargets.h"
#include "driver/CDev.h"

// The 500 ms heartbeat of the panel: opens the control device, shows the connection and
// reading state, re-reads the snapshot and refreshes the pages, restores the remembered node
// after a rebuild, and closes the device again. The main frame owns one and feeds it ticks.
class PollingCycle {
public:
    PollingCycle(CDev& dev, RestoreWindow& restore, IStatusPanes& status, IToolbarImage& toolbar, IPollingView& view,
                 ElapsedClock::MonotonicMs clock = {});

    // The panes as the window shows them before the first tick.
    void SetInitialPanes();

    void OnRefreshTimer();
    void UpdateStatus(bool reading);
    void RefreshAll();
    void ResetView();
    void OnStartStop();
    bool ReadingEnabled() const { return readingEnabled_; }
    // When the snapshot's records were last read; none before the first refresh.
    std::optional<std::chrono::system_clock::time_point> LastReadTime() const { return lastRead_; }
    void ClearStatistics();
    void OnElapsedTimer() { elapsed_.OnElapsedTimer(); }
    // The frame reports a trace mask the user set, so that observers hear of it.
    void TraceMaskChanged(uint32_t before, uint32_t after);

    // At most ObserverCapacity observers, told in the order they were added; false when full.
    static constexpr size_t ObserverCapacity = 6;
    bool AddObserver(ITickObserver& observer);
    void RemoveObserver(ITickObserver& observer);

private:
    // Pane 0 while the device is open and reading: whether the reads answered.
    void ShowReadingState();
    template <typename Call>
    void Tell(Call call);

    CDev& dev_;
    RestoreWindow& restore_;
    IStatusPanes& status_;
    IToolbarImage& toolbar_;
    IPollingView& view_;
    bool readingEnabled_ = true;
    // A read of the latest refresh failed: pane 0 says so until a refresh reads everything.
    bool readFailed_ = false;
    // The view shows the no-driver state: set by every reset, cleared when the device opens,
    // so each loss of the driver resets the view exactly once.
    bool viewIsReset_ = false;
    int toolbarBitmapId_;
    std::optional<std::chrono::system_clock::time_point> lastRead_;
    ElapsedClock elapsed_;
    std::array<ITickObserver*, ObserverCapacity> observers_{};
};
