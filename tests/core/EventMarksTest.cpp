#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "events/EventFanOut.h"
#include "history/EventMarks.h"

namespace {
DriverEvent Event(EventKind kind, int64_t ms, const char* text = "") {
    DriverEvent e;
    e.kind = kind;
    e.monotonicMs = ms;
    e.length = std::min(std::strlen(text), e.text.size());
    std::memcpy(e.text.data(), text, e.length);
    return e;
}
struct Expected {
    MarkKind kind;
    int64_t ms;
    uint32_t count;
    std::string text;
};
}  // namespace

TEST(EventMarks, TheEventsThePlotsMarkAreKeptOnePerKindAndTick) {
    EventMarks marks;
    EventFanOut fanOut;  // as the panel wires it
    ASSERT_TRUE(fanOut.Add(marks));
    const DriverEvent events[] = {
        Event(EventKind::DriverOpened, 0),  // not marked
        Event(EventKind::DeviceCame, 0, "Device present: A (ID 0x00000001)."),  // found with the driver
        Event(EventKind::ErrorIncreased, 500, "ISO IN stream 0: MissingPacket +1, now 1."),
        Event(EventKind::ErrorWrapped, 500, "second"),
        Event(EventKind::DeviceWent, 500, "Device removed: A (ID 0x00000001)."),
        Event(EventKind::ErrorIncreased, 500, "third"),  // the same tick's error mark counts it
        Event(EventKind::DriverLost, 1000, "Driver lost."),
        Event(EventKind::DeviceCame, 1500, "Device connected: A (ID 0x00000001)."),
        Event(EventKind::StatisticsCleared, 2000, "Statistics cleared."),
        Event(EventKind::ErrorIncreased, 2500, std::string(300, 'x').c_str()),  // cut to fit
    };
    for (const DriverEvent& e : events) fanOut.OnEvent(e);
    const std::vector<Expected> expected{
        {MarkKind::ErrorRose, 500, 3, "ISO IN stream 0: MissingPacket +1, now 1."},
        {MarkKind::Device, 500, 1, "Device removed: A (ID 0x00000001)."},
        {MarkKind::DriverLost, 1000, 1, "Driver lost."},
        {MarkKind::Device, 1500, 1, "Device connected: A (ID 0x00000001)."},
        {MarkKind::Cleared, 2000, 1, "Statistics cleared."},
        {MarkKind::ErrorRose, 2500, 1, std::string(EventMark::TextCapacity, 'x')},
    };
    ASSERT_EQ(marks.Size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(marks.At(i).kind, expected[i].kind) << i;
        EXPECT_EQ(marks.At(i).monotonicMs, expected[i].ms) << i;
        EXPECT_EQ(marks.At(i).count, expected[i].count) << i;
        EXPECT_EQ(marks.At(i).Text(), expected[i].text) << i;
    }
}

TEST(EventMarks, AFullRingDropsTheOldestMarks) {
    EventMarks marks;
    const int64_t extra = 7;
    for (int64_t i = 0; i < int64_t(EventMarks::Capacity) + extra; ++i)
        marks.OnEvent(Event(EventKind::ErrorIncreased, i * 500));
    ASSERT_EQ(marks.Size(), EventMarks::Capacity);
    EXPECT_EQ(marks.At(0).monotonicMs, extra * 500);
    EXPECT_EQ(marks.At(EventMarks::Capacity - 1).monotonicMs, (int64_t(EventMarks::Capacity) + extra - 1) * 500);
}
