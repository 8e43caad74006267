#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string_view>

// Time since the main window was created, as the status bar shows it. The one-second timer
// only asks for the text; the time itself comes from a monotonic clock, so seconds the GUI
// thread spent busy are not lost. It starts over after 98:59.59.
class ElapsedClock {
public:
    // Milliseconds of a clock that never goes back; the steady clock unless a test gives one.
    using MonotonicMs = std::function<int64_t()>;

    explicit ElapsedClock(MonotonicMs now = {});
    void OnElapsedTimer();
    int64_t NowMs() const { return now_(); }
    std::string_view ElapsedText() const { return {text_.data(), length_}; }

private:
    MonotonicMs now_;
    int64_t startMs_;
    std::array<char, 32> text_{};
    size_t length_ = 0;
};
