#include "cycle/EventDetector.h"

#include <chrono>
#include <cstdio>

#include "driver/IsoStreamEntryRef.h"
#include "rows/NameTables.h"
#include "rows/SingleChannelRows.h"
#include "res/StringTable.h"

namespace {
constexpr std::array<Dir, 2> BothDirs{Dir::In, Dir::Out};
size_t Half(Dir d) { return d == Dir::In ? 0 : 1; }
const char* DirWord(Dir d) { return d == Dir::In ? Str::In : Str::Out; }

// The error rows of a table, found by walking it until a row has no name.
std::vector<uint16_t> ErrorRows(CounterRef ref) {
    std::vector<uint16_t> rows;
    for (ref.row = 0; CounterName(ref) != nullptr; ++ref.row)
        if (IsErrorCounter(ref)) rows.push_back(ref.row);
    return rows;
}

constexpr uint64_t Wrap = uint64_t(1) << 32;
constexpr uint32_t UpperHalf = 0x80000000u;

int ViewLength(std::string_view text) { return static_cast<int>(std::min<size_t>(text.size(), 1024)); }
}  // namespace

EventDetector::EventDetector(IEventSink* sink, WallClockMs wallClock) : sink_(sink), wallClock_(std::move(wallClock)) {
    if (!wallClock_)
        wallClock_ = [] {
            using namespace std::chrono;
            return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
        };
    size_t next = 0;
    for (Dir d : BothDirs) {
        CounterRef ref;
        ref.group = CounterGroup::IsoStream;
        ref.dir = d;
        streamRows_[Half(d)] = ErrorRows(ref);
        streamBase_[Half(d)] = next;
        next += Streams * streamRows_[Half(d)].size();
    }
    CounterRef channel;
    channel.group = CounterGroup::Channel;
    channelRows_ = ErrorRows(channel);
    for (uint16_t row : channelRows_) channelFields_.push_back(SingleChannelRows()[row].entryField);
    for (Dir d : BothDirs) {
        channelBase_[Half(d)] = next;
        next += size_t(Bundles) * Channels * channelRows_.size();
    }
    seen_.resize(next);
    last_.resize(next);
}

// ---- Slots ----

size_t EventDetector::StreamSlot(Dir d, uint32_t stream, size_t rowPos) const {
    return streamBase_[Half(d)] + size_t(stream) * streamRows_[Half(d)].size() + rowPos;
}

size_t EventDetector::ChannelSlot(Dir d, uint32_t bundle, uint32_t channel, size_t rowPos) const {
    return channelBase_[Half(d)] + (size_t(bundle) * Channels + channel) * channelRows_.size() + rowPos;
}

size_t EventDetector::SlotOf(const CounterRef& ref) const {
    auto position = [](const std::vector<uint16_t>& rows, uint16_t row) {
        for (size_t i = 0; i < rows.size(); ++i)
            if (rows[i] == row) return i;
        return rows.size();
    };
    if (ref.group == CounterGroup::IsoStream && ref.index < Streams) {
        const size_t pos = position(streamRows_[Half(ref.dir)], ref.row);
        if (pos < streamRows_[Half(ref.dir)].size()) return StreamSlot(ref.dir, ref.index, pos);
    } else if (ref.group == CounterGroup::Channel && ref.index < Bundles && ref.channel < Channels) {
        const size_t pos = position(channelRows_, ref.row);
        if (pos < channelRows_.size()) return ChannelSlot(ref.dir, ref.index, ref.channel, pos);
    }
    return seen_.size();
}

std::optional<CounterIncrease> EventDetector::LastIncrease(const CounterRef& ref) const {
    const size_t i = SlotOf(ref);
    return i < last_.size() ? last_[i] : std::nullopt;
}

void EventDetector::ForgetStreams(Dir d) {
    const size_t first = StreamSlot(d, 0, 0);
    for (size_t i = first; i < first + Streams * streamRows_[Half(d)].size(); ++i) seen_[i].known = 0;
}

void EventDetector::ForgetBundle(Dir d, uint32_t b) {
    const size_t first = ChannelSlot(d, b, 0, 0);
    for (size_t i = first; i < first + Channels * channelRows_.size(); ++i) seen_[i].known = 0;
}

void EventDetector::ForgetAll() {
    for (Seen& seen : seen_) seen.known = 0;
    devicesKnown_ = false;
    deviceCount_ = 0;
    streamCount_ = {};
    bundleCount_ = {};
    sampleRate_ = {};
    streamOccupant_ = {};
    bundleOccupant_ = {};
}

// ---- Events ----

