#include "sim/SimControlDevice.h"

#include "platform/WinError.h"

namespace sim {

uint32_t SimControlDevice::Open() {
    Close();
    if (!sim_.Loaded()) return WinError::FileNotFound;
    generation_ = sim_.LoadGeneration();
    open_ = true;
    ++opens_;
    return WinError::Success;
}

void SimControlDevice::Close() {
    if (!open_) return;
    open_ = false;
    ++closes_;
}

uint32_t SimControlDevice::Control(uint32_t code, const void* in, uint32_t inSize, void* out, uint32_t outSize,
                                   uint32_t& bytesReturned) {
    bytesReturned = 0;
    if (!open_) return WinError::InvalidHandle;
    // A handle from before an unload stays dead, even once the driver is back.
    if (!sim_.Loaded() || sim_.LoadGeneration() != generation_) return WinError::DeviceNotConnected;
    return sim_.Handle(code, static_cast<const uint8_t*>(in), inSize, static_cast<uint8_t*>(out), outSize,
                       bytesReturned);
}

}  // namespace sim
