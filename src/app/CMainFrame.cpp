#include "app/CMainFrame.h"

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QSaveFile>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QToolBar>
#include <QWindow>
#include <algorithm>
#include <utility>

#include "app/CAboutDlg.h"
#include "app/TrayNotifier.h"
#include "app/ToolbarImages.h"
#include "controls/CColoredStatusBarCtrl.h"
#include "events/EventDetector.h"
#include "events/EventFanOut.h"
#include "eventlog/EventLogDialog.h"
#include "eventlog/EventLog.h"
#include "eventlog/EvidenceKeeper.h"
#include "history/ErrorWatch.h"
#include "history/EventMarks.h"
#include "history/HistorySampler.h"
#include "plots/HistoryPlots.h"
#include "record/DriverRecorder.h"
#include "problems/ProblemsDialog.h"
#include "export/SnapshotDocument.h"
#include "res/ResourceIds.h"
#include "res/StringTable.h"
#include "trace/CDbgMaskDlg.h"
#include "view/CQorstatsView.h"

namespace {
// A command prompt is the status line text, a line break, then the tooltip.
void SetPrompt(QAction* action, const char* prompt) {
    QString text = QString::fromLatin1(prompt);
    action->setStatusTip(text.section('\n', 0, 0));
    action->setToolTip(text.section('\n', 1, 1));
}

void ShowError(QWidget* owner, const char* caption, const char* text) {
    QMessageBox box(QMessageBox::Critical, QString::fromLatin1(caption), QString::fromLatin1(text), QMessageBox::Ok,
                    owner);
    box.setObjectName("errorBox");
    box.exec();
}
}  // namespace

CMainFrame::CMainFrame(CDev& dev, SettingsStore& settings, Timers timers, QWidget* parent,
                       ElapsedClock::MonotonicMs clock)
    : QMainWindow(parent),
      dev_(dev),
      settings_(settings),
      timerMode_(timers),
      refreshTimer_(timers == Timers::Real, [this] { OnRefreshTimer(); }) {
    setObjectName("mainFrame");
    setWindowTitle(QString::fromLatin1(Str::PromptStartStop).section('\n', 0, 0));
    setWindowFlags(windowFlags() & ~Qt::WindowMaximizeButtonHint);

    CreateMenu();
    CreateToolbar();
    CreateStatusBar();
    view_ = new CQorstatsView(dev, restore_, settings_, refreshTimer_, this);
    scroller_ = new QScrollArea(this);
    scroller_->setObjectName("viewScroller");
    scroller_->setFrameShape(QFrame::NoFrame);
    scroller_->setWidget(view_);
    setCentralWidget(scroller_);
    cycle_ = std::make_unique<PollingCycle>(dev_, restore_, *this, *this, *view_, std::move(clock));
    cycle_->SetInitialPanes();
    // The view marks recent increases from what the detector has just seen: it is told second.
    eventLog_ = std::make_unique<EventLog>(EventLog::DefaultFile());
    marks_ = std::make_unique<EventMarks>();
    events_ = std::make_unique<EventFanOut>();
    events_->Add(*eventLog_);
    events_->Add(*marks_);
    keeper_ = std::make_unique<EvidenceKeeper>(EventLog::DefaultFile().parent_path(), dev_.Published(), eventLog_.get());
    events_->Add(*keeper_);
    notifier_ = new TrayNotifier(*this);
    notifier_->SetEnabled(settings_.Notifications());
    events_->Add(*notifier_);
    connect(notifier_, &TrayNotifier::showRequested, this, &CMainFrame::ShowFromNotification);
    detector_ = std::make_unique<EventDetector>(events_.get());
    cycle_->AddObserver(*detector_);
    // The view marks its tree from what the watch has just seen: the watch goes first.
    watch_ = std::make_unique<ErrorWatch>(dev_.Published());
    cycle_->AddObserver(*watch_);
    view_->SetNodeMarks(watch_.get());
    cycle_->AddObserver(*view_);
    view_->SetCounterRecency(detector_.get());
    recorder_ = std::make_unique<DriverRecorder>(dev_);
    sampler_ = std::make_unique<HistorySampler>(dev_.Published());
    cycle_->AddObserver(*sampler_);
    // After the detector: the events of a tick find the copy of the refresh before.
    cycle_->AddObserver(*keeper_);
    plots_ = std::make_unique<HistoryPlots>(*sampler_, *marks_, this);
    sampler_->SetListener(plots_.get());
    connect(view_, &CQorstatsView::historyRequested, plots_.get(), &HistoryPlots::Show);

    elapsedTimer_.setInterval(Res::ElapsedPeriodMs);
    connect(&elapsedTimer_, &QTimer::timeout, this, [this] { OnElapsedTimer(); });
    StartTimers();

    // The view's first update: pages are created, then the view reset puts the placeholders in.
    view_->OnInitialUpdate();
    cycle_->ResetView();

    SetResizable(settings_.ResizableWindow());
}

