#pragma once

#include <string>

#include "platform/ControlDevice.h"

// The control device on Linux: a Unix-domain SOCK_SEQPACKET socket served by the driver
// stand-in, one request message and one answer message per control call (see WireProtocol.h).
// A driver that does not answer within the receive timeout fails the request; the connection
// is then dropped so that a late answer can never be taken for the next request's.
class SocketControlDevice : public ControlDevice {
public:
    static constexpr int DefaultTimeoutMs = 1000;

    explicit SocketControlDevice(std::string path, int timeoutMs = DefaultTimeoutMs);
    ~SocketControlDevice() override;

    uint32_t Open() override;
    void Close() override;
    bool IsOpen() const override { return open_; }
    uint32_t Control(uint32_t code, const void* in, uint32_t inSize, void* out, uint32_t outSize,
                     uint32_t& bytesReturned) override;

    const std::string& Path() const { return path_; }

private:
    void DropConnection();

    std::string path_;
    int timeoutMs_;
    int fd_ = -1;
    bool open_ = false;  // the handle stays "open" after a dropped connection, as on Windows
};
