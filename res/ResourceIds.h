#pragma once

// Resource and command identifiers of the panel, as the driver's tools have always named them.
namespace Res {
// Commands.
constexpr int ID_START_STOP = 128;
constexpr int ID_TRACE_MASK = 32788;
constexpr int ID_TRACE_MASK_ALT = 32791;
constexpr int ID_CLEAR_STATISTICS = 32800;
constexpr int ID_CLEAR_STATISTICS_TOOLBAR = 32802;
constexpr int ID_APP_EXIT = 57602;
constexpr int ID_APP_ABOUT = 57664;

// Toolbar bitmaps: stopped, and the two frames of the reading animation.
constexpr int IDB_STOPPED = 128;
constexpr int IDB_READING_1 = 179;
constexpr int IDB_READING_2 = 181;

// Status bar indicators.
constexpr int ID_INDICATOR_1 = 107;
constexpr int ID_INDICATOR_2 = 108;
constexpr int ID_INDICATOR_3 = 110;

// Dialog templates.
constexpr int IDD_ABOUTBOX = 100;
constexpr int IDD_FORMVIEW = 101;
constexpr int IDD_PAGE_ASIO = 129;
constexpr int IDD_PAGE_DEVICES = 130;
constexpr int IDD_PAGE_ISO_IN = 131;
constexpr int IDD_PAGE_CHANNELS_OUT = 133;
constexpr int IDD_PAGE_ISO_OUT = 134;
constexpr int IDD_PAGE_CHANNELS_IN = 135;
constexpr int IDD_PAGE_SINGLE_STREAM = 136;
constexpr int IDD_PAGE_INFO = 157;
constexpr int IDD_TRACE_MASK = 169;
constexpr int IDD_PAGE_SINGLE_CHANNEL = 171;

// Controls.
constexpr int IDC_TREE = 1000;
constexpr int IDC_LIST = 1003;
constexpr int IDC_DESCRIPTION = 1007;
constexpr int IDC_INFO_TEXT = 1007;
constexpr int IDC_ABOUT_VERSION = 1008;
constexpr int IDC_SET_DEFAULT = 1009;
constexpr int IDC_MASK_LABEL = 1010;
constexpr int IDC_ABOUT_COPYRIGHT = 1017;

// Timers.
constexpr int RefreshTimerId = 4711;
constexpr int RefreshPeriodMs = 500;
constexpr int ElapsedTimerId = 4812;
constexpr int ElapsedPeriodMs = 1000;
}  // namespace Res