CMainFrame::~CMainFrame() {
    recorder_.reset();
    sampler_->SetListener(nullptr);
    plots_.reset();
    cycle_->RemoveObserver(*sampler_);
    cycle_->RemoveObserver(*keeper_);
    // The windows show the log's lines and the watch's problems: they go before them.
    delete eventLogDlg_;
    delete problemsDlg_;
    cycle_.reset();
}

void CMainFrame::CreateMenu() {
    QMenu* file = menuBar()->addMenu(QString::fromLatin1(Str::MenuFile));
    QAction* save = file->addAction(QString::fromLatin1(Str::MenuSaveSnapshot), this, &CMainFrame::OnSaveSnapshot);
    save->setObjectName("menuSaveSnapshot");
    save->setShortcut(QKeySequence::Save);
    record_ = file->addAction(QString::fromLatin1(Str::MenuRecord), this, &CMainFrame::OnRecord);
    record_->setObjectName("menuRecord");
    file->addSeparator();
    QAction* close = file->addAction(QString::fromLatin1(Str::MenuClose), this, &QWidget::close);
    close->setObjectName("closeApplication");
#ifndef _WIN32
    close->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));  // Windows has Alt+F4 for it
#endif

    QMenu* debug = menuBar()->addMenu(QString::fromLatin1(Str::MenuDebug));
    QAction* trace = debug->addAction(QString::fromLatin1(Str::MenuTraceMask), this, &CMainFrame::OnTraceMask);
    trace->setObjectName("menuTraceMask");
    SetPrompt(trace, Str::PromptTraceMask);
    // The trace mask's second command id: no menu entry of its own, the same handler.
    QAction* traceAlt = new QAction(this);
    traceAlt->setObjectName("traceMaskAlt");
    traceAlt->setData(Res::ID_TRACE_MASK_ALT);
    connect(traceAlt, &QAction::triggered, this, [this] { OnTraceMask(); });
    addAction(traceAlt);
    QAction* clear = debug->addAction(QString::fromLatin1(Str::MenuClearStatistics), this,
                                      &CMainFrame::OnClearStatistics);
    clear->setObjectName("menuClearStatistics");
    SetPrompt(clear, Str::PromptClearMenu);
    QAction* events = debug->addAction(QString::fromLatin1(Str::MenuEventLog), this, &CMainFrame::OnEventLog);
    events->setObjectName("menuEventLog");
    SetPrompt(events, Str::PromptEventLog);

    QAction* problems = debug->addAction(QString::fromLatin1(Str::MenuProblems), this, &CMainFrame::OnProblems);
    problems->setObjectName("menuProblems");
    SetPrompt(problems, Str::PromptProblems);
    QAction* notifications = debug->addAction(QString::fromLatin1(Str::MenuNotifications));
    notifications->setObjectName("menuNotifications");
    notifications->setCheckable(true);
    notifications->setChecked(settings_.Notifications());
    SetPrompt(notifications, Str::PromptNotifications);
    connect(notifications, &QAction::toggled, this, [this](bool on) {
        settings_.SetNotifications(on);
        notifier_->SetEnabled(on);
    });
    QAction* resizable = debug->addAction(QString::fromLatin1(Str::MenuResizable));
    resizable->setObjectName("menuResizable");
    resizable->setCheckable(true);
    resizable->setChecked(settings_.ResizableWindow());
    SetPrompt(resizable, Str::PromptResizable);
    connect(resizable, &QAction::toggled, this, [this](bool on) {
        settings_.SetResizableWindow(on);
        SetResizable(on);
    });

    QMenu* help = menuBar()->addMenu(QString::fromLatin1(Str::MenuHelp));
    QAction* about = help->addAction(QString::fromLatin1(Str::MenuAbout), this, &CMainFrame::OnAbout);
    about->setObjectName("menuAbout");
}

