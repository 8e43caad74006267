#pragma once

#include "driver/CDev.h"

// The driver requests of one refresh tick alone, in the tick's order, without any page.
inline void RefreshReads(CDev& dev) {
    dev.Open();
    dev.ReadDriverVersion();
    dev.ReadAsioStatistics();
    dev.ReadAsioInfo();
    dev.ReadDevices();
    dev.ReadIsoStreamStatistics();
    dev.ReadChannelBundles();
    dev.Close();
}
