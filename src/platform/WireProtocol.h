#pragma once

#include <cstddef>
#include <cstdint>

// Messages on the Linux control device socket (SOCK_SEQPACKET, so one message per request
// and one per answer). All words are unsigned 32-bit little-endian.
//
// Request: magic, control code, output capacity, input size n, then n input bytes.
// Answer:  magic, status (Windows error code, 0 = success), byte count m, then m bytes.
// A successful answer never carries more bytes than the request's output capacity.
namespace Wire {
constexpr uint32_t Magic = 0x31524F51;  // "QOR1"
constexpr size_t RequestHeaderSize = 16;
constexpr size_t AnswerHeaderSize = 12;
constexpr uint32_t MaxInputSize = 256;
constexpr uint32_t MaxOutputSize = 65536;
constexpr size_t MaxRequestSize = RequestHeaderSize + MaxInputSize;
constexpr size_t MaxAnswerSize = AnswerHeaderSize + MaxOutputSize;
}  // namespace Wire
