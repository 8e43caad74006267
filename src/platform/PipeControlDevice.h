#pragma once

#ifdef _WIN32

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/ControlDevice.h"
#include "platform/UnansweredCodes.h"

// The control device as the simulator serves it on Windows: a local named pipe in message
// mode, one request message and one answer message per control call (see WireProtocol.h).
// The same rules as the Linux socket: a request not answered in time fails, its connection is
// dropped so that a late answer is never taken for the next request's, and the next request
// goes out on a fresh one.
class PipeControlDevice : public ControlDevice {
public:
    static constexpr int DefaultTimeoutMs = 1000;
    // Transfers the system still held after their cancellation; while this many are held,
    // every request fails at once.
    static constexpr size_t MaxHeld = 4;

    explicit PipeControlDevice(std::string path, int timeoutMs = DefaultTimeoutMs);
    PipeControlDevice(std::string path, const UnansweredCodes::Timing& timing, UnansweredCodes::Clock clock = {});
    ~PipeControlDevice() override;
    PipeControlDevice(const PipeControlDevice&) = delete;
    PipeControlDevice& operator=(const PipeControlDevice&) = delete;

    uint32_t Open() override;
    void Close() override;
    bool IsOpen() const override { return open_; }
    uint32_t Control(uint32_t code, const void* in, uint32_t inSize, void* out, uint32_t outSize,
                     uint32_t& bytesReturned) override;

    const std::string& Path() const { return path_; }

private:
    // One connection's buffers and OVERLAPPED: the system may write into them until the I/O
    // ends, so after a cancellation they live on until it has.
    struct Transfer;
    uint32_t Connect();
    void DropConnection();
    // Runs one overlapped read or write; 0 when it ended in time, SemTimeout when not (the
    // connection is then dropped), else the system's error.
    uint32_t Await(bool ok, int waitMs, unsigned long& bytes);

    std::string path_;
    UnansweredCodes unanswered_;
    std::unique_ptr<Transfer> transfer_;
    std::array<std::unique_ptr<Transfer>, MaxHeld> held_;
    bool open_ = false;       // stays "open" after a dropped connection, as the device does
    bool reconnect_ = false;  // the connection was dropped after a timeout, not for a fault
};

#endif  // _WIN32
