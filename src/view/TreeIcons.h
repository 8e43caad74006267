#pragma once

#include <QIcon>

// The tree's five icons, drawn rather than loaded so they stay crisp at any scale:
// index 0 ASIO, 1 devices, 2 general, 3 channels, 4 streams.
namespace TreeIcons {
constexpr int Count = 5;
QIcon Icon(int index);
}  // namespace TreeIcons