DriverEvent& EventDetector::Begin(EventKind kind, int64_t monotonicMs) {
    event_.kind = kind;
    event_.monotonicMs = monotonicMs;
    event_.wallMs = wallClock_();
    event_.counter = {};
    event_.increase = 0;
    event_.total = 0;
    return event_;
}

void EventDetector::Send(DriverEvent& event, const char* format, va_list args) {
    Tell(event, std::vsnprintf(event.text.data(), event.text.size(), format, args));
}

void EventDetector::Tell(DriverEvent& event, int written) {
    event.length = written < 0 ? 0 : std::min(size_t(written), event.text.size() - 1);
    told_ = true;
    if (sink_) sink_->OnEvent(event);
}

void EventDetector::Emit(EventKind kind, int64_t monotonicMs, const char* format, ...) {
    DriverEvent& event = Begin(kind, monotonicMs);
    va_list args;
    va_start(args, format);
    Send(event, format, args);
    va_end(args);
}

void EventDetector::Done() {
    if (told_ && sink_) sink_->OnEventsDone();
    told_ = false;
}

// ---- Commands ----

void EventDetector::OnClearStatistics(int64_t monotonicMs, bool sent) {
    // Counters that go down on the next refresh were cleared, not wrapped.
    if (sent) clearPending_ = true;
    Emit(sent ? EventKind::StatisticsCleared : EventKind::ClearFailed, monotonicMs, "%s",
         sent ? Str::EventCleared : Str::EventClearFailed);
    Done();
}

void EventDetector::OnReadingSwitched(int64_t monotonicMs, bool reading) {
    Emit(reading ? EventKind::ReadingStarted : EventKind::ReadingStopped, monotonicMs, "%s",
         reading ? Str::EventReadingStarted : Str::EventReadingStopped);
    Done();
}

void EventDetector::OnTraceMaskChanged(int64_t monotonicMs, uint32_t before, uint32_t after) {
    Emit(EventKind::TraceMaskChanged, monotonicMs, Str::EventTraceMaskFormat, unsigned(after), unsigned(before));
    Done();
}

// ---- Ticks ----

void EventDetector::OnTick(const TickFacts& facts) {
    latestTickMs_ = facts.monotonicMs;
    const int64_t now = facts.monotonicMs;
    if (!facts.deviceOpen) {
        if (driver_ == DriverState::Open) {
            Emit(EventKind::DriverLost, now, "%s", Str::EventDriverLost);
            ForgetAll();  // a driver that comes back may have started its counters over
        } else if (driver_ == DriverState::Unknown) {
            Emit(EventKind::DriverNotOpened, now, "%s", Str::EventDriverNotOpened);
        }
        driver_ = DriverState::Closed;
        readFailing_ = false;
        Done();
        return;
    }
    if (driver_ != DriverState::Open) {
        driver_ = DriverState::Open;
        Emit(EventKind::DriverOpened, now, "%s", Str::EventDriverOpened);
    }
    if (!facts.refreshed || facts.snapshot == nullptr || facts.validity == nullptr) {
        Done();
        return;
    }
    if (facts.readFailed != readFailing_) {
        readFailing_ = facts.readFailed;
        Emit(readFailing_ ? EventKind::ReadFailed : EventKind::ReadRecovered, now, "%s",
             readFailing_ ? Str::EventReadFailed : Str::EventReadRecovered);
    }
    const StatisticsSnapshot& s = *facts.snapshot;
    const RecordValidity& v = *facts.validity;
    CompareDevices(s, v);
    CompareCounts(s, v);
    CompareSampleRate(s, v);
    const bool extended =
        v.driverVersion && (s.driverVersion.Flags() & DriverVersion::FlagExtendedStatistics) != 0;
    const CounterSources sources{s, v, extended};
    for (Dir d : BothDirs) {
        CompareStreams(sources, d);
        CompareBundles(sources, d);
    }
    clearPending_ = false;
    Done();
}

