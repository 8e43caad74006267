#include "sim/WireAnswer.h"

#include "platform/WinError.h"

namespace sim {

bool AnswerWireRequest(ServedDriver& simulator, const Wire::Request& request, uint8_t* answer, size_t& length) {
    if (request.shape != Wire::Request::Shape::Valid) {
        length = Wire::PutAnswerHeader(answer, WinError::InvalidParameter, 0);
        return true;
    }
    uint32_t returned = 0;
    bool answered = true;
    const uint32_t status = simulator.Handle(request.code, request.in, request.inSize,
                                             answer + Wire::AnswerHeaderSize, request.capacity, returned, answered);
    if (!answered) return false;
    if (status != WinError::Success || returned > request.capacity) returned = 0;
    length = Wire::PutAnswerHeader(answer, status, returned);
    return true;
}

}  // namespace sim
