#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// The answers of one session so far, as the "previous answer" payload and the repeat status of
// the input encoding see them (AnswerEncoding.h). The harness's device and the seed recorder
// keep one each, so a recording replays exactly. Its storage outlives Clear, so that a harness
// reading thousands of inputs a second allocates nothing per answer.
class AnswerHistory {
public:
    // Answers are told apart by code and, for requests that carry one, the ID they ask about.
    static uint64_t Key(uint32_t code, const void* in, uint32_t inSize);

    void Clear();
    // The last answer to the same code and input, else the last answer to the same code (the
    // next bundle's record looks much like the last one's), else null.
    const std::vector<uint8_t>* Base(uint32_t code, uint64_t key) const;
    void Remember(uint32_t code, uint64_t key, const std::vector<uint8_t>& answer);

private:
    static constexpr uint32_t None = 0xFFFFFFFF;
    struct Slot {
        uint64_t key = 0;
        uint32_t generation = 0;  // a slot of an earlier generation is empty
        uint32_t answer = None;   // index into answers_
    };
    Slot* Find(uint64_t key);
    const Slot* Find(uint64_t key) const { return const_cast<AnswerHistory*>(this)->Find(key); }
    void Grow();

    uint32_t generation_ = 1;
    std::vector<Slot> slots_ = std::vector<Slot>(256);  // open addressing, a power of two in size
    size_t used_ = 0;
    std::vector<std::vector<uint8_t>> answers_;
    size_t answerCount_ = 0;
    // The last answer of each code: codes are few, a list searched from the front will do.
    std::vector<std::pair<uint32_t, uint32_t>> lastOfCode_;
};