void EventDetector::CompareDevices(const StatisticsSnapshot& s, const RecordValidity& v) {
    if (!v.deviceList) return;
    const uint32_t count = s.deviceList.Count();
    std::array<Device, DeviceList::Capacity> now{};
    for (uint32_t i = 0; i < count; ++i) {
        now[i].id = s.deviceList.Id(i);
        if (!v.Device(i)) continue;
        const std::string_view name = s.Device(i).HardwareName();
        now[i].length = static_cast<uint8_t>(std::min(name.size(), NameCapacity));
        std::copy_n(name.data(), now[i].length, now[i].name.data());
    }
    auto find = [](const std::array<Device, DeviceList::Capacity>& list, uint32_t n, uint32_t id) {
        for (uint32_t i = 0; i < n; ++i)
            if (list[i].id == id) return &list[i];
        return static_cast<const Device*>(nullptr);
    };
    const int64_t t = latestTickMs_;
    for (uint32_t i = 0; i < deviceCount_; ++i)
        if (devicesKnown_ && !find(now, count, devices_[i].id))
            Emit(EventKind::DeviceWent, t, Str::EventDeviceWentFormat, int(devices_[i].length),
                 devices_[i].name.data(), unsigned(devices_[i].id));
    for (uint32_t i = 0; i < count; ++i) {
        const Device* before = find(devices_, deviceCount_, now[i].id);
        if (devicesKnown_ && before) {
            // The name of a device whose record was not read this time stays as it was.
            if (now[i].length == 0) now[i] = *before;
            continue;
        }
        Emit(EventKind::DeviceCame, t, devicesKnown_ ? Str::EventDeviceCameFormat : Str::EventDevicePresentFormat,
             int(now[i].length), now[i].name.data(), unsigned(now[i].id));
    }
    devices_ = now;
    deviceCount_ = count;
    devicesKnown_ = true;
}

void EventDetector::CompareCounts(const StatisticsSnapshot& s, const RecordValidity& v) {
    const int64_t t = latestTickMs_;
    for (Dir d : BothDirs) {
        Count& streams = streamCount_[Half(d)];
        if (v.isoStreams) {
            const uint32_t n = s.isoStreamStatistics.Count(d);
            if (!streams.known)
                Emit(EventKind::StreamCountChanged, t, Str::EventStreamCountFormat, DirWord(d), unsigned(n));
            else if (n != streams.value)
                Emit(EventKind::StreamCountChanged, t, Str::EventStreamCountChangeFormat, DirWord(d), unsigned(n),
                     unsigned(streams.value));
            streams = {n, true};
        }
        Count& bundles = bundleCount_[Half(d)];
        if (v.bundleList) {
            const uint32_t n = s.bundleList.Count(d);
            if (!bundles.known)
                Emit(EventKind::BundleCountChanged, t, Str::EventBundleCountFormat, DirWord(d), unsigned(n));
            else if (n != bundles.value)
                Emit(EventKind::BundleCountChanged, t, Str::EventBundleCountChangeFormat, DirWord(d), unsigned(n),
                     unsigned(bundles.value));
            bundles = {n, true};
        }
    }
}

void EventDetector::CompareSampleRate(const StatisticsSnapshot& s, const RecordValidity& v) {
    // The ASIO statistics are read on every refresh; the devices' record only while their page shows.
    uint32_t rate = ValueNotAvailable;
    if (v.asioStatistics) rate = s.asioStatistics.SampleRate();
    if ((rate == ValueNotAvailable || rate == 0) && v.sampleRate) rate = s.sampleRateInfo.SampleRate();
    if (rate == ValueNotAvailable || rate == 0) return;
    if (!sampleRate_.known)
        Emit(EventKind::SampleRateChanged, latestTickMs_, Str::EventSampleRateFormat, unsigned(rate));
    else if (rate != sampleRate_.value)
        Emit(EventKind::SampleRateChanged, latestTickMs_, Str::EventSampleRateChangeFormat, unsigned(rate),
             unsigned(sampleRate_.value));
    sampleRate_ = {rate, true};
}

void EventDetector::CompareStreams(const CounterSources& src, Dir d) {
    if (!src.validity.isoStreams) return;
    const IsoStreamStatistics& stats = src.snapshot.isoStreamStatistics;
    const uint32_t count = stats.Count(d);
    const std::vector<uint16_t>& rows = streamRows_[Half(d)];
    for (uint32_t i = 0; i < Streams; ++i) {
        // A stream that goes, or another in its place, starts over.
        Occupant occupant{};
        if (i < count) occupant = {true, IsoStreamEntryRef::At(stats, d, i).DeviceId(), 0};
        Occupant& was = streamOccupant_[Half(d)][i];
        if (!(occupant == was)) {
            for (size_t r = 0; r < rows.size(); ++r) seen_[StreamSlot(d, i, r)].known = 0;
            was = occupant;
        }
    }
    CounterRef ref;
    ref.group = CounterGroup::IsoStream;
    ref.dir = d;
    for (ref.index = 0; ref.index < count; ++ref.index) {
        for (size_t r = 0; r < rows.size(); ++r) {
            ref.row = rows[r];
            const std::optional<int64_t> value = ReadCounter(src, ref);
            if (!value) continue;
            Compare(StreamSlot(d, ref.index, r), ref, static_cast<uint32_t>(*value), src.snapshot);
        }
    }
}

