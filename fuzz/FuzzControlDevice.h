#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include "fuzz/FuzzInput.h"
#include "platform/ControlDevice.h"

// A control device whose driver is the fuzz input: every open and every answer (status, byte
// count and bytes) is read from it, in the order the panel asks. It keeps the promises of the
// real transport whatever the input says: a failed request leaves the caller's buffer alone,
// an answer longer than the caller's capacity is refused, and after a timeout the connection
// stays dead until the device is opened again.
class FuzzControlDevice : public ControlDevice {
public:
    explicit FuzzControlDevice(FuzzInput& input) : input_(input) {}

    uint32_t Open() override;
    void Close() override;
    bool IsOpen() const override { return open_; }
    uint32_t Control(uint32_t code, const void* in, uint32_t inSize, void* out, uint32_t outSize,
                     uint32_t& bytesReturned) override;

    // The key under which an answer is remembered for the "previous answer" payload.
    static uint64_t AnswerKey(uint32_t code, const void* in, uint32_t inSize);
    // What "previous answer" means: the last answer to the same code and input, else the last
    // answer to the same code (the next bundle's record looks much like the last one's), else none.
    static const std::vector<uint8_t>* Base(const std::map<uint64_t, std::vector<uint8_t>>& byKey,
                                            const std::map<uint32_t, std::vector<uint8_t>>& byCode, uint32_t code,
                                            uint64_t key);

private:
    const std::vector<uint8_t>* Base(uint32_t code, uint64_t key) const { return Base(previous_, lastOfCode_, code, key); }
    void ReadPayload(uint32_t count, const std::vector<uint8_t>* base);

    FuzzInput& input_;
    bool open_ = false;
    bool dropped_ = false;
    std::vector<uint8_t> answer_;
    std::map<uint64_t, std::vector<uint8_t>> previous_;
    std::map<uint32_t, std::vector<uint8_t>> lastOfCode_;
};
