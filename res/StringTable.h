#pragma once

// The panel's fixed texts. Row names and descriptions live with their pages.
namespace Str {
// Window and About box.
constexpr const char* WindowTitle = "Velmoric 1394 Driver Statistics Panel";
constexpr const char* AppTitle = "qorstats";
constexpr const char* AboutCaption = "About Statistics Panel";
constexpr const char* AboutVersionFormat = "  Velmoric 1394 Driver Statistics Panel  V%d.%d.%d";
constexpr int PanelVersion[3] = {QOR_VERSION_MAJOR, QOR_VERSION_MINOR, QOR_VERSION_PATCH};
// What --version prints, for every program of the panel: its name, then PanelVersion.
constexpr const char* VersionLineFormat = "%s %d.%d.%d\n";
// The name of the installed desktop entry and icon; Wayland takes it as the application id.
constexpr const char* DesktopId = "com.velmoric.qorstats";
constexpr const char* Copyright = "Copyright (C) 2026 Velmoric. All rights reserved.";

// Status panes.
constexpr const char* StatusOpenedCantRead = "Driver opened - can't read from device.";
constexpr const char* StatusReading = "Reading from device.";
constexpr const char* StatusStopped = "Reading from device is stopped.";
constexpr const char* StatusTrying = "Trying to read from device.";
constexpr const char* StatusElapsedLabel = "Elapsed time: ";
constexpr const char* StatusNotOpened = "Driver not opened.";
constexpr const char* StatusOpened = "Driver opened.";
constexpr const char* ElapsedStart = "00:00.00";
constexpr const char* ElapsedFormat = "Elapsed time %02d:%02d.%02d";

// Placeholder headings of the lists while no driver is there.
constexpr const char* NoIsoIn = "No IN Stream(s) Available";
constexpr const char* NoIsoOut = "No OUT Stream(s) Available";
constexpr const char* NoAsio = "No ASIO Information Available";
constexpr const char* NoChannelsIn = "No IN Channel(s) Available";
constexpr const char* NoChannelsOut = "No OUT Channel(s) Available";
constexpr const char* NoDevices = "No Device(s) Available";

// Description pane.
constexpr const char* DescriptionHint =
    "For a description of each statistics counter, select the corresponding item in the list.";
constexpr const char* AllInChannels = "All available in channel(s)";
constexpr const char* AllOutChannels = "All available out channel(s)";

// Menu and command prompts (status line text, then tooltip). The ampersands mark the Alt keys.
constexpr const char* MenuFile = "&File";
constexpr const char* MenuClose = "&Close Application";
constexpr const char* MenuDebug = "&Debug";
constexpr const char* MenuTraceMask = "Set qor_1394 &Trace Mask";
constexpr const char* MenuClearStatistics = "&Clear Statistics";
constexpr const char* MenuHelp = "&Help";
constexpr const char* MenuAbout = "&About Statistics Panel...";
constexpr const char* PromptStartStop = "Start / Stop - reading from device\nStart / Stop";
constexpr const char* PromptTraceMask = "Set Debug Trace Mask\nTrace settings";
constexpr const char* PromptClearMenu = "Clear stream statistic\nCleat";
constexpr const char* PromptClearToolbar = "Clear stream statistic\nClear statistics";

// Trace mask command.
constexpr const char* NoDeviceText = "There is no device connected.";
constexpr const char* NoDeviceCaption = "ERROR: No device connected.";
constexpr const char* ReleaseBuildText =
    "Currently, there is a release build of the driver running. Tracing is not supported by the release build.";
constexpr const char* ReleaseBuildCaption = "ERROR: Tracing is not supported.";
constexpr const char* TraceDialogTitle = "Set Debug Trace Mask";
constexpr const char* TraceMaskLabelFormat = "Current Trace Mask: 0x%08X";

// Driver information page.
constexpr const char* DebugBuild = "Debug Build";
constexpr const char* ReleaseBuild = "Release Build";
// What the page says above its rows ("Driver Release:\tV3.04.127", one a line).
constexpr const char* InfoHeading = "Velmoric 1394 Audio Driver Statistics\n\n\nDevice Driver Version Info:\n";

// The tree's root nodes.
constexpr const char* NodeGeneral = "General";
constexpr const char* NodeAsio = "ASIO";
constexpr const char* NodeDevices = "Devices";
constexpr const char* NodeIsoIn = "ISO IN Streams";
constexpr const char* NodeIsoOut = "ISO OUT Streams";
constexpr const char* NodeChannelsIn = "IN Cannels";
constexpr const char* NodeChannelsOut = "OUT Cannels";
// The information page's lines as rows of their own (snapshot files, qorpoll).
constexpr const char* InfoRelease = "Driver Release";
constexpr const char* InfoInterface = "Driver Interface";
constexpr const char* InfoBuild = "Driver Build";
constexpr const char* ReleaseFormat = "V%d.%02d.%d";
constexpr const char* InterfaceFormat = "V%d.%02d";

// Statistics lists: headings and the fixed cell texts.
constexpr const char* NotAvailable = "n/a";
constexpr const char* Yes = "yes";
constexpr const char* No = "no";
constexpr const char* PropertyHeading = "Property";
constexpr const char* ValueHeading = "Value";
constexpr const char* DeviceHeadingFormat = "Device %d";
constexpr const char* StreamHeadingFormat = "%s %u";
constexpr const char* StreamWord = "Stream";
constexpr const char* ChannelHeadingFormat = "Channel %d";
constexpr const char* DeviceHeading = "Device";
constexpr const char* ChannelHeading = "Channel";
constexpr const char* TypeHeading = "Type";
constexpr const char* DirectionHeading = "Direction";
constexpr const char* DirectionInput = "Direction input";
constexpr const char* DirectionOutput = "Direction output";
constexpr const char* Input = "Input";
constexpr const char* Output = "Output";
// First line of qorpoll --dump.
constexpr const char* SnapshotReadAt = "Read at ";
constexpr const char* BundleLabelFormat = "%.*s [%s]";
// Two streams, or two bundles, of one direction whose names would be the same.
constexpr const char* SameNameStreamFormat = "%.*s (%s %u)";
constexpr const char* SameNameSameChannelFormat = "%.*s (%s %u, #%u)";
constexpr const char* SameNameBundleFormat = "%.*s [%s] (Bundle %u)";
// Event log: one line per event, the window and the log file.
constexpr const char* EventDriverOpened = "Driver opened.";
constexpr const char* EventDriverNotOpened = "Driver not opened.";
constexpr const char* EventDriverLost = "Driver lost.";
constexpr const char* EventReadFailed = "Reading from the driver failed.";
constexpr const char* EventReadRecovered = "Reading from the driver works again.";
constexpr const char* EventCleared = "Statistics cleared.";
constexpr const char* EventClearFailed = "Clear Statistics failed.";
constexpr const char* EventReadingStarted = "Reading started.";
constexpr const char* EventReadingStopped = "Reading stopped.";
constexpr const char* EventTraceMaskFormat = "Trace mask set to 0x%08X (was 0x%08X).";
constexpr const char* EventDevicePresentFormat = "Device present: %.*s (ID 0x%08X).";
constexpr const char* EventDeviceCameFormat = "Device connected: %.*s (ID 0x%08X).";
constexpr const char* EventDeviceWentFormat = "Device removed: %.*s (ID 0x%08X).";
constexpr const char* EventStreamCountFormat = "ISO %s streams: %u.";
constexpr const char* EventStreamCountChangeFormat = "ISO %s streams: %u (was %u).";
constexpr const char* EventBundleCountFormat = "%s channel bundles: %u.";
constexpr const char* EventBundleCountChangeFormat = "%s channel bundles: %u (was %u).";
constexpr const char* EventSampleRateFormat = "Sample rate: %u samples/s.";
constexpr const char* EventSampleRateChangeFormat = "Sample rate: %u samples/s (was %u).";
constexpr const char* EventErrorFormat = "%s: %s +%llu, now %u.";
constexpr const char* EventWrapFormat = "%s: %s +%llu (wrapped past 4294967295), now %u.";
constexpr const char* EventErrorsNotListedFormat = "%u more error counters went up in this refresh.";
constexpr const char* EventWentBackFormat = "%s: %s went back to %u (was %u).";
constexpr const char* EventSnapshotSavedFormat = "Last snapshot before %s saved to %s";
constexpr const char* SnapshotBeforeLoss = "the driver's loss";
constexpr const char* SnapshotBeforeDeviceGone = "a device's removal";
constexpr const char* SnapshotBeforeClear = "Clear Statistics";
constexpr const char* EventSnapshotFailedFormat = "Last snapshot before %s could not be saved to %s.";
// Where, as the tree and the page's heading name it.
constexpr const char* EventStreamNodeFormat = "%s/%s";
constexpr const char* EventChannelNodeFormat = "%s/%s/Channel %u";

// Event log window and file. %1 and %2 are filled in by Qt.
constexpr const char* MenuEventLog = "&Event Log...";
constexpr const char* PromptEventLog = "Show what happened to the driver and its counters, and when\nEvent log";
constexpr const char* EventLogTitle = "Event Log";
constexpr const char* EventLogErrors = "Errors";
constexpr const char* EventLogDevices = "Devices";
constexpr const char* EventLogDriver = "Driver";
constexpr const char* EventLogShow = "Show:";
constexpr const char* EventLogCopy = "&Copy";
constexpr const char* EventLogClose = "Close";
constexpr const char* EventLogFileName = "events.log";
constexpr const char* EventLogFileFormat = "Log file: %1";
constexpr const char* EventLogFileFailedFormat = "Log file %1 cannot be written (%2); events stay in this window only.";
constexpr const char* EventLogNoFile = "Log file: none, the system names no folder for it; events stay in this window only.";
constexpr const char* RecentIncreaseFormat = "Last increase: %1";
constexpr const char* RecentIncreaseColumnFormat = "Last increase: %1 (%2)";
constexpr const char* In = "IN";
constexpr const char* Out = "OUT";

// Problems window: every error counter that counts.
constexpr const char* MenuProblems = "&Problems...";
constexpr const char* PromptProblems = "Show every error counter that counts, where, and when it last rose\nProblems";
constexpr const char* ProblemsTitle = "Problems";
constexpr const char* ProblemsNone = "No errors counted.";
constexpr const char* ProblemsWhere = "Where";
constexpr const char* ProblemsCounter = "Counter";
constexpr const char* ProblemsValue = "Value";
constexpr const char* ProblemsPerMinute = "Rise per minute";
constexpr const char* ProblemsLastRise = "Last rise";
constexpr const char* ProblemsChannelFormat = "%1, channel %2";
constexpr const char* ProblemsGoneFormat = "%1 (gone since %2)";
constexpr const char* ProblemsMoreFormat = "The %1 newest of %2 are listed.";

// Desktop notifications, while the panel's window is not in front.
constexpr const char* MenuNotifications = "Desktop &Notifications";
constexpr const char* PromptNotifications = "Tell a rise of an error counter or a loss of the driver on the desktop while the panel is not in front\nDesktop notifications";
constexpr const char* MenuResizable = "&Resizable Window";
constexpr const char* PromptResizable = "Let the window be enlarged and maximized; the tree, the page and the description grow with it\nResizable window";
constexpr const char* NotifyErrorTitle = "Error counter rose";
constexpr const char* NotifyDriverTitle = "Driver lost";

// History plots. Titles: counter, node, and the column where the page has one per stream or channel.
constexpr const char* ShowHistory = "Show History";
constexpr const char* HistoryTitleFormat = "%1 - %2";
constexpr const char* HistoryColumnTitleFormat = "%1 - %2, %3";
constexpr const char* HistoryValue = "Value";
constexpr const char* HistoryRate = "Per second";
constexpr const char* HistoryCleared = "Statistics cleared";
constexpr const char* HistoryDriverLost = "Driver lost";
constexpr const char* HistoryDevice = "Device connected or removed";
constexpr const char* HistoryErrorRose = "Error counter rose";
constexpr const char* HistoryMoreFormat = "%1 (and %2 more)";
constexpr const char* HistoryZoomHint = "Wheel zooms, drag moves, double-click: last 10 minutes";
constexpr const char* HistoryLimitFormat = "At most %1 history plots can be open at once. Close one to open another.";
// Snapshot files.
constexpr const char* MenuSaveSnapshot = "Save Snapshot &As...";
constexpr const char* SaveSnapshotCaption = "Save Snapshot As";
constexpr const char* JsonFilter = "JSON files (*.json)";
constexpr const char* CsvFilter = "CSV files (*.csv)";
constexpr const char* SaveFailedCaption = "Snapshot not saved";
constexpr const char* SaveFailedText = "The snapshot could not be saved to %1: %2";

// Recordings of the driver's answers.
constexpr const char* MenuRecord = "&Record to File...";
constexpr const char* MenuStopRecording = "Stop &Recording";
constexpr const char* RecordCaption = "Record to File";
constexpr const char* RecordFilter = "Recordings (*.qorrec)";
constexpr const char* RecordingPaneFormat = "Recording to %1: %2 KB";
constexpr const char* RecordFailedCaption = "Recording";
constexpr const char* RecordNotStartedText = "The recording to %1 could not start: %2";
constexpr const char* RecordStoppedText = "The recording to %1 stopped: %2";
constexpr int RecordKilobyte = 1000;

// The lists' context menu and what the copy puts above the units.
constexpr const char* MenuCopy = "Copy";
constexpr const char* MenuCopyAll = "Copy All";
constexpr const char* UnitHeading = "Unit";
}  // namespace Str
