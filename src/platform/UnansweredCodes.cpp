#include "platform/UnansweredCodes.h"

#include <algorithm>
#include <chrono>

UnansweredCodes::UnansweredCodes() : UnansweredCodes(Timing{}) {}

UnansweredCodes::UnansweredCodes(Timing timing, Clock clock) : timing_(timing), clock_(std::move(clock)) {}

UnansweredCodes::Timing UnansweredCodes::WithAnswerMs(int answerMs) {
    Timing timing;
    timing.answerMs = answerMs;
    timing.probeMs = std::min(timing.probeMs, answerMs);
    return timing;
}

int64_t UnansweredCodes::Now() const {
    if (clock_) return clock_();
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

UnansweredCodes::Entry* UnansweredCodes::Find(uint32_t code) {
    for (size_t i = 0; i < count_; ++i)
        if (entries_[i].code == code) return &entries_[i];
    return nullptr;
}

bool UnansweredCodes::Hangs(uint32_t code) const {
    for (size_t i = 0; i < count_; ++i)
        if (entries_[i].code == code) return true;
    return false;
}

int UnansweredCodes::WaitFor(uint32_t code) {
    Entry* entry = Find(code);
    if (!entry) return timing_.answerMs;
    const int64_t now = Now();
    entry->lastAskedMs = now;
    if (gateClosed_ && now < gateOpensMs_) return FailAtOnce;
    // Another hanging code still asked for that has waited longer for its probe goes first, so
    // that one asked for early in every tick cannot keep the others from ever being tried.
    const int64_t recentMs = 2 * int64_t{timing_.probeSpacingMs};
    for (size_t i = 0; i < count_; ++i) {
        const Entry& other = entries_[i];
        if (&other != entry && now - other.lastAskedMs <= recentMs && other.lastProbeMs < entry->lastProbeMs)
            return FailAtOnce;
    }
    entry->lastProbeMs = now;
    return timing_.probeMs;
}

void UnansweredCodes::Answered(uint32_t code) {
    Entry* entry = Find(code);
    if (!entry) return;
    *entry = entries_[--count_];
    // The driver answers again: the other hanging codes need not wait for their turn.
    gateClosed_ = false;
}

void UnansweredCodes::Unanswered(uint32_t code) {
    const int64_t now = Now();
    gateClosed_ = true;
    gateOpensMs_ = now + timing_.probeSpacingMs;
    Entry* entry = Find(code);
    if (!entry) {
        if (count_ < Capacity) {
            entry = &entries_[count_++];
        } else {
            entry = &entries_[0];
            for (size_t i = 1; i < count_; ++i)
                if (entries_[i].lastAskedMs < entry->lastAskedMs) entry = &entries_[i];
        }
        entry->code = code;
    }
    entry->lastProbeMs = now;
    entry->lastAskedMs = now;
}
