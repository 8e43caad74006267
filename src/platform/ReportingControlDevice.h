#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/ControlDevice.h"

// The control device of a program run from a terminal: the first time it cannot be opened,
// it says so once on a stream, with the path it tried and, where there is a simulator, how to
// start one. Everything else passes straight through.
class ReportingControlDevice : public ControlDevice {
public:
    ReportingControlDevice(ControlDevice& device, std::string program, std::string path, std::FILE* stream);

    // The path of the system's control device, as the report names it. With touch false the
    // directory it lies in is neither made nor changed (for a help text).
    static std::string SystemPath(bool touch = true);

    uint32_t Open() override;
    void Close() override { device_.Close(); }
    bool IsOpen() const override { return device_.IsOpen(); }
    uint32_t Control(uint32_t code, const void* in, uint32_t inSize, void* out, uint32_t outSize,
                     uint32_t& bytesReturned) override {
        return device_.Control(code, in, inSize, out, outSize, bytesReturned);
    }

    // The result of the latest Open: 0 once the device opened, a Windows error code otherwise.
    uint32_t LastOpenResult() const { return lastOpen_; }

private:
    ControlDevice& device_;
    std::string program_;
    std::string path_;
    std::FILE* stream_;
    uint32_t lastOpen_ = 0;
    bool reported_ = false;
};
