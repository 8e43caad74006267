#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

// Explicit little-endian field access, so record layouts never depend on the host.
namespace Le {
inline uint8_t U8(const uint8_t* p) { return p[0]; }
inline uint32_t U32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
inline int32_t I32(const uint8_t* p) { return static_cast<int32_t>(U32(p)); }
inline void PutU32(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
    p[2] = uint8_t(v >> 16);
    p[3] = uint8_t(v >> 24);
}
// A text field: its bytes up to the first NUL, never past the field.
inline std::string_view Text(const uint8_t* p, size_t fieldSize) {
    const void* nul = std::memchr(p, 0, fieldSize);
    size_t n = nul ? static_cast<size_t>(static_cast<const uint8_t*>(nul) - p) : fieldSize;
    return {reinterpret_cast<const char*>(p), n};
}
inline void PutText(uint8_t* p, size_t fieldSize, std::string_view s) {
    std::memset(p, 0, fieldSize);
    std::memcpy(p, s.data(), s.size() < fieldSize ? s.size() : fieldSize);
}
}  // namespace Le
