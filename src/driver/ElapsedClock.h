#pragma once

#include <array>
#include <cstdint>
#include <string_view>

// Time since the main window was created, counted by a one-second timer and shown in the
// status bar. It starts over after 98:59.59.
class ElapsedClock {
public:
    ElapsedClock();
    void OnElapsedTimer();
    std::string_view ElapsedText() const { return {text_.data(), length_}; }
    int16_t Hours() const { return hours_; }
    int16_t Minutes() const { return minutes_; }
    int16_t Seconds() const { return seconds_; }

private:
    int16_t hours_ = 0;
    int16_t minutes_ = 0;
    int16_t seconds_ = 0;
    std::array<char, 32> text_{};
    size_t length_ = 0;
};
