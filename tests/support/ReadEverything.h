#pragma once

#include "support/RefreshReads.h"

// Every record a refresh reads, the sample rate's records of the devices page too, on an open device.
inline void ReadEverything(CDev& dev) {
    dev.ClearReadFailed();
    ReadRefreshRecords(dev);
    dev.ReadGlobalInfo();
}
