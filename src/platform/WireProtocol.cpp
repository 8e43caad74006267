#include "platform/WireProtocol.h"

#include <cstring>

#include "base/LittleEndian.h"
#include "platform/WinError.h"

namespace Wire {

size_t PutRequest(uint8_t* message, uint32_t code, const void* in, uint32_t inSize, uint32_t outSize) {
    Le::PutU32(message, Magic);
    Le::PutU32(message + 4, code);
    Le::PutU32(message + 8, outSize);
    Le::PutU32(message + 12, inSize);
    if (inSize) std::memcpy(message + RequestHeaderSize, in, inSize);
    return RequestHeaderSize + inSize;
}

Answer ReadAnswer(const uint8_t* message, size_t length, void* out, uint32_t outSize) {
    Answer a;
    if (length < AnswerHeaderSize || length > MaxAnswerSize || Le::U32(message) != Magic) return a;
    const uint32_t count = Le::U32(message + 8);
    if (count != length - AnswerHeaderSize) return a;
    a.wellFormed = true;
    a.status = Le::U32(message + 4);
    if (a.status != WinError::Success) return a;
    if (count > outSize) {
        a.status = WinError::InsufficientBuffer;
        return a;
    }
    if (count) std::memcpy(out, message + AnswerHeaderSize, count);
    a.count = count;
    return a;
}

Request ParseRequest(const uint8_t* message, size_t length) {
    Request r;
    // Without a header there is no telling what the peer speaks.
    if (length < RequestHeaderSize || Le::U32(message) != Magic) return r;
    r.code = Le::U32(message + 4);
    r.capacity = Le::U32(message + 8);
    r.inSize = Le::U32(message + 12);
    if (length > MaxRequestSize || r.inSize > MaxInputSize || length != RequestHeaderSize + r.inSize ||
        r.capacity > MaxOutputSize) {
        r.shape = Request::Shape::Malformed;
        return r;
    }
    r.shape = Request::Shape::Valid;
    r.in = r.inSize ? message + RequestHeaderSize : nullptr;
    return r;
}

size_t PutAnswerHeader(uint8_t* message, uint32_t status, uint32_t count) {
    Le::PutU32(message, Magic);
    Le::PutU32(message + 4, status);
    Le::PutU32(message + 8, count);
    return AnswerHeaderSize + count;
}

}  // namespace Wire