void CMainFrame::CreateToolbar() {
    toolbar_ = addToolBar(QString());
    toolbar_->setObjectName("toolbar");
    // Fixed at the top, as the only place of the Start/Stop control.
    toolbar_->setMovable(false);
    toolbar_->setFloatable(false);
    toolbar_->setAllowedAreas(Qt::TopToolBarArea);
    toolbar_->setContextMenuPolicy(Qt::PreventContextMenu);
    toolbar_->setIconSize(QSize(16, 15));

    stoppedImage_ = ToolbarImages::StartStop(Res::IDB_STOPPED);
    readingImage1_ = ToolbarImages::StartStop(Res::IDB_READING_1);
    readingImage2_ = ToolbarImages::StartStop(Res::IDB_READING_2);
    // The toolbar's own bitmap shows the stopped image; the first status update sets the frame.
    startStop_ = toolbar_->addAction(stoppedImage_, QString());
    toolbarBitmap_ = Res::IDB_STOPPED;
    startStop_->setObjectName("startStop");
    startStop_->setCheckable(true);
    startStop_->setChecked(true);
    SetPrompt(startStop_, Str::PromptStartStop);
    connect(startStop_, &QAction::triggered, this, [this] { OnStartStop(); });

    QAction* trace = toolbar_->addAction(ToolbarImages::TraceMask(), QString());
    trace->setObjectName("toolbarTraceMask");
    SetPrompt(trace, Str::PromptTraceMask);
    connect(trace, &QAction::triggered, this, [this] { OnTraceMask(); });

    QAction* clear = toolbar_->addAction(ToolbarImages::ClearStatistics(), QString());
    clear->setObjectName("toolbarClearStatistics");
    SetPrompt(clear, Str::PromptClearToolbar);
    connect(clear, &QAction::triggered, this, [this] { OnClearStatistics(); });

    QAction* events = toolbar_->addAction(ToolbarImages::EventLog(), QString());
    events->setObjectName("toolbarEventLog");
    SetPrompt(events, Str::PromptEventLog);
    connect(events, &QAction::triggered, this, [this] { OnEventLog(); });
}

void CMainFrame::CreateStatusBar() {
    statusBar_ = new CColoredStatusBarCtrl(this);
    statusBar_->setObjectName("statusBar");
    statusBar_->setSizeGripEnabled(false);  // the frame has a fixed size
    setStatusBar(statusBar_);
    recordingPane_ = new QLabel(statusBar_);
    recordingPane_->setObjectName("recordingPane");
    statusBar_->addPermanentWidget(recordingPane_);
    recordingPane_->hide();
}

void CMainFrame::StartTimers() {
    refreshTimer_.Restart();
    if (timerMode_ == Timers::Real) elapsedTimer_.start();
}

// The design's size where the screen has room for it. On a smaller screen (or a larger scale)
// the frame takes what there is and the view scrolls inside it, so that the menu, the toolbar
// and the status bar stay in reach.
void CMainFrame::FitToScreen(const QMargins& frameMargins) {
    frameMargins_ = frameMargins;
    setMinimumSize(0, 0);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    scroller_->setMinimumSize(view_->size());
    const QSize design = sizeHint();
    scroller_->setMinimumSize(0, 0);
    QSize room = design;
    if (const QScreen* s = screen()) room = s->availableGeometry().size().shrunkBy(frameMargins);
    if (!resizable_) {
        setFixedSize(design.boundedTo(room));
        return;
    }
    // Enlarged, the view takes the room and its parts grow; smaller than the design, it scrolls.
    setMinimumSize(design.boundedTo(room));
    if (width() < minimumWidth() || height() < minimumHeight()) resize(size().expandedTo(minimumSize()));
}

void CMainFrame::SetResizable(bool on) {
    const bool shown = isVisible();
    if (!on && (isMaximized() || isFullScreen())) showNormal();
    resizable_ = on;
    view_->SetGrowable(on);
    scroller_->setWidgetResizable(on);
    const Qt::WindowFlags flags = on ? windowFlags() | Qt::WindowMaximizeButtonHint
                                     : windowFlags() & ~Qt::WindowMaximizeButtonHint;
    if (flags != windowFlags()) {
        setWindowFlags(flags);  // hides the window
        if (shown) show();
    }
    FitToScreen(frameMargins_.isNull() ? EstimatedFrameMargins() : frameMargins_);
}

