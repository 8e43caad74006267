#pragma once

#include <string>
#include <sys/types.h>

#include "platform/ControlDevice.h"
#include "platform/UnansweredCodes.h"

// The control device on Linux: a Unix-domain SOCK_SEQPACKET socket served by the driver
// stand-in, one request message and one answer message per control call (see WireProtocol.h).
// A driver that does not answer in time fails the request; the connection is then dropped, so
// that a late answer can never be taken for the next request's, and the next request goes out
// on a fresh one. How long a request waits is UnansweredCodes' business.
class SocketControlDevice : public ControlDevice {
public:
    static constexpr int DefaultTimeoutMs = 1000;

    explicit SocketControlDevice(std::string path, int timeoutMs = DefaultTimeoutMs);
    SocketControlDevice(std::string path, const UnansweredCodes::Timing& timing, UnansweredCodes::Clock clock = {});
    ~SocketControlDevice() override;

    uint32_t Open() override;
    void Close() override;
    bool IsOpen() const override { return open_; }
    uint32_t Control(uint32_t code, const void* in, uint32_t inSize, void* out, uint32_t outSize,
                     uint32_t& bytesReturned) override;

    const std::string& Path() const { return path_; }

private:
    uint32_t Connect();
    void DropConnection();
    // -1 on failure (errno tells), 0 when nothing came in time, else the answer's length.
    ssize_t Receive(int waitMs);

    std::string path_;
    UnansweredCodes unanswered_;
    int fd_ = -1;
    bool open_ = false;  // the handle stays "open" after a dropped connection, as on Windows
    bool reconnect_ = false;  // the connection was dropped after a timeout, not for a fault
};
