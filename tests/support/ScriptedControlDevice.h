#pragma once

#include <cstdint>
#include <cstring>
#include <functional>
#include <vector>

#include "base/LittleEndian.h"
#include "platform/ControlDevice.h"
#include "platform/WinError.h"

// A control device whose answers a test scripts request by request, and which remembers
// every request it saw.
class ScriptedControlDevice : public ControlDevice {
public:
    struct Request {
        uint32_t code;
        uint32_t input;  // the 4-byte identifier, 0 when none
        bool hasInput;
        uint32_t outSize;
    };
    // Fills `out` (outSize bytes) and returns a Windows error code.
    using Handler = std::function<uint32_t(const Request&, uint8_t* out)>;

    uint32_t openResult = 0;
    // Requests of this code succeed with only half of their answer.
    uint32_t shortCode = 0;
    Handler handler = [](const Request&, uint8_t*) { return 0u; };
    std::vector<Request> requests;
    int opens = 0;
    int closes = 0;

    uint32_t Open() override {
        ++opens;
        open_ = openResult == 0;
        return openResult;
    }
    void Close() override {
        ++closes;
        open_ = false;
    }
    bool IsOpen() const override { return open_; }
    uint32_t Control(uint32_t code, const void* in, uint32_t inSize, void* out, uint32_t outSize,
                     uint32_t& bytesReturned) override {
        Request r{code, inSize >= 4 ? Le::U32(static_cast<const uint8_t*>(in)) : 0, inSize >= 4, outSize};
        requests.push_back(r);
        // Answer into a scratch buffer first: a failed request must leave the caller's untouched.
        std::vector<uint8_t> answer(outSize);
        uint32_t result = handler(r, answer.data());
        bytesReturned = 0;
        if (result == 0 && outSize) {
            bytesReturned = code == shortCode ? outSize / 2 : outSize;
            std::memcpy(out, answer.data(), bytesReturned);
        }
        return result;
    }
    size_t CountOf(uint32_t code) const {
        size_t n = 0;
        for (const Request& r : requests) n += r.code == code;
        return n;
    }

private:
    bool open_ = false;
};
