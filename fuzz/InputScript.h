#pragma once

#include "fuzz/FuzzInput.h"
#include "fuzz/SessionScript.h"

// The session's actions as the fuzz input spells them; the session ends with the input.
class InputScript : public SessionScript {
public:
    explicit InputScript(FuzzInput& input) : input_(input) {}
    std::optional<uint32_t> StoredNode() override;
    std::optional<uint8_t> NextAction() override;

private:
    FuzzInput& input_;
};
