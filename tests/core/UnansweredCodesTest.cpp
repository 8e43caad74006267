#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <set>
#include <vector>

#include "platform/UnansweredCodes.h"

namespace {
constexpr UnansweredCodes::Timing Timing{1000, 100, 1000};
constexpr int TickMs = 500;

// Ticks of the polling cycle against a driver that never answers some codes, on a clock that
// moves only by the waits and the tick period: what a tick costs is the time spent waiting
// for answers that never come.
struct Ticks {
    int64_t now = 0;
    UnansweredCodes codes{Timing, [this] { return now; }};
    std::set<uint32_t> hanging;
    int answerMs = 0;  // how long the driver takes to answer the others
    std::map<uint32_t, int> sent;
    std::map<uint32_t, int> answered;

    int Tick(const std::vector<uint32_t>& asked) {
        const int64_t start = now;
        int blocked = 0;
        for (uint32_t code : asked) {
            const int wait = codes.WaitFor(code);
            if (wait == UnansweredCodes::FailAtOnce) continue;
            ++sent[code];
            if (hanging.count(code) || wait < answerMs) {
                now += wait;
                blocked += wait;
                codes.Unanswered(code);
            } else {
                now += answerMs;
                ++answered[code];
                codes.Answered(code);
            }
        }
        now = std::max(now, start + TickMs);
        return blocked;
    }
};

std::vector<uint32_t> Repeated(uint32_t code, int times) { return std::vector<uint32_t>(size_t(times), code); }
}  // namespace

TEST(UnansweredCodes, AHangingCodeCostsOneFullWaitAndThenAtMostOneProbePerTick) {
    struct Case {
        const char* what;
        std::vector<uint32_t> asked;
        std::set<uint32_t> hanging;
        int firstTickMs;
    };
    std::vector<uint32_t> perChannel{1, 2};
    for (uint32_t c : Repeated(7, 32)) perChannel.push_back(c);
    perChannel.push_back(3);
    const Case cases[] = {
        {"one code asked once per tick", {1, 2, 7, 3}, {7}, 1000},
        {"one code asked once per channel", perChannel, {7}, 1000},
        {"two codes with answered ones between", {7, 1, 8, 2}, {7, 8}, 2000},
        // Each code is waited for in full until it has hung once: a slow driver is no hung one.
        {"every code", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, 10000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Ticks t;
        t.hanging = c.hanging;
        EXPECT_EQ(t.Tick(c.asked), c.firstTickMs);
        int worst = 0;
        for (int i = 0; i < 40; ++i) worst = std::max(worst, t.Tick(c.asked));
        EXPECT_LE(worst, Timing.probeMs) << "a click in any tick is answered within 0.3 s";
        for (uint32_t code : c.hanging) {
            EXPECT_TRUE(t.codes.Hangs(code));
            EXPECT_GE(t.sent[code], 2) << "code " << code << " is never tried again";
        }
        for (uint32_t code : c.asked) {
            if (c.hanging.count(code)) continue;
            EXPECT_EQ(t.sent[code], 41 * std::count(c.asked.begin(), c.asked.end(), code));
        }
    }
}

TEST(UnansweredCodes, ASlowDriverIsWaitedForAfterAnotherCodeHung) {
    struct Case {
        const char* what;
        int answerMs;
    };
    const Case cases[] = {{"answers at once", 0}, {"answers in 150 ms", 150}, {"answers in 900 ms", 900}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Ticks t;
        t.hanging = {7};
        t.answerMs = c.answerMs;
        const std::vector<uint32_t> asked{7, 1, 2, 3};
        for (int i = 0; i < 10; ++i) t.Tick(asked);
        for (uint32_t code : {1u, 2u, 3u}) {
            EXPECT_EQ(t.answered[code], 10) << "code " << code;
            EXPECT_FALSE(t.codes.Hangs(code));
        }
        EXPECT_TRUE(t.codes.Hangs(7)) << "only the code that hung is cut short";
    }
}

TEST(UnansweredCodes, EveryHangingCodeGetsItsTurnAndOneThatAnswersAgainIsWaitedForInFull) {
    Ticks t;
    t.hanging = {7, 8};
    const std::vector<uint32_t> asked{7, 1, 8};  // 7 comes first in every tick
    for (int i = 0; i < 16; ++i) t.Tick(asked);
    EXPECT_GE(t.sent[8], 3);
    EXPECT_GE(t.sent[7], 3);

    t.hanging = {7};
    for (int i = 0; i < 6 && t.codes.Hangs(8); ++i) t.Tick(asked);
    EXPECT_FALSE(t.codes.Hangs(8)) << "code 8 answers again but is never tried";
    EXPECT_EQ(t.codes.WaitFor(8), Timing.answerMs);
    EXPECT_TRUE(t.codes.Hangs(7));
}
