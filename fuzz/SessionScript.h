#pragma once

#include <cstdint>
#include <optional>

// What a panel session does besides answering requests: the node remembered from an earlier
// run, and one action byte per tick (see AnswerEncoding.h) until the session is over.
class SessionScript {
public:
    virtual ~SessionScript() = default;
    virtual std::optional<uint32_t> StoredNode() = 0;
    virtual std::optional<uint8_t> NextAction() = 0;
};
