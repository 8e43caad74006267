#pragma once

#include "driver/CDev.h"
#include "rows/PageText.h"

// What the pages, files and metrics of a CDev are written from, as the panel hands them over.
inline PageTextSources PageTextSourcesOf(const CDev& dev) {
    return PageTextSources{PageSources{dev.Snapshot(), dev.Validity(), dev.Published().ExtendedStatistics != 0},
                           dev.Published()};
}
