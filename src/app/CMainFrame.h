#pragma once

#include <QIcon>
#include <QMainWindow>
#include <QTimer>
#include <cstdint>
#include <memory>

#include "base/NodeCode.h"
#include "cycle/PollingCycle.h"
#include "rows/CounterRef.h"
#include "settings/PanelSettings.h"
#include "view/RefreshTimer.h"

class QAction;
class QLabel;
class QMenu;
class QScrollArea;
class QToolBar;
class CColoredStatusBarCtrl;
class EventLogDialog;
class EventDetector;
class EventFanOut;
class EventMarks;
class EvidenceKeeper;
class ErrorWatch;
class ProblemsDialog;
class TrayNotifier;
class EventLog;
class HistoryPlots;
class HistorySampler;
class CQorstatsView;
class DriverRecorder;
class SettingsStore;

// The panel's one window: menu, toolbar, the statistics view and the coloured status bar.
// It owns the two timers and hands their ticks to the polling cycle.
class CMainFrame : public QMainWindow, public IStatusPanes, public IToolbarImage {
    Q_OBJECT
public:
    // Manual timers never run by themselves: tests deliver every tick.
    enum class Timers { Real, Manual };

    // `clock` is the polling cycle's time, the steady clock unless a test gives one.
    CMainFrame(CDev& dev, SettingsStore& settings, Timers timers = Timers::Real, QWidget* parent = nullptr,
               ElapsedClock::MonotonicMs clock = {});
    ~CMainFrame() override;

    // Commands.
    void OnStartStop();
    void OnTraceMask();
    // The last snapshot read is saved beside the event log first: a clear loses the counts for good.
    void OnClearStatistics();
    void OnAbout();
    // Shows the one event log window, made on first use.
    void OnEventLog();
    // Shows the one problems window, made on first use.
    void OnProblems();
    // Brings the window to the front, on the counter's node and row when there is one.
    void ShowFromNotification(NodeCode node, const CounterRef& counter);
    // Asks for a file name, then saves the snapshot there.
    void OnSaveSnapshot();
    // Every page with the time, the driver's version and the sample rate: CSV for a name
    // ending in ".csv", JSON otherwise. A failure is told in a message box; returns success.
    bool SaveSnapshot(const QString& path);
    // Asks for a file name and records to it, or stops the recording that runs.
    void OnRecord();
    // Every request to the driver and its answer go to `path` until StopRecording, for a replay
    // elsewhere. A failure, also a recording that stops by itself, is told in a message box.
    bool StartRecording(const QString& path);
    void StopRecording();
    bool Recording() const;

    // Timer ticks.
    void OnRefreshTimer();
    void OnElapsedTimer() { cycle_->OnElapsedTimer(); }

    // IStatusPanes, IToolbarImage
    void SetPane(int pane, std::string_view text, Colour background, Colour foreground) override;
    void RepaintNow() override;
    void LoadBitmap(int bitmapId) override;

    bool IsRefreshTimerRunning() const { return refreshTimer_.IsRunning(); }

    CQorstatsView& View() { return *view_; }
    HistoryPlots& Plots() { return *plots_; }
    PollingCycle& Cycle() { return *cycle_; }
    EventLog& Events() { return *eventLog_; }
    const ErrorWatch& Watch() const { return *watch_; }
    int ToolbarBitmap() const { return toolbarBitmap_; }

    // The trace mask as edited and as the driver last accepted it; the trace dialog edits both.
    uint32_t EditedTraceMask() const { return TraceMask; }
    uint32_t AcceptedTraceMask() const { return AppliedTraceMask; }

    QMenu* createPopupMenu() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void CreateMenu();
    void CreateToolbar();
    void CreateStatusBar();
    void StartTimers();
    void FitToScreen(const QMargins& frameMargins);
    // Whether the user may enlarge and maximize the window (the design's is fixed).
    void SetResizable(bool on);
    QMargins EstimatedFrameMargins() const;
    const QIcon& StartStopImage(int bitmapId) const;
    void ShowRecordingState();

    CDev& dev_;
    PanelSettings settings_;
    Timers timerMode_;
    RestoreWindow restore_;
    CColoredStatusBarCtrl* statusBar_ = nullptr;
    QToolBar* toolbar_ = nullptr;
    QAction* startStop_ = nullptr;
    // The Start/Stop images, drawn once: the reading animation swaps them on every tick.
    QIcon stoppedImage_;
    QIcon readingImage1_;
    QIcon readingImage2_;
    QScrollArea* scroller_ = nullptr;
    bool resizable_ = false;
    QMargins frameMargins_;
    CQorstatsView* view_ = nullptr;
    // Declared before the cycle, which holds the detector as an observer until it goes.
    std::unique_ptr<EventLog> eventLog_;
    std::unique_ptr<EventMarks> marks_;
    std::unique_ptr<EvidenceKeeper> keeper_;
    std::unique_ptr<EventFanOut> events_;
    std::unique_ptr<EventDetector> detector_;
    EventLogDialog* eventLogDlg_ = nullptr;
    std::unique_ptr<ErrorWatch> watch_;
    ProblemsDialog* problemsDlg_ = nullptr;
    TrayNotifier* notifier_ = nullptr;
    std::unique_ptr<PollingCycle> cycle_;
    // Fed by the cycle; the plots go before the sampler they draw from.
    std::unique_ptr<HistorySampler> sampler_;
    std::unique_ptr<HistoryPlots> plots_;
    std::unique_ptr<DriverRecorder> recorder_;
    QAction* record_ = nullptr;
    QLabel* recordingPane_ = nullptr;
    RefreshTimer refreshTimer_;
    QTimer elapsedTimer_;
    int toolbarBitmap_ = 0;
    uint32_t TraceMask = 0;         // as edited in the trace dialog
    uint32_t AppliedTraceMask = 0;  // as the driver last accepted it
    bool centred_ = false;
};