// Before the window system has framed the window, a title bar and borders as the style draws them.
QMargins CMainFrame::EstimatedFrameMargins() const {
    const int border = style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, this);
    const int title = style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this);
    return QMargins(border, title + border, border, border);
}

// Centred once; afterwards the window stays where the user put it, also when it is restored.
void CMainFrame::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (centred_) return;
    centred_ = true;
    const QScreen* s = screen();
    if (!s) return;
    QMargins margins = windowHandle() ? windowHandle()->frameMargins() : QMargins();
    if (margins.isNull())
        margins = EstimatedFrameMargins();
    else
        FitToScreen(margins);  // the window system's own frame is known by now
    // The title bar never above the available area, whatever the frame's size.
    const QRect available = s->availableGeometry();
    QRect framed = rect().marginsAdded(margins);
    framed.moveCenter(available.center());
    move(std::max(framed.left(), available.left()), std::max(framed.top(), available.top()));
}

// No menu to hide the toolbar: it holds the only Start/Stop control.
QMenu* CMainFrame::createPopupMenu() { return nullptr; }

// ---- Polling cycle's window ----

void CMainFrame::SetPane(int pane, std::string_view text, Colour background, Colour foreground) {
    statusBar_->SetPane(pane, text, background, foreground);
}

void CMainFrame::RepaintNow() { statusBar_->RepaintNow(); }

void CMainFrame::LoadBitmap(int bitmapId) {
    if (bitmapId == toolbarBitmap_) return;
    toolbarBitmap_ = bitmapId;
    startStop_->setIcon(StartStopImage(bitmapId));
}

const QIcon& CMainFrame::StartStopImage(int bitmapId) const {
    if (bitmapId == Res::IDB_STOPPED) return stoppedImage_;
    return bitmapId == Res::IDB_READING_2 ? readingImage2_ : readingImage1_;
}

// ---- Commands ----

void CMainFrame::OnStartStop() {
    cycle_->OnStartStop();
    startStop_->setChecked(cycle_->ReadingEnabled());
}

void CMainFrame::OnTraceMask() {
    CDbgMaskDlg dialog(dev_, TraceMask, AppliedTraceMask, this);
    connect(&dialog, &CDbgMaskDlg::MaskApplied, this,
            [this](uint32_t before, uint32_t after) { cycle_->TraceMaskChanged(before, after); });
    if (!dev_.IsOpen()) dev_.Open();
    refreshTimer_.Stop();
    if (!dev_.IsOpen()) {
        ShowError(this, Str::NoDeviceCaption, Str::NoDeviceText);
    } else if (dev_.Published().DebugBuild == 0) {
        ShowError(this, Str::ReleaseBuildCaption, Str::ReleaseBuildText);
    } else {
        dialog.exec();
        dev_.Close();
    }
    refreshTimer_.Restart();
}

void CMainFrame::OnEventLog() {
    if (!eventLogDlg_) eventLogDlg_ = new EventLogDialog(*eventLog_, this);
    eventLogDlg_->show();
    eventLogDlg_->raise();
    eventLogDlg_->activateWindow();
}

void CMainFrame::OnClearStatistics() {
    keeper_->BeforeClear();
    cycle_->ClearStatistics();
}

void CMainFrame::OnRefreshTimer() {
    cycle_->OnRefreshTimer();
    if (problemsDlg_) problemsDlg_->Refresh();
    if (recorder_->Started()) ShowRecordingState();
}

void CMainFrame::OnProblems() {
    if (!problemsDlg_) {
        problemsDlg_ = new ProblemsDialog(*watch_, this);
        connect(problemsDlg_, &ProblemsDialog::problemActivated, this, [this](NodeCode node, const CounterRef& counter) {
            view_->ShowCounter(node, counter);
            raise();
            activateWindow();
        });
    }
    problemsDlg_->show();
    problemsDlg_->raise();
    problemsDlg_->activateWindow();
}

