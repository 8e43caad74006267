#pragma once

#include <cstddef>
#include <cstdint>

// Messages between the panel and the driver stand-in: on Linux over a Unix-domain
// SOCK_SEQPACKET socket, on Windows over a named pipe in message mode; either way one message
// per request and one per answer. All words are unsigned 32-bit little-endian.
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

// Writes a request into message (room for MaxRequestSize) and returns its length; inSize is
// at most MaxInputSize.
size_t PutRequest(uint8_t* message, uint32_t code, const void* in, uint32_t inSize, uint32_t outSize);

// What a client makes of an answer message of `length` bytes to a request for outSize bytes.
struct Answer {
    bool wellFormed = false;  // false: the connection speaks something else and is dropped
    uint32_t status = 0;      // a Windows error code
    uint32_t count = 0;       // bytes copied to out, on success only
};
Answer ReadAnswer(const uint8_t* message, size_t length, void* out, uint32_t outSize);

// A server's view of a request message.
struct Request {
    enum class Shape { Foreign, Malformed, Valid } shape = Shape::Foreign;
    uint32_t code = 0;
    uint32_t capacity = 0;
    uint32_t inSize = 0;
    const uint8_t* in = nullptr;  // inside the message; null when inSize is 0
};
Request ParseRequest(const uint8_t* message, size_t length);
// Writes an answer header in front of the count bytes already at message + AnswerHeaderSize.
size_t PutAnswerHeader(uint8_t* message, uint32_t status, uint32_t count);
}  // namespace Wire
