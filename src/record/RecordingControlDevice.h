#pragma once

#include <cstdint>
#include <functional>

#include "platform/ControlDevice.h"
#include "record/RecordWorker.h"

// Passes everything on to the device it wraps and writes each opening, request and answer to
// a recording: one session from an Open to its Close. Once the writer has stopped, it only
// passes things on.
class RecordingControlDevice : public ControlDevice {
public:
    using Clock = std::function<int64_t()>;  // milliseconds since the recording began

    RecordingControlDevice(ControlDevice& device, RecordWorker& writer, Clock clock);
    ~RecordingControlDevice() override;

    uint32_t Open() override;
    void Close() override;
    bool IsOpen() const override { return device_.IsOpen(); }
    uint32_t Control(uint32_t code, const void* in, uint32_t inSize, void* out, uint32_t outSize,
                     uint32_t& bytesReturned) override;

private:
    ControlDevice& device_;
    RecordWorker& writer_;
    Clock clock_;
};