void CMainFrame::ShowFromNotification(NodeCode node, const CounterRef& counter) {
    if (isMinimized()) showNormal();
    show();
    raise();
    activateWindow();
    if (node != 0) view_->ShowCounter(node, counter);
}

void CMainFrame::OnAbout() {
    CAboutDlg about(this);
    about.exec();
}

void CMainFrame::OnSaveSnapshot() {
    QFileDialog dialog(this, QString::fromLatin1(Str::SaveSnapshotCaption));
    dialog.setObjectName("saveSnapshotDialog");
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters({QString::fromLatin1(Str::JsonFilter), QString::fromLatin1(Str::CsvFilter)});
    dialog.setDefaultSuffix(QStringLiteral("json"));
    // The suffix follows the filter the user picks, so that the name tells the format.
    connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& filter) {
        dialog.setDefaultSuffix(filter == QString::fromLatin1(Str::CsvFilter) ? QStringLiteral("csv")
                                                                               : QStringLiteral("json"));
    });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    SaveSnapshot(dialog.selectedFiles().constFirst());
}

bool CMainFrame::SaveSnapshot(const QString& path) {
    const ListPlaceholders placeholders = View().Placeholders();
    const ListLayouts layouts = View().Layouts();
    const PageTextSources sources{
        PageSources{dev_.Snapshot(), dev_.Validity(), dev_.Published().ExtendedStatistics != 0}, dev_.Published(),
        &placeholders, &layouts};
    // The values' own time: the window may show a refresh from minutes ago (reading stopped).
    const auto read = cycle_->LastReadTime();
    const std::string readTime = read ? SnapshotDocument::UtcTime(*read) : std::string();
    const std::string saved = SnapshotDocument::UtcTime(std::chrono::system_clock::now());
    const std::string document = path.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive)
                                     ? SnapshotDocument::Csv(sources, readTime, saved)
                                     : SnapshotDocument::Json(sources, readTime, saved);
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) &&
        file.write(document.data(), static_cast<qint64>(document.size())) == static_cast<qint64>(document.size()) &&
        file.commit())
        return true;
    QMessageBox::warning(this, QString::fromLatin1(Str::SaveFailedCaption),
                         QString::fromLatin1(Str::SaveFailedText).arg(path, file.errorString()));
    return false;
}

bool CMainFrame::Recording() const { return recorder_->Recording(); }

void CMainFrame::OnRecord() {
    if (recorder_->Started()) return StopRecording();
    QFileDialog dialog(this, QString::fromLatin1(Str::RecordCaption));
    dialog.setObjectName("recordDialog");
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(QString::fromLatin1(Str::RecordFilter));
    dialog.setDefaultSuffix(QStringLiteral("qorrec"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    StartRecording(dialog.selectedFiles().constFirst());
}

bool CMainFrame::StartRecording(const QString& path) {
    const bool started = recorder_->Start(std::filesystem::path(path.toStdWString()), Res::RefreshPeriodMs);
    ShowRecordingState();
    if (!started)
        QMessageBox::warning(this, QString::fromLatin1(Str::RecordFailedCaption),
                             QString::fromLatin1(Str::RecordNotStartedText)
                                 .arg(path, QString::fromStdString(recorder_->Error())));
    return started;
}

void CMainFrame::StopRecording() {
    recorder_->Stop();
    ShowRecordingState();
}

// The menu names what its command does now, and the status bar tells while a recording runs.
// A recording that stopped by itself is told once.
void CMainFrame::ShowRecordingState() {
    const QString path = QString::fromStdWString(recorder_->Path().wstring());
    if (recorder_->Started() && !recorder_->Recording()) {
        const QString reason = QString::fromStdString(recorder_->Error());
        recorder_->Stop();
        ShowRecordingState();
        QMessageBox::warning(this, QString::fromLatin1(Str::RecordFailedCaption),
                             QString::fromLatin1(Str::RecordStoppedText).arg(path, reason));
        return;
    }
    const bool recording = recorder_->Recording();
    record_->setText(QString::fromLatin1(recording ? Str::MenuStopRecording : Str::MenuRecord));
    recordingPane_->setVisible(recording);
    if (recording)
        recordingPane_->setText(QString::fromLatin1(Str::RecordingPaneFormat)
                                    .arg(QFileInfo(path).fileName())
                                    .arg(recorder_->FileBytes() / Str::RecordKilobyte));
}
