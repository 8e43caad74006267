#include "history/EventMarks.h"

#include <algorithm>
#include <cstring>
#include <optional>

namespace {
std::optional<MarkKind> KindOf(EventKind kind) {
    switch (kind) {
        case EventKind::DriverLost: return MarkKind::DriverLost;
        case EventKind::DeviceCame:
        case EventKind::DeviceWent: return MarkKind::Device;
        case EventKind::StatisticsCleared: return MarkKind::Cleared;
        case EventKind::ErrorIncreased:
        case EventKind::ErrorWrapped:
        case EventKind::ErrorsNotListed: return MarkKind::ErrorRose;
        default: return std::nullopt;
    }
}
}  // namespace

void EventMarks::OnEvent(const DriverEvent& event) {
    if (event.kind == EventKind::DriverOpened) openedAtMs_ = event.monotonicMs;
    const std::optional<MarkKind> kind = KindOf(event.kind);
    if (!kind) return;
    // The devices found with the driver were there before: no hot-plug.
    if (event.kind == EventKind::DeviceCame && event.monotonicMs == openedAtMs_) return;
    // The marks of one tick come together: look back over the few of this tick.
    for (size_t back = 0; back < std::min<size_t>(size_, 4); ++back) {
        EventMark& mark = marks_[(head_ + size_ - 1 - back) % Capacity];
        if (mark.monotonicMs != event.monotonicMs) break;
        if (mark.kind == *kind) {
            ++mark.count;
            return;
        }
    }
    EventMark* mark = nullptr;
    if (size_ < Capacity) {
        mark = &marks_[(head_ + size_++) % Capacity];
    } else {
        mark = &marks_[head_];
        head_ = (head_ + 1) % Capacity;
    }
    mark->monotonicMs = event.monotonicMs;
    mark->kind = *kind;
    mark->count = 1;
    const std::string_view text = event.Text();
    mark->length = static_cast<uint8_t>(std::min(text.size(), EventMark::TextCapacity));
    std::memcpy(mark->text.data(), text.data(), mark->length);
}
