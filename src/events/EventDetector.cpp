#include "events/EventDetector.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "driver/IsoStreamEntryRef.h"
#include "events/EventWording.h"
#include "rows/IsoStreamRows.h"
#include "rows/NameTables.h"
#include "rows/NodeNames.h"
#include "rows/PageDescription.h"
#include "rows/SingleChannelRows.h"
#include "res/StringTable.h"

namespace {
constexpr std::array<Dir, 2> BothDirs{Dir::In, Dir::Out};
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
        for (uint16_t row : streamRows_[Half(d)])
            streamFields_[Half(d)].push_back({IsoStreamRows(d)[row].field, IsoStreamRows(d)[row].ext});
        streamBase_[Half(d)] = next;
        next += Streams * streamRows_[Half(d)].size();
    }
    CounterRef channel;
    channel.group = CounterGroup::Channel;
    channelRows_ = ErrorRows(channel);
    for (uint16_t row : channelRows_)
        if (size_t(SingleChannelRows()[row].entryField) + 4 <= BundleChannelEntry::Size)
            channelFields_.push_back(SingleChannelRows()[row].entryField);
    channelRows_.resize(channelFields_.size());
    for (Dir d : BothDirs) {
        channelBase_[Half(d)] = next;
        next += size_t(Bundles) * Channels * channelRows_.size();
    }
    seen_.resize(channelBase_[0]);
    channelValues_.resize(next - channelBase_[0]);
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
    return last_.size();
}

std::optional<CounterIncrease> EventDetector::LastIncrease(const CounterRef& ref) const {
    const size_t i = SlotOf(ref);
    return i < last_.size() ? last_[i] : std::nullopt;
}

void EventDetector::ForgetAll() {
    for (Seen& seen : seen_) seen.known = 0;
    bundleKnown_ = {};
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
    lastWallMs_ = event_.wallMs;
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
    errorEvents_ = 0;
    errorsNotListed_ = 0;
    CompareDevices(s, v);
    CompareCounts(s, v);
    CompareSampleRate(s, v);
    const bool extended =
        v.driverVersion && (s.driverVersion.Flags() & DriverVersion::FlagExtendedStatistics) != 0;
    const PageSources sources{s, v, extended};
    for (Dir d : BothDirs) {
        CompareStreams(sources, d);
        CompareBundles(sources, d);
    }
    clearPending_ = false;
    if (errorsNotListed_ > 0)
        Emit(EventKind::ErrorsNotListed, now, Str::EventErrorsNotListedFormat, unsigned(errorsNotListed_));
    Done();
}

void EventDetector::CompareDevices(const StatisticsSnapshot& s, const RecordValidity& v) {
    if (!v.deviceList) return;
    const uint32_t count = s.deviceList.Count();
    // The same devices in the same order, the usual case: only names not read before to take.
    bool same = devicesKnown_ && count == deviceCount_;
    for (uint32_t i = 0; same && i < count; ++i) same = devices_[i].id == s.deviceList.Id(i);
    if (same) {
        for (uint32_t i = 0; i < count; ++i) {
            if (devices_[i].length != 0 || !v.Device(i)) continue;
            const std::string_view name = s.Device(i).HardwareName();
            devices_[i].length = static_cast<uint8_t>(std::min(name.size(), NameCapacity));
            std::copy_n(name.data(), devices_[i].length, devices_[i].name.data());
        }
        return;
    }
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

void EventDetector::CompareStreams(const PageSources& src, Dir d) {
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
    // In place, as ReadCounter reads them (the tests hold the two to the same values).
    const std::vector<StreamField>& fields = streamFields_[Half(d)];
    CounterRef ref;
    ref.group = CounterGroup::IsoStream;
    ref.dir = d;
    for (ref.index = 0; ref.index < count; ++ref.index) {
        const IsoStreamEntryRef entry = IsoStreamEntryRef::At(stats, d, ref.index);
        const size_t first = StreamSlot(d, ref.index, 0);
        for (size_t r = 0; r < rows.size(); ++r) {
            if (fields[r].extended && !src.extended) continue;
            const uint32_t value = entry.U32(fields[r].offset);
            if (value == ValueNotAvailable) continue;
            ref.row = rows[r];
            Compare(first + r, ref, value, src.snapshot);
        }
    }
}

void EventDetector::CompareBundles(const PageSources& src, Dir d) {
    if (!src.validity.bundleList) return;
    const StatisticsSnapshot& s = src.snapshot;
    const uint32_t count = s.bundleList.Count(d);
    for (uint32_t b = 0; b < Bundles; ++b) {
        Occupant occupant{};
        if (b < count) occupant = {true, s.bundleList.Id(d, b), s.Bundle(d, b).ChannelCount()};
        Occupant& was = bundleOccupant_[Half(d)][b];
        if (!(occupant == was)) {
            bundleKnown_[Half(d)].reset(b);
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
        const uint32_t channels = bundle.ChannelCount();  // at most the entries the record holds
        const uint8_t* entry = bundle.Data() + ChannelBundleInfo::EntriesOffset;
        const size_t firstSlot = ChannelSlot(d, ref.index, 0, 0);
        uint32_t* seen = channelValues_.data() + (firstSlot - channelBase_[0]);
        const bool known = bundleKnown_[Half(d)].test(ref.index);
        bundleKnown_[Half(d)].set(ref.index);
        for (ref.channel = 0; ref.channel < channels; ++ref.channel, entry += BundleChannelEntry::Size) {
            for (size_t r = 0; r < rows; ++r, ++seen) {
                const uint32_t value = Le::U32(entry + channelFields_[r]);
                if (*seen == value) continue;
                const uint32_t before = *seen;
                *seen = value;
                if (!known) continue;
                ref.row = channelRows_[r];
                Changed(channelBase_[0] + size_t(seen - channelValues_.data()), ref, before, value, s);
            }
        }
    }
}

void EventDetector::Changed(size_t slot, const CounterRef& ref, uint32_t before, uint32_t value,
                            const StatisticsSnapshot& s) {
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
    if (errorEvents_ >= ErrorEventsPerRefresh) {
        ++errorsNotListed_;
        if (kind != EventKind::ErrorWentBack) last_[slot] = CounterIncrease{latestTickMs_, lastWallMs_};
        return;
    }
    ++errorEvents_;
    EventWording::NodeText node{};
    EventWording::NodeName(s, ref, [this](uint32_t id) { return DeviceName(id); }, node);
    DriverEvent& event = Begin(kind, latestTickMs_);
    event.counter = ref;
    event.increase = increase;
    event.total = value;
    if (kind != EventKind::ErrorWentBack) {
        last_[slot] = CounterIncrease{event.monotonicMs, event.wallMs};
    }
    const int written = EventWording::CounterChange(event.text, kind, node.data(), ref, increase, value, before);
    Tell(event, written);
}

std::string_view EventDetector::DeviceName(uint32_t deviceId) const {
    for (uint32_t i = 0; i < deviceCount_; ++i)
        if (devices_[i].id == deviceId) return {devices_[i].name.data(), devices_[i].length};
    return {};
}
