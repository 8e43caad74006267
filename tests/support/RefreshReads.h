#pragma once

#include "driver/CDev.h"

// The driver requests of one refresh tick, in the tick's order, on an open device and without any page.
inline void ReadRefreshRecords(CDev& dev) {
    dev.ReadDriverVersion();
    dev.ReadAsioStatistics();
    dev.ReadAsioInfo();
    dev.ReadDevices();
    dev.ReadIsoStreamStatistics();
    dev.ReadChannelBundles();
}

// One refresh tick alone: open, the tick's requests, close.
inline void RefreshReads(CDev& dev) {
    dev.Open();
    ReadRefreshRecords(dev);
    dev.Close();
}
