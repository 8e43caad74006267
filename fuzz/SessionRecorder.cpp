#include "fuzz/SessionRecorder.h"

#include <algorithm>
#include <cstring>

#include "fuzz/AnswerEncoding.h"
#include "platform/WinError.h"

namespace AE = AnswerEncoding;

namespace {
// The status byte that stands for a result; errors the encoding has no value for become a
// general failure, which the panel treats no differently.
uint8_t StatusByte(uint32_t status) {
    for (size_t i = 0; i < AE::Statuses.size(); ++i)
        if (AE::Statuses[i] == status && i != AE::StatusRepeat) return static_cast<uint8_t>(i);
    for (size_t i = 0; i < AE::Statuses.size(); ++i)
        if (AE::Statuses[i] == WinError::GenFailure) return static_cast<uint8_t>(i);
    return 0;
}
}  // namespace

SessionRecorder::SessionRecorder(ControlDevice& inner, std::optional<uint32_t> storedNode,
                                 std::vector<uint8_t> actions, BeforeTick beforeTick)
    : inner_(inner), storedNode_(storedNode), actions_(std::move(actions)), beforeTick_(std::move(beforeTick)) {}

void SessionRecorder::PutU16(uint16_t v) {
    bytes_.push_back(uint8_t(v));
    bytes_.push_back(uint8_t(v >> 8));
}

void SessionRecorder::PutU32(uint32_t v) {
    PutU16(uint16_t(v));
    PutU16(uint16_t(v >> 16));
}

std::optional<uint32_t> SessionRecorder::StoredNode() {
    bytes_.push_back(storedNode_ ? AE::HasStoredNode : 0);
    if (storedNode_) PutU32(*storedNode_);
    return storedNode_;
}

std::optional<uint8_t> SessionRecorder::NextAction() {
    if (nextAction_ >= actions_.size()) return std::nullopt;
    if (beforeTick_) beforeTick_(static_cast<int>(nextAction_));
    uint8_t action = actions_[nextAction_++];
    bytes_.push_back(action);
    return action;
}

uint32_t SessionRecorder::Open() {
    Close();
    uint32_t result = inner_.Open();
    bool opened = result == WinError::Success && inner_.IsOpen();
    bytes_.push_back(opened ? AE::OpenOk : AE::OpenFailValue);
    if (!opened) {
        inner_.Close();
        return WinError::FileNotFound;
    }
    open_ = true;
    dropped_ = false;
    return WinError::Success;
}

void SessionRecorder::Close() {
    if (open_) inner_.Close();
    open_ = false;
    dropped_ = false;
}

uint32_t SessionRecorder::Control(uint32_t code, const void* in, uint32_t inSize, void* out, uint32_t outSize,
                                  uint32_t& bytesReturned) {
    bytesReturned = 0;
    if (!open_) return WinError::InvalidHandle;
    if (dropped_) return WinError::DeviceNotConnected;
    if ((inSize && !in) || (outSize && !out)) return WinError::InvalidParameter;

    std::vector<uint8_t> answer(outSize);
    uint32_t returned = 0;
    uint32_t status = inner_.Control(code, in, inSize, answer.data(), outSize, returned);
    if (status != WinError::Success) {
        uint8_t b = StatusByte(status);
        bytes_.push_back(b);
        if (AE::DropsConnection(AE::Statuses[b])) dropped_ = true;
        return AE::Statuses[b];
    }
    returned = std::min(returned, outSize);
    answer.resize(returned);

    const uint64_t key = AnswerHistory::Key(code, in, inSize);
    const std::vector<uint8_t>* base = history_.Base(code, key);
    const bool same = base ? *base == answer
                           : returned == outSize && std::all_of(answer.begin(), answer.end(), [](uint8_t b) { return b == 0; });
    if (same) {
        bytes_.push_back(AE::StatusRepeat);
    } else {
        bytes_.push_back(AE::StatusOk);
        WriteAnswer(answer.data(), returned, outSize, base);
    }
    history_.Remember(code, key, answer);
    if (returned) std::memcpy(out, answer.data(), returned);
    bytesReturned = returned;
    return WinError::Success;
}

void SessionRecorder::WriteAnswer(const uint8_t* answer, uint32_t count, uint32_t outSize,
                                  const std::vector<uint8_t>* base) {
    if (count == outSize) {
        bytes_.push_back(AE::MakeShape(AE::Shape::Full));
    } else {
        uint8_t arg = 0;
        while (arg < 63 && AE::ShortCount(outSize, arg) < count) ++arg;
        if (count < outSize && AE::ShortCount(outSize, arg) == count) {
            bytes_.push_back(AE::MakeShape(AE::Shape::Short, arg));
        } else {
            bytes_.push_back(AE::MakeShape(AE::Shape::Explicit));
            PutU16(static_cast<uint16_t>(count));
        }
    }

    // Words that differ from what the harness starts from: the previous answer, or zeros.
    std::vector<uint8_t> start(count, 0);
    if (base) std::copy_n(base->begin(), std::min<size_t>(count, base->size()), start.begin());
    std::vector<uint32_t> changed;
    for (uint32_t off = 0; off < count; off += 4)
        if (std::memcmp(start.data() + off, answer + off, std::min<uint32_t>(4, count - off)) != 0) changed.push_back(off);

    if (changed.empty() && !base) {
        bytes_.push_back(AE::MakePayload(AE::Payload::Zeros));
    } else if (changed.size() * AE::PatchSize + 2 < count) {
        if (changed.size() < AE::ExtendedPatches) {
            bytes_.push_back(AE::MakePayload(AE::Payload::Previous, static_cast<uint8_t>(changed.size())));
        } else {
            bytes_.push_back(AE::MakePayload(AE::Payload::Previous, AE::ExtendedPatches));
            PutU16(static_cast<uint16_t>(changed.size()));
        }
        for (uint32_t off : changed) {
            uint8_t word[4] = {};
            std::memcpy(word, answer + off, std::min<uint32_t>(4, count - off));
            PutU16(static_cast<uint16_t>(off));
            bytes_.insert(bytes_.end(), word, word + 4);
        }
    } else {
        bytes_.push_back(AE::MakePayload(AE::Payload::Raw));
        bytes_.insert(bytes_.end(), answer, answer + count);
    }
}
