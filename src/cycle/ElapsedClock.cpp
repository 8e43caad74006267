#include "cycle/ElapsedClock.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>

#include "res/StringTable.h"

namespace {
int64_t SteadyMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

constexpr int64_t WrapSeconds = 99 * 3600;
}  // namespace

ElapsedClock::ElapsedClock(MonotonicMs now) : now_(now ? std::move(now) : MonotonicMs(SteadyMs)), startMs_(now_()) {
    length_ = std::strlen(Str::ElapsedStart);
    std::memcpy(text_.data(), Str::ElapsedStart, length_);
}

void ElapsedClock::OnElapsedTimer() {
    const int64_t seconds = std::max<int64_t>(0, now_() - startMs_) / 1000 % WrapSeconds;
    const int hours = static_cast<int>(seconds / 3600);
    const int minutes = static_cast<int>(seconds / 60 % 60);
    const int secs = static_cast<int>(seconds % 60);
    int n = std::snprintf(text_.data(), text_.size(), Str::ElapsedFormat, hours, minutes, secs);
    length_ = n < 0 ? 0 : std::min(static_cast<size_t>(n), text_.size() - 1);
}
