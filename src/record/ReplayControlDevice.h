#pragma once

#include <cstdint>

#include "platform/ControlDevice.h"
#include "record/RecordReader.h"

// The driver as a recording saw it, in process and one step at a time: every Open moves on to
// the next recorded session, opens as it opened then, and answers each request as the driver
// last answered it. After the last session the driver is gone (error 2, file not found).
class ReplayControlDevice : public ControlDevice {
public:
    explicit ReplayControlDevice(RecordReader& reader) : reader_(reader) {}

    uint32_t Open() override;
    void Close() override { open_ = false; }
    bool IsOpen() const override { return open_; }
    uint32_t Control(uint32_t code, const void* in, uint32_t inSize, void* out, uint32_t outSize,
                     uint32_t& bytesReturned) override;

    // Answers a request from a table of recorded answers, as a driver would: an unknown
    // request fails as an unknown code, an answer larger than the caller takes as too small a buffer.
    static uint32_t Answer(const AnswerTable& answers, uint32_t code, const void* in, uint32_t inSize, void* out,
                           uint32_t outSize, uint32_t& bytesReturned);

private:
    RecordReader& reader_;
    bool open_ = false;
};
