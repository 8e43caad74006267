#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/WireProtocol.h"
#include "sim/ServedDriver.h"

namespace sim {

// What a server sends back for one checked request: the answer message in `answer` (room for
// Wire::MaxAnswerSize) and its length. False when nothing is to be sent, as for a request the
// simulator leaves unanswered; a foreign peer is the server's to hang up on.
bool AnswerWireRequest(ServedDriver& simulator, const Wire::Request& request, uint8_t* answer, size_t& length);

}  // namespace sim
