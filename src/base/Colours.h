#pragma once

#include <cstdint>

// Windows colour values, laid out 0x00BBGGRR. Every colour the panel shows is named here.
using Colour = uint32_t;

constexpr Colour Rgb(uint8_t r, uint8_t g, uint8_t b) { return Colour(r) | Colour(g) << 8 | Colour(b) << 16; }
constexpr uint8_t RedOf(Colour c) { return uint8_t(c); }
constexpr uint8_t GreenOf(Colour c) { return uint8_t(c >> 8); }
constexpr uint8_t BlueOf(Colour c) { return uint8_t(c >> 16); }

namespace Colours {
constexpr Colour Black = Rgb(0, 0, 0);
constexpr Colour White = Rgb(255, 255, 255);
// Error counters that have counted, in the statistics lists.
constexpr Colour Highlight = 0x003200FA;
// The cell of an error counter that went up within the last seconds, behind the red text.
constexpr Colour RecentIncrease = Rgb(255, 222, 222);
// The tree's quiet mark: a node whose error counters count but have not risen lately.
constexpr Colour TreeMarkStanding = Rgb(235, 150, 150);
// The problems window's rows of a device or stream that has gone.
constexpr Colour ProblemGone = Rgb(150, 150, 150);
// Status bar states.
constexpr Colour StatusRed = Rgb(255, 0, 0);
constexpr Colour StatusBlue = Rgb(0, 0, 255);
constexpr Colour StatusGreen = Rgb(0, 100, 0);
// History plots: the counter's value, its rate per second, and where the statistics were cleared.
constexpr Colour HistoryValue = Rgb(0, 90, 200);
constexpr Colour HistoryRate = Rgb(0, 140, 60);
constexpr Colour HistoryCleared = Rgb(230, 120, 0);
// Their other marks, the grid and the hover readout. A rise of an error counter is marked in
// the lists' red (Highlight).
constexpr Colour HistoryDriverLost = Rgb(90, 90, 90);
constexpr Colour HistoryDevice = Rgb(140, 60, 180);
constexpr Colour HistoryGrid = Rgb(228, 228, 228);
constexpr Colour HistoryFrame = Rgb(160, 160, 160);
constexpr Colour HistoryReadout = Rgb(255, 255, 230);
}  // namespace Colours

static_assert(Colours::Highlight == Rgb(250, 0, 50));
static_assert(Colours::StatusRed == 0x000000FF && Colours::StatusBlue == 0x00FF0000);
