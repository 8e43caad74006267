#pragma once

#include <QRect>

// The panel's layouts are given in dialog units of an 8 point "MS Shell Dlg" dialog:
// 4 horizontal units are 6 pixels, 8 vertical units are 13 pixels.
namespace DialogUnits {
constexpr int X(int du) { return du * 6 / 4; }
constexpr int Y(int du) { return du * 13 / 8; }
inline QRect Rect(int x, int y, int w, int h) { return QRect(X(x), Y(y), X(w), Y(h)); }
}  // namespace DialogUnits
