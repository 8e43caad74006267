#include "driver/ElapsedClock.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "res/StringTable.h"

ElapsedClock::ElapsedClock() {
    length_ = std::strlen(Str::ElapsedStart);
    std::memcpy(text_.data(), Str::ElapsedStart, length_);
}

void ElapsedClock::OnElapsedTimer() {
    if (++seconds_ == 60) {
        ++minutes_;
        seconds_ = 0;
    }
    if (minutes_ == 60) {
        ++hours_;
        minutes_ = 0;
        seconds_ = 0;
    }
    if (hours_ == 99) hours_ = minutes_ = seconds_ = 0;
    int n = std::snprintf(text_.data(), text_.size(), Str::ElapsedFormat, hours_, minutes_, seconds_);
    length_ = n < 0 ? 0 : std::min(static_cast<size_t>(n), text_.size() - 1);
}
