#pragma once

#include "base/RestoreWindow.h"
#include "driver/CDev.h"
#include "pages/IStatisticsTree.h"

// Everything a page reads or touches besides its own list.
struct PageContext {
    CDev& dev;
    RestoreWindow& restore;
    IStatisticsTree& tree;
};
