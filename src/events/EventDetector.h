#pragma once

#include <array>
#include <bitset>
#include <cstdarg>
#include <cstdint>
#include <functional>
#include <vector>

#include "events/DriverEvent.h"
#include "events/IEventSink.h"
#include "cycle/ITickObserver.h"
#include "driver/StatisticsSnapshot.h"
#include "rows/ICounterRecency.h"

// Compares each refresh with the one before and tells what changed: the driver coming and
// going, devices, stream and bundle counts, the sample rate, and every error counter the
// pages show in red going up. It keeps its own copy of what it compares at fixed size, so a
// tick without events allocates nothing.
class EventDetector : public ITickObserver, public ICounterRecency {
public:
    // Milliseconds since 1970, UTC; taken once per event.
    using WallClockMs = std::function<int64_t()>;
    // A refresh in which more error counters go up tells the rest in one line, so that a driver
    // gone wild cannot flood the log or slow the panel.
    static constexpr int ErrorEventsPerRefresh = 200;

    explicit EventDetector(IEventSink* sink = nullptr, WallClockMs wallClock = {});

    // ITickObserver
    void OnTick(const TickFacts& facts) override;
    void OnClearStatistics(int64_t monotonicMs, bool sent) override;
    void OnReadingSwitched(int64_t monotonicMs, bool reading) override;
    void OnTraceMaskChanged(int64_t monotonicMs, uint32_t before, uint32_t after) override;

    // ICounterRecency
    std::optional<CounterIncrease> LastIncrease(const CounterRef& ref) const override;
    int64_t LatestTickMs() const override { return latestTickMs_; }

private:
    static constexpr size_t NameCapacity = 96;
    static constexpr uint32_t Streams = IsoStreamStatistics::Capacity;
    static constexpr uint32_t Bundles = StatisticsSnapshot::BundleCapacity;
    static constexpr uint32_t Channels = ChannelBundleInfo::EntryCapacity;

    // A counter's value at the latest refresh that read it; packed, as every tick walks them all.
    struct Seen {
        uint32_t value = 0;
        uint32_t known = 0;
    };
    struct Device {
        uint32_t id = 0;
        uint8_t length = 0;
        std::array<char, NameCapacity> name{};
    };
    struct Count {
        uint32_t value = 0;
        bool known = false;
    };
    // What an index of a stream or bundle stood for, so that another one in its place starts over.
    struct Occupant {
        bool present = false;
        uint32_t id = 0;
        uint32_t channels = 0;
        friend bool operator==(const Occupant&, const Occupant&) = default;
    };

    void CompareDevices(const StatisticsSnapshot& s, const RecordValidity& v);
    void CompareCounts(const StatisticsSnapshot& s, const RecordValidity& v);
    void CompareSampleRate(const StatisticsSnapshot& s, const RecordValidity& v);
    void CompareStreams(const PageSources& src, Dir d);
    void CompareBundles(const PageSources& src, Dir d);
    // A stream's counter in `slot` now reads `value`; the quiet case stays inline.
    void Compare(size_t slot, const CounterRef& ref, uint32_t value, const StatisticsSnapshot& s) {
        Seen& seen = seen_[slot];
        if (seen.known != 0 && seen.value == value) return;
        const uint32_t before = seen.value;
        const bool known = seen.known != 0;
        seen = {value, 1};
        if (known) Changed(slot, ref, before, value, s);
    }
    // The counter in `slot` went from `before` to `value`: tell how.
    void Changed(size_t slot, const CounterRef& ref, uint32_t before, uint32_t value, const StatisticsSnapshot& s);
    void ForgetAll();

    size_t StreamSlot(Dir d, uint32_t stream, size_t rowPos) const;
    size_t ChannelSlot(Dir d, uint32_t bundle, uint32_t channel, size_t rowPos) const;
    // Where the counter's last increase is kept; last_.size() for one that is not followed.
    size_t SlotOf(const CounterRef& ref) const;
    // The node as the tree shows it, into `out`.
    std::string_view DeviceName(uint32_t deviceId) const;

    DriverEvent& Begin(EventKind kind, int64_t monotonicMs);
    void Emit(EventKind kind, int64_t monotonicMs, const char* format, ...);
    void Send(DriverEvent& event, const char* format, va_list args);
    void Tell(DriverEvent& event, int written);
    void Done();

    IEventSink* sink_;
    WallClockMs wallClock_;
    DriverEvent event_;  // built in place, one at a time
    bool told_ = false;  // events went out since the last Done
    int64_t latestTickMs_ = 0;

    enum class DriverState : uint8_t { Unknown, Open, Closed };
    DriverState driver_ = DriverState::Unknown;
    bool readFailing_ = false;
    bool clearPending_ = false;
    int errorEvents_ = 0;           // error events of this refresh
    uint32_t errorsNotListed_ = 0;  // and those beyond ErrorEventsPerRefresh
    int64_t lastWallMs_ = 0;        // of the latest event

    std::array<Device, DeviceList::Capacity> devices_{};
    uint32_t deviceCount_ = 0;
    bool devicesKnown_ = false;
    std::array<Count, 2> streamCount_{};
    std::array<Count, 2> bundleCount_{};
    Count sampleRate_;
    std::array<std::array<Occupant, Streams>, 2> streamOccupant_{};
    std::array<std::array<Occupant, Bundles>, 2> bundleOccupant_{};

    // The error rows of each table, in list order.
    std::array<std::vector<uint16_t>, 2> streamRows_;
    struct StreamField {
        uint16_t offset;  // in the stream's entry
        bool extended;    // read only while the driver publishes extended statistics
    };
    std::array<std::vector<StreamField>, 2> streamFields_;
    std::vector<uint16_t> channelRows_;
    std::vector<uint8_t> channelFields_;  // each channel row's field in the bundle's entry
    std::array<size_t, 2> streamBase_{};
    std::array<size_t, 2> channelBase_{};
    std::vector<Seen> seen_;  // the streams' counters, by slot
    // The channels' counters, by slot from channelBase_[0]: a bundle's are read all together,
    // so one flag per bundle says whether they are known.
    std::vector<uint32_t> channelValues_;
    std::array<std::bitset<Bundles>, 2> bundleKnown_{};
    std::vector<std::optional<CounterIncrease>> last_;
};
