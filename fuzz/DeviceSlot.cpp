#include "fuzz/DeviceSlot.h"

#include <algorithm>
#include <cstring>

#include "platform/WinError.h"

void DeviceSlot::Plug(ControlDevice* device) {
    Close();
    device_ = device;
}

void DeviceSlot::Watch(const void* begin, size_t size) {
    watched_ = static_cast<uint8_t*>(const_cast<void*>(begin));
    watchedSize_ = size;
    written_.clear();
}

void DeviceSlot::ZeroWritten() {
    for (const auto& [offset, size] : written_) std::memset(watched_ + offset, 0, size);
    written_.clear();
}

uint32_t DeviceSlot::Open() {
    if (!device_) return WinError::FileNotFound;
    return device_->Open();
}

void DeviceSlot::Close() {
    if (device_) device_->Close();
}

uint32_t DeviceSlot::Control(uint32_t code, const void* in, uint32_t inSize, void* out, uint32_t outSize,
                             uint32_t& bytesReturned) {
    bytesReturned = 0;
    if (!device_) return WinError::InvalidHandle;
    // Whatever the answer, the whole buffer counts as touched: a device that broke its promise
    // and wrote on failure must not leak its bytes into the next input.
    const auto* p = static_cast<uint8_t*>(out);
    const bool watched = p && outSize && watched_ && p >= watched_ && p < watched_ + watchedSize_;
    const size_t offset = watched ? size_t(p - watched_) : 0;
    if (watched) written_.emplace_back(offset, std::min<size_t>(outSize, watchedSize_ - offset));
    const uint32_t result = device_->Control(code, in, inSize, out, outSize, bytesReturned);
    if (watched && result == WinError::Success && bytesReturned == outSize) answered_.push_back(offset);
    return result;
}
