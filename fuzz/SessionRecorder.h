#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "fuzz/AnswerHistory.h"
#include "fuzz/SessionScript.h"
#include "platform/ControlDevice.h"

// Records a panel session against a real control device (the simulator, in practice) as a fuzz
// input: it passes every open and request through and writes down what came back, and it plays
// the session's script, writing down each action. Replaying the bytes through the harness gives
// the panel the same answers in the same order. It follows the harness's transport rules, so a
// timeout leaves the connection dead for the rest of the tick there as here.
class SessionRecorder : public ControlDevice, public SessionScript {
public:
    // Runs before each tick's action is handed out, with the tick's number: the place to move
    // the simulator on, unload it or change its faults.
    using BeforeTick = std::function<void(int tick)>;

    SessionRecorder(ControlDevice& inner, std::optional<uint32_t> storedNode, std::vector<uint8_t> actions,
                    BeforeTick beforeTick);

    const std::vector<uint8_t>& Bytes() const { return bytes_; }

    // ControlDevice
    uint32_t Open() override;
    void Close() override;
    bool IsOpen() const override { return open_; }
    uint32_t Control(uint32_t code, const void* in, uint32_t inSize, void* out, uint32_t outSize,
                     uint32_t& bytesReturned) override;

    // SessionScript
    std::optional<uint32_t> StoredNode() override;
    std::optional<uint8_t> NextAction() override;

private:
    void PutU16(uint16_t v);
    void PutU32(uint32_t v);
    void WriteAnswer(const uint8_t* answer, uint32_t count, uint32_t outSize, const std::vector<uint8_t>* base);

    ControlDevice& inner_;
    std::optional<uint32_t> storedNode_;
    std::vector<uint8_t> actions_;
    BeforeTick beforeTick_;
    size_t nextAction_ = 0;
    bool open_ = false;
    bool dropped_ = false;
    std::vector<uint8_t> bytes_;
    AnswerHistory history_;
};
