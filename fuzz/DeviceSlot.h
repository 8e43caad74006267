#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "platform/ControlDevice.h"

// The control device of a CDev that serves many fuzz inputs in turn: each input plugs its own
// device in for its session and takes it out again; with nothing plugged in the driver is gone.
// It notes where answers may have landed inside one watched region (the snapshot), so that the
// next input starts from the zeros a fresh CDev holds without clearing megabytes each time, and
// which buffers there received a whole answer.
class DeviceSlot : public ControlDevice {
public:
    // Closes the old device; null unplugs.
    void Plug(ControlDevice* device);
    void Watch(const void* begin, size_t size);
    // Zeros every watched buffer handed to a request since the last call.
    void ZeroWritten();
    // Offsets into the watched region of the buffers that got an answer filling them, in the
    // order of the requests since ForgetAnswered.
    const std::vector<size_t>& Answered() const { return answered_; }
    void ForgetAnswered() { answered_.clear(); }

    uint32_t Open() override;
    void Close() override;
    bool IsOpen() const override { return device_ && device_->IsOpen(); }
    uint32_t Control(uint32_t code, const void* in, uint32_t inSize, void* out, uint32_t outSize,
                     uint32_t& bytesReturned) override;

private:
    ControlDevice* device_ = nullptr;
    uint8_t* watched_ = nullptr;
    size_t watchedSize_ = 0;
    std::vector<std::pair<size_t, size_t>> written_;  // offset into the watched region, size
    std::vector<size_t> answered_;
};
