#pragma once

#include <QIcon>

// Indexes of the tree's five icons.
namespace TreeImage {
constexpr int Asio = 0, Devices = 1, General = 2, Channels = 3, Streams = 4;
}

// The tree's icons, drawn rather than loaded so they stay crisp at any scale.
namespace TreeIcons {
constexpr int Count = 5;
QIcon Icon(int index);
}  // namespace TreeIcons
