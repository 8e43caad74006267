#pragma once

#include <cstdint>

namespace sim {

// What the socket server serves: a driver that answers requests and comes and goes. Every
// member is called from the server's thread as well as from the one that drives it.
class ServedDriver {
public:
    virtual ~ServedDriver() = default;

    // Returns 0 and the answer's byte count, or a Windows error code. `answered` false: the
    // request must get no answer at all.
    virtual uint32_t Handle(uint32_t code, const uint8_t* in, uint32_t inSize, uint8_t* out, uint32_t outSize,
                            uint32_t& bytesReturned, bool& answered) = 0;
    // Unloading makes the control device disappear; every unload starts a new generation, so
    // that connections opened before it can tell.
    virtual void SetLoaded(bool loaded) = 0;
    virtual bool Loaded() const = 0;
    virtual uint32_t LoadGeneration() const = 0;
};

}  // namespace sim
