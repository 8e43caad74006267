#pragma once

// Resource and command identifiers of the panel, as the driver's tools have always named them.
namespace Res {
// The trace mask's second command, without a menu entry of its own.
constexpr int ID_TRACE_MASK_ALT = 32791;

// Toolbar bitmaps: stopped, and the two frames of the reading animation.
constexpr int IDB_STOPPED = 128;
constexpr int IDB_READING_1 = 179;
constexpr int IDB_READING_2 = 181;

// Timers.
constexpr int RefreshTimerId = 4711;
constexpr int RefreshPeriodMs = 500;
constexpr int ElapsedPeriodMs = 1000;
}  // namespace Res
