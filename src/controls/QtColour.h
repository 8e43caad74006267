#pragma once

#include <QColor>

#include "base/Colours.h"

inline QColor ToQColor(Colour c) { return QColor(RedOf(c), GreenOf(c), BlueOf(c)); }
