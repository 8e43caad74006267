#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "events/IEventSink.h"

// What the plots mark on their time axis.
enum class MarkKind : uint8_t { DriverLost, Device, Cleared, ErrorRose };

struct EventMark {
    static constexpr size_t TextCapacity = 120;

    int64_t monotonicMs = 0;  // the polling cycle's clock
    MarkKind kind = MarkKind::DriverLost;
    uint32_t count = 0;  // events of the kind in the same tick; the text is the first one's
    std::array<char, TextCapacity> text{};
    uint8_t length = 0;

    std::string_view Text() const { return {text.data(), length}; }
};

// The latest events the plots mark, in a ring of fixed size that holds ten minutes of ticks
// with an error and a second kind in each. Events of one kind in one tick share a mark.
class EventMarks : public IEventSink {
public:
    static constexpr size_t Capacity = 2560;

    void OnEvent(const DriverEvent& event) override;

    size_t Size() const { return size_; }
    // 0 is the oldest mark kept.
    const EventMark& At(size_t i) const { return marks_[(head_ + i) % Capacity]; }

private:
    std::array<EventMark, Capacity> marks_{};
    size_t head_ = 0;
    size_t size_ = 0;
    int64_t openedAtMs_ = -1;  // the tick the driver was last found in
};
