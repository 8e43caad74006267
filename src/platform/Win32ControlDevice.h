#pragma once

#ifdef _WIN32

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/ControlDevice.h"
#include "platform/UnansweredCodes.h"

// The control device on Windows: the driver's device object, opened for reading and shared
// for reading only, for overlapped I/O. A request the driver does not complete in time is
// cancelled and fails; how long it may wait is UnansweredCodes' business. Error codes are the
// system's own (GetLastError).
class Win32ControlDevice : public ControlDevice {
public:
    // The most bytes one request may ask for; every record of the driver is far smaller.
    static constexpr uint32_t MaxOutputSize = 65536;
    static constexpr int DefaultTimeoutMs = 1000;
    // Requests the driver still holds after their cancellation; while this many are held,
    // every request fails at once.
    static constexpr size_t MaxHeld = 4;

    explicit Win32ControlDevice(std::string path, int timeoutMs = DefaultTimeoutMs);
    Win32ControlDevice(std::string path, const UnansweredCodes::Timing& timing, UnansweredCodes::Clock clock = {});
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
    // One request in flight: its OVERLAPPED, event and answer buffer. The driver writes the
    // answer here first, so a failed request (a partly filled buffer comes back with
    // ERROR_MORE_DATA) never reaches the caller's record; and the system may write here until
    // the request completes, so it is never freed or reused before.
    struct Request;
    // Cancelled requests the driver has not completed yet.
    size_t HeldRequests() const;
    void ReleaseCompleted();
    // Waits for a request whose wait ran out to end after its cancellation; false when the
    // driver still holds it.
    bool Cancel(Request& request);

    std::string path_;
    UnansweredCodes unanswered_;
    void* handle_ = nullptr;  // HANDLE; null while closed
    std::unique_ptr<Request> request_;
    std::array<std::unique_ptr<Request>, MaxHeld> held_;
};

#endif  // _WIN32
