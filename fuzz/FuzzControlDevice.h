#pragma once

#include <cstdint>
#include <vector>

#include "fuzz/AnswerHistory.h"
#include "fuzz/FuzzInput.h"
#include "platform/ControlDevice.h"

// A control device whose driver is the fuzz input: every open and every answer (status, byte
// count and bytes) is read from it, in the order the panel asks. It keeps the promises of the
// real transport whatever the input says: a failed request leaves the caller's buffer alone,
// an answer longer than the caller's capacity is refused, and after a timeout the connection
// stays dead until the device is opened again. One device may serve many inputs in turn.
class FuzzControlDevice : public ControlDevice {
public:
    FuzzControlDevice() = default;
    explicit FuzzControlDevice(FuzzInput& input) { Begin(input); }

    // A new driver, closed, that remembers no earlier answer.
    void Begin(FuzzInput& input);

    uint32_t Open() override;
    void Close() override;
    bool IsOpen() const override { return open_; }
    uint32_t Control(uint32_t code, const void* in, uint32_t inSize, void* out, uint32_t outSize,
                     uint32_t& bytesReturned) override;

private:
    void ReadPayload(uint32_t count, const std::vector<uint8_t>* base);

    FuzzInput* input_ = nullptr;
    bool open_ = false;
    bool dropped_ = false;
    std::vector<uint8_t> answer_;
    AnswerHistory history_;
};
