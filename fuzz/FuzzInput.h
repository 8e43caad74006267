#pragma once

#include <cstddef>
#include <cstdint>

// A read cursor over one fuzz input. Reads past the end give zeros and mark the input as
// exhausted, so every decision stays defined however short the input is.
class FuzzInput {
public:
    FuzzInput(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    bool Exhausted() const { return pos_ >= size_; }
    size_t Remaining() const { return pos_ < size_ ? size_ - pos_ : 0; }

    uint8_t U8();
    uint16_t U16();
    uint32_t U32();
    // Copies n bytes into dst (which has room for them), zeros for whatever the input lacks.
    void Bytes(uint8_t* dst, size_t n);

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};
