#pragma once

#include "driver/CDev.h"
#include "sim/DriverSimulator.h"
#include "sim/SimControlDevice.h"

// The simulator in process behind a CDev: the driver as the polling cycle, the recorder and the
// exporters see it.
struct SimulatedDriver {
    explicit SimulatedDriver(const sim::SimOptions& options = {}) : sim(options) {}

    sim::DriverSimulator sim;
    sim::SimControlDevice device{sim};
    CDev dev{device};
};
