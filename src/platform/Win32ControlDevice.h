#pragma once

#ifdef _WIN32

#include <cstdint>
#include <memory>
#include <string>

#include "platform/ControlDevice.h"

// The control device on Windows: the driver's device object, opened for reading and shared
// for reading only, with one synchronous DeviceIoControl per request. Error codes are the
// system's own (GetLastError).
class Win32ControlDevice : public ControlDevice {
public:
    // The most bytes one request may ask for; every record of the driver is far smaller.
    static constexpr uint32_t MaxOutputSize = 65536;

    explicit Win32ControlDevice(std::string path);
    ~Win32ControlDevice() override;
    Win32ControlDevice(const Win32ControlDevice&) = delete;
    Win32ControlDevice& operator=(const Win32ControlDevice&) = delete;

    uint32_t Open() override;
    void Close() override;
    bool IsOpen() const override { return handle_ != nullptr; }
    uint32_t Control(uint32_t code, const void* in, uint32_t inSize, void* out, uint32_t outSize,
                     uint32_t& bytesReturned) override;

    const std::string& Path() const { return path_; }

private:
    std::string path_;
    void* handle_ = nullptr;  // HANDLE; null while closed
    // The driver writes here first, so a failed request (a partly filled buffer comes back
    // with ERROR_MORE_DATA) never reaches the caller's record.
    std::unique_ptr<uint8_t[]> answer_;
};

#endif  // _WIN32
