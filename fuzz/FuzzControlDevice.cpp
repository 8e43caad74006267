#include "fuzz/FuzzControlDevice.h"

#include <algorithm>
#include <cstring>

#include "base/LittleEndian.h"
#include "fuzz/AnswerEncoding.h"
#include "platform/WinError.h"
#include "platform/WireProtocol.h"

namespace AE = AnswerEncoding;

void FuzzControlDevice::Begin(FuzzInput& input) {
    input_ = &input;
    open_ = dropped_ = false;
    history_.Clear();
}

uint32_t FuzzControlDevice::Open() {
    Close();
    if (!input_ || input_->Exhausted() || AE::OpenFails(input_->U8())) return WinError::FileNotFound;
    open_ = true;
    dropped_ = false;
    return WinError::Success;
}

void FuzzControlDevice::Close() {
    open_ = false;
    dropped_ = false;
}

uint32_t FuzzControlDevice::Control(uint32_t code, const void* in, uint32_t inSize, void* out, uint32_t outSize,
                                    uint32_t& bytesReturned) {
    bytesReturned = 0;
    if (!open_) return WinError::InvalidHandle;
    if (dropped_ || input_->Exhausted()) return WinError::DeviceNotConnected;
    if (inSize > Wire::MaxInputSize || outSize > Wire::MaxOutputSize || (inSize && !in) || (outSize && !out))
        return WinError::InvalidParameter;

    const uint8_t statusByte = input_->U8() & 0x07;
    const uint32_t status = AE::Statuses[statusByte];
    if (status != WinError::Success) {
        if (AE::DropsConnection(status)) dropped_ = true;
        return status;
    }
    const uint64_t key = AnswerHistory::Key(code, in, inSize);
    const std::vector<uint8_t>* base = history_.Base(code, key);
    if (statusByte == AE::StatusRepeat) {
        if (base)
            answer_ = *base;
        else
            answer_.assign(outSize, 0);
    } else {
        uint8_t shape = input_->U8();
        uint32_t count = outSize;
        switch (AE::ShapeOf(shape)) {
            case AE::Shape::Full: break;
            case AE::Shape::Short: count = AE::ShortCount(outSize, AE::ShapeArg(shape)); break;
            case AE::Shape::Long: count = AE::LongCount(outSize, AE::ShapeArg(shape)); break;
            case AE::Shape::Explicit: count = input_->U16(); break;
        }
        ReadPayload(count, base);
    }
    const uint32_t count = static_cast<uint32_t>(answer_.size());

    // The transport never writes past the caller's capacity: such an answer is refused whole, and
    // is no answer to build on either.
    if (count > outSize) return WinError::InsufficientBuffer;
    history_.Remember(code, key, answer_);
    if (count) std::memcpy(out, answer_.data(), count);
    bytesReturned = count;
    return WinError::Success;
}

void FuzzControlDevice::ReadPayload(uint32_t count, const std::vector<uint8_t>* base) {
    answer_.assign(count, 0);
    uint8_t mode = input_->U8();
    switch (AE::PayloadOf(mode)) {
        case AE::Payload::Raw: input_->Bytes(answer_.data(), count); break;
        case AE::Payload::Zeros: break;
        case AE::Payload::Fill: std::fill(answer_.begin(), answer_.end(), input_->U8()); break;
        case AE::Payload::Previous: {
            if (base) std::copy_n(base->begin(), std::min<size_t>(count, base->size()), answer_.begin());
            uint32_t patches = AE::PatchCountOf(mode);
            if (patches == AE::ExtendedPatches) patches = input_->U16();
            for (uint32_t p = 0; p < patches; ++p) {
                uint16_t offset = input_->U16();
                uint8_t value[4];
                Le::PutU32(value, input_->U32());
                if (count == 0) continue;
                size_t at = offset % count;
                std::memcpy(answer_.data() + at, value, std::min<size_t>(4, count - at));
            }
            break;
        }
    }
}
