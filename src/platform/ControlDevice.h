#pragma once

#include <cstdint>
#include <memory>
#include <string>

// One connection to the driver's control device. CDev owns exactly one and keeps the
// Windows meaning of its results: 0 is success, anything else a Windows error code.
class ControlDevice {
public:
    virtual ~ControlDevice() = default;

    // Opens a fresh connection; the caller closes any previous one first.
    virtual uint32_t Open() = 0;
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;

    // One synchronous request. On success at most outSize bytes are written to out and
    // bytesReturned tells how many; on failure out is left untouched.
    virtual uint32_t Control(uint32_t code, const void* in, uint32_t inSize, void* out, uint32_t outSize,
                             uint32_t& bytesReturned) = 0;
};

// The control device of the system the panel runs on.
std::unique_ptr<ControlDevice> MakeSystemControlDevice();
// The control device at a path given on a command line: on Linux a socket; on Windows a
// device, or the simulator's pipe where the path is \\.\pipe\NAME.
std::unique_ptr<ControlDevice> MakeControlDevice(const std::string& path);
