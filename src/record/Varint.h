#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Unsigned LEB128: small numbers (most gaps, ids and counts) take one byte.
namespace Varint {
constexpr size_t MaxBytes = 10;

inline void Put(std::vector<uint8_t>& out, uint64_t v) {
    while (v >= 0x80) {
        out.push_back(static_cast<uint8_t>(v | 0x80));
        v >>= 7;
    }
    out.push_back(static_cast<uint8_t>(v));
}

// Reads one number from [p, end); false when it runs past end or past 64 bits.
inline bool Get(const uint8_t*& p, const uint8_t* end, uint64_t& v) {
    v = 0;
    for (size_t i = 0; i < MaxBytes && p < end; ++i) {
        const uint8_t b = *p++;
        if (i == MaxBytes - 1 && b > 1) return false;
        v |= uint64_t(b & 0x7F) << (7 * i);
        if ((b & 0x80) == 0) return true;
    }
    return false;
}
}  // namespace Varint
