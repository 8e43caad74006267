#pragma once

#include <cstdint>

#include "platform/ControlDevice.h"
#include "sim/DriverSimulator.h"

namespace sim {

// The control device in process: requests go straight to the simulator, with the failures a
// real device shows when its driver is unloaded.
class SimControlDevice : public ControlDevice {
public:
    explicit SimControlDevice(DriverSimulator& simulator) : sim_(simulator) {}

    uint32_t Open() override;
    void Close() override;
    bool IsOpen() const override { return open_; }
    uint32_t Control(uint32_t code, const void* in, uint32_t inSize, void* out, uint32_t outSize,
                     uint32_t& bytesReturned) override;

    uint32_t Opens() const { return opens_; }
    uint32_t Closes() const { return closes_; }

private:
    DriverSimulator& sim_;
    bool open_ = false;
    uint32_t generation_ = 0;  // the simulator's load generation when this connection was opened
    uint32_t opens_ = 0;
    uint32_t closes_ = 0;
};

}  // namespace sim
