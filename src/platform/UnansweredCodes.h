#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>

// How long a control request may wait for the driver's answer. A code the driver left
// unanswered is not waited for again on every tick: its requests fail at once, and now and
// then one of them is sent and waited for briefly (a probe) to see whether the driver answers
// it again; once it does, it is waited for in full again. Only the codes that hung are cut
// short: every other code gets the full wait, so a slow driver is never taken for a hung one.
class UnansweredCodes {
public:
    struct Timing {
        int answerMs = 1000;        // a request of a code the driver answers
        int probeMs = 100;          // a probe of a code it left unanswered
        int probeSpacingMs = 1000;  // after an unanswered request, before the next probe
    };
    using Clock = std::function<int64_t()>;  // milliseconds, monotonic
    static constexpr int FailAtOnce = 0;
    static constexpr size_t Capacity = 32;

    UnansweredCodes();
    // Without a clock, the steady clock.
    explicit UnansweredCodes(Timing timing, Clock clock = {});
    // The default timing with another wait for answers; a probe never waits longer than that.
    static Timing WithAnswerMs(int answerMs);

    // How long the request of `code` about to be sent may wait for its answer; FailAtOnce when
    // it is not to be sent at all.
    int WaitFor(uint32_t code);
    // What became of a request that was sent.
    void Answered(uint32_t code);
    void Unanswered(uint32_t code);

    bool Hangs(uint32_t code) const;
    const Timing& Timings() const { return timing_; }

private:
    struct Entry {
        uint32_t code = 0;
        int64_t lastProbeMs = 0;
        int64_t lastAskedMs = 0;
    };
    Entry* Find(uint32_t code);
    int64_t Now() const;

    Timing timing_;
    Clock clock_;
    std::array<Entry, Capacity> entries_{};
    size_t count_ = 0;
    bool gateClosed_ = false;
    int64_t gateOpensMs_ = 0;  // no probe before this while the gate is closed
};
