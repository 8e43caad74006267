#include "record/ReplayControlDevice.h"

#include <cstring>

#include "platform/WinError.h"

uint32_t ReplayControlDevice::Open() {
    open_ = false;
    if (!reader_.Next()) return WinError::FileNotFound;
    if (reader_.Current().openResult != 0) return reader_.Current().openResult;
    open_ = true;
    return WinError::Success;
}

uint32_t ReplayControlDevice::Control(uint32_t code, const void* in, uint32_t inSize, void* out, uint32_t outSize,
                                      uint32_t& bytesReturned) {
    bytesReturned = 0;
    if (!open_) return WinError::InvalidHandle;
    return Answer(reader_.Answers(), code, in, inSize, out, outSize, bytesReturned);
}

uint32_t ReplayControlDevice::Answer(const AnswerTable& answers, uint32_t code, const void* in, uint32_t inSize,
                                     void* out, uint32_t outSize, uint32_t& bytesReturned) {
    bytesReturned = 0;
    const std::optional<uint32_t> key = answers.Find(code, in, inSize);
    if (!key || !answers.At(*key).answered) return WinError::InvalidFunction;
    const AnswerTable::Answer& a = answers.At(*key);
    if (a.status != 0) return a.status;
    if (a.bytes.size() > outSize) return WinError::InsufficientBuffer;
    if (!a.bytes.empty()) std::memcpy(out, a.bytes.data(), a.bytes.size());
    bytesReturned = static_cast<uint32_t>(a.bytes.size());
    return WinError::Success;
}
