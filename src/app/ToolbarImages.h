#pragma once

#include <QIcon>

// The toolbar's button images, drawn at every device scale. The Start/Stop button has three:
// the stopped image (bitmap 128) and two frames of the reading animation (179, 181).
namespace ToolbarImages {
QIcon StartStop(int bitmapId);
QIcon TraceMask();
QIcon ClearStatistics();
QIcon EventLog();
}  // namespace ToolbarImages
