#include "fuzz/FuzzInput.h"

#include <cstring>

uint8_t FuzzInput::U8() {
    if (pos_ >= size_) return 0;
    return data_[pos_++];
}

uint16_t FuzzInput::U16() {
    uint16_t lo = U8();
    return static_cast<uint16_t>(lo | U8() << 8);
}

uint32_t FuzzInput::U32() {
    uint32_t lo = U16();
    return lo | uint32_t(U16()) << 16;
}

void FuzzInput::Bytes(uint8_t* dst, size_t n) {
    size_t have = Remaining() < n ? Remaining() : n;
    if (have) std::memcpy(dst, data_ + pos_, have);
    if (n > have) std::memset(dst + have, 0, n - have);
    pos_ += have;
}