void EventDetector::CompareBundles(const CounterSources& src, Dir d) {
    if (!src.validity.bundleList) return;
    const StatisticsSnapshot& s = src.snapshot;
    const uint32_t count = s.bundleList.Count(d);
    for (uint32_t b = 0; b < Bundles; ++b) {
        Occupant occupant{};
        if (b < count) occupant = {true, s.bundleList.Id(d, b), s.Bundle(d, b).ChannelCount()};
        Occupant& was = bundleOccupant_[Half(d)][b];
        if (!(occupant == was)) {
            ForgetBundle(d, b);
            was = occupant;
        }
    }
    // Read in place rather than through ReadCounter, which would check the bundle again for
    // each of the thousands of counters; the tests hold the two to the same values.
    CounterRef ref;
    ref.group = CounterGroup::Channel;
    ref.dir = d;
    const size_t rows = channelRows_.size();
    for (ref.index = 0; ref.index < count; ++ref.index) {
        if (!src.validity.Bundle(d, ref.index)) continue;
        const ChannelBundleInfo& bundle = s.Bundle(d, ref.index);
        const uint32_t channels = bundle.ChannelCount();
        for (ref.channel = 0; ref.channel < channels; ++ref.channel) {
            const BundleChannelEntry entry = bundle.Entry(ref.channel);
            const size_t first = ChannelSlot(d, ref.index, ref.channel, 0);
            for (size_t r = 0; r < rows; ++r) {
                ref.row = channelRows_[r];
                Compare(first + r, ref, entry.U32(channelFields_[r]), s);
            }
        }
    }
}

void EventDetector::Changed(size_t slot, const CounterRef& ref, uint32_t value, const StatisticsSnapshot& s) {
    Seen& seen = seen_[slot];
    const uint32_t before = seen.value;
    const bool known = seen.known != 0;
    seen = {value, 1};
    if (!known || value == before) return;

    EventKind kind = EventKind::ErrorIncreased;
    uint64_t increase = 0;
    if (value > before) {
        increase = value - before;
    } else if (clearPending_) {
        // Cleared, then counted again before this refresh.
        if (value == 0) return;
        increase = value;
    } else if (before >= UpperHalf && value + Wrap - before < UpperHalf) {
        kind = EventKind::ErrorWrapped;
        increase = value + Wrap - before;
    } else {
        kind = EventKind::ErrorWentBack;
    }
    std::array<char, 160> node{};
    NodeName(s, ref, node);
    DriverEvent& event = Begin(kind, latestTickMs_);
    event.counter = ref;
    event.increase = increase;
    event.total = value;
    if (kind != EventKind::ErrorWentBack) {
        last_[slot] = CounterIncrease{event.monotonicMs, event.wallMs};
    }
    const char* name = CounterName(ref);
    int written = 0;
    if (kind == EventKind::ErrorWentBack)
        written = std::snprintf(event.text.data(), event.text.size(), Str::EventWentBackFormat, node.data(), name,
                                unsigned(value), unsigned(before));
    else
        written = std::snprintf(event.text.data(), event.text.size(),
                                kind == EventKind::ErrorWrapped ? Str::EventWrapFormat : Str::EventErrorFormat,
                                node.data(), name, static_cast<unsigned long long>(increase), unsigned(value));
    Tell(event, written);
}

std::string_view EventDetector::DeviceName(uint32_t deviceId) const {
    for (uint32_t i = 0; i < deviceCount_; ++i)
        if (devices_[i].id == deviceId) return {devices_[i].name.data(), devices_[i].length};
    return {};
}

void EventDetector::NodeName(const StatisticsSnapshot& s, const CounterRef& ref, std::array<char, 160>& out) const {
    if (ref.group == CounterGroup::IsoStream) {
        const std::string_view device =
            DeviceName(IsoStreamEntryRef::At(s.isoStreamStatistics, ref.dir, ref.index).DeviceId());
        std::snprintf(out.data(), out.size(), Str::EventStreamNodeFormat, DirWord(ref.dir), unsigned(ref.index),
                      ViewLength(device), device.data());
    } else {
        const std::string_view device = DeviceName(s.Channel(ref.dir, ref.index, 0).DeviceId());
        std::snprintf(out.data(), out.size(), Str::EventChannelNodeFormat, DirWord(ref.dir), unsigned(ref.index),
                      ViewLength(device), device.data(), BundleTypeName(s.Bundle(ref.dir, ref.index).BundleType()),
                      unsigned(ref.channel));
    }
}
