#include "fuzz/AnswerHistory.h"

#include "base/LittleEndian.h"

uint64_t AnswerHistory::Key(uint32_t code, const void* in, uint32_t inSize) {
    const uint32_t id = in && inSize >= 4 ? Le::U32(static_cast<const uint8_t*>(in)) : 0;
    return uint64_t(code) << 32 | id;
}

void AnswerHistory::Clear() {
    ++generation_;
    used_ = 0;
    answerCount_ = 0;
    lastOfCode_.clear();
}

AnswerHistory::Slot* AnswerHistory::Find(uint64_t key) {
    const size_t mask = slots_.size() - 1;
    for (size_t i = size_t((key * 0x9E3779B97F4A7C15ull) >> 32) & mask;; i = (i + 1) & mask) {
        Slot& s = slots_[i];
        if (s.generation != generation_ || s.key == key) return &s;
    }
}

const std::vector<uint8_t>* AnswerHistory::Base(uint32_t code, uint64_t key) const {
    if (const Slot* s = Find(key); s->generation == generation_) return &answers_[s->answer];
    for (const auto& [c, answer] : lastOfCode_)
        if (c == code) return &answers_[answer];
    return nullptr;
}

void AnswerHistory::Remember(uint32_t code, uint64_t key, const std::vector<uint8_t>& answer) {
    Slot* s = Find(key);
    if (s->generation != generation_) {
        if (2 * (used_ + 1) > slots_.size()) {
            Grow();
            s = Find(key);
        }
        if (answerCount_ == answers_.size()) answers_.emplace_back();
        *s = {key, generation_, uint32_t(answerCount_++)};
        ++used_;
    }
    // The key's own answer is overwritten in place: it is the newest of its code now.
    if (&answers_[s->answer] != &answer) answers_[s->answer].assign(answer.begin(), answer.end());
    for (auto& [c, last] : lastOfCode_)
        if (c == code) {
            last = s->answer;
            return;
        }
    lastOfCode_.emplace_back(code, s->answer);
}

void AnswerHistory::Grow() {
    std::vector<Slot> old(slots_.size() * 2);
    old.swap(slots_);
    for (const Slot& s : old)
        if (s.generation == generation_) *Find(s.key) = s;
}
