#include "fuzz/InputScript.h"

#include "fuzz/AnswerEncoding.h"

std::optional<uint32_t> InputScript::StoredNode() {
    if (!(input_.U8() & AnswerEncoding::HasStoredNode)) return std::nullopt;
    return input_.U32();
}

std::optional<uint8_t> InputScript::NextAction() {
    if (input_.Exhausted()) return std::nullopt;
    return input_.U8();
}
