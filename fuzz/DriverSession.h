#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "driver/CDev.h"
#include "fuzz/DeviceSlot.h"

class SessionScript;

// The driver side of the panel without a window: one CDev for the life of the process, whose
// snapshot the polling cycle fills through whatever device the session plugs in. The script
// drives the ticks as it does for the panel; a walk stands for the user looking at every page,
// which reads the global records and the devices' names as those pages do. After every tick
// the snapshot's invariants are checked, and after every refresh that no record is told as
// answered that got no answer. Each session starts from what a fresh CDev holds.
class DriverSession {
public:
    static constexpr int MaxTicks = 4;

    DriverSession();

    // With a transcript, what the snapshot holds after every tick is appended to it, so that two
    // sessions over the same answers can be compared.
    void Run(ControlDevice& device, SessionScript& script, std::string* transcript = nullptr);

    const CDev& Dev() const { return dev_; }

private:
    DeviceSlot slot_;
    CDev dev_;
    std::vector<size_t> answered_;
};
