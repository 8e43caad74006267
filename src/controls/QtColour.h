#pragma once

#include <QColor>

#include "controls/Colours.h"

inline QColor ToQColor(Colour c) { return QColor(RedOf(c), GreenOf(c), BlueOf(c)); }
