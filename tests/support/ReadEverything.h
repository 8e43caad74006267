#pragma once

#include "driver/CDev.h"

// Every record a refresh reads, the sample rate's records of the devices page too, on an open device.
inline void ReadEverything(CDev& dev) {
    dev.ClearReadFailed();
    dev.ReadDriverVersion();
    dev.ReadAsioStatistics();
    dev.ReadAsioInfo();
    dev.ReadDevices();
    dev.ReadIsoStreamStatistics();
    dev.ReadChannelBundles();
    dev.ReadGlobalInfo();
}
