#include "sim/DriverSimulator.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "platform/WinError.h"

namespace sim {
namespace {

constexpr uint32_t PacketsPerSecond = 8000;  // one isochronous cycle every 125 us
constexpr uint32_t MidiBytesPerSecond = 120;
constexpr uint32_t StreamDbs = 11;  // quadlets per data block: 8 analog, 2 SPDIF, 1 MIDI
constexpr uint32_t CipHeaderBytes = 8;

// The extended fields of each record lie together, up to the first error counter; the packet
// and sample counters lie alike in both stream entries.
constexpr size_t IsoInExtendedBegin = IsoInField::MinPacketSize, IsoInExtendedEnd = IsoInField::IsoRxError;
constexpr size_t IsoOutExtendedBegin = IsoOutField::MinCallbackInterval;
constexpr size_t IsoOutExtendedEnd = IsoOutField::FramePtrNotLocked;
constexpr size_t AsioExtendedBegin = AsioStatisticsField::TotalBufferSwitches;
constexpr size_t AsioExtendedEnd = AsioStatisticsField::ThreadMissedEvents;
static_assert(IsoInField::TotalPacketsReceived == IsoOutField::TotalPacketsSent &&
              IsoInField::DataPacketsReceived == IsoOutField::DataPacketsSent &&
              IsoInField::EmptyPacketsReceived == IsoOutField::EmptyPacketsSent &&
              IsoInField::SamplesTransferred == IsoOutField::SamplesTransferred);

// What CLEAR_STATISTICS zeroes, and which counters the error rate feeds. The input entry's
// error counters run from IsoRxError to its end.
constexpr size_t IsoInCounters[] = {IsoInField::TotalPacketsReceived, IsoInField::DataPacketsReceived,
                                    IsoInField::EmptyPacketsReceived,  IsoInField::SamplesTransferred,
                                    IsoInField::FramePtrDistExceedsL1, IsoInField::FramePtrDistExceedsL2};
constexpr size_t IsoOutCounters[] = {IsoOutField::TotalPacketsSent, IsoOutField::DataPacketsSent,
                                     IsoOutField::EmptyPacketsSent, IsoOutField::SamplesTransferred};
constexpr size_t IsoOutErrors[] = {IsoOutField::FramePtrNotLocked, IsoOutField::RestartForced,
                                   IsoOutField::BusDriverCallFailed, IsoOutField::BufferAttachFailed,
                                   IsoOutField::BufferDetachFailed};
constexpr size_t AsioCounters[] = {AsioStatisticsField::TotalBufferSwitches,
                                   AsioStatisticsField::TotalSamplesTransferred,
                                   AsioStatisticsField::ThreadMissedEvents, AsioStatisticsField::EventsMissed};
constexpr size_t AsioInfoCounters[] = {AsioInfoField::InBufferUnderrun, AsioInfoField::InBufferOverrun,
                                       AsioInfoField::OutBufferUnderrun, AsioInfoField::OutBufferOverrun};
constexpr size_t EntryCounters[] = {BundleChannelEntryField::SamplesTransferred,
                                    BundleChannelEntryField::MidiBytesTransferred,
                                    BundleChannelEntryField::AsioPtrOffsetLow,
                                    BundleChannelEntryField::AsioPtrOffsetHigh,
                                    BundleChannelEntryField::DataSlotLabelMismatch,
                                    BundleChannelEntryField::NoBuffer};

struct RateCode {
    uint32_t rate;
    uint32_t sfc;
};
constexpr RateCode SampleRates[] = {{32000, 0}, {44100, 1}, {48000, 2},  {88200, 3},
                                    {96000, 4}, {176400, 5}, {192000, 6}};

constexpr uint32_t RefClockSamples = 512;
constexpr uint32_t SwitchSamples = 256;

// Bundle types as the driver numbers them.
constexpr uint32_t TypeMono = 1, TypeStereo = 2, TypeMulti = 3, TypeSpdifTransparent = 100, TypeSpdifPcm = 101,
                   TypeMidi = 200;
constexpr uint32_t FormatRawAudio = 1, FormatSpdif = 2, FormatMidi = 3;

struct BundleKind {
    uint32_t type;
    uint32_t channels;
    uint32_t format;
};
// The bundles of one direction cycle through these.
constexpr BundleKind InBundlePattern[] = {
    {TypeStereo, 2, FormatRawAudio}, {TypeMulti, 8, FormatRawAudio}, {TypeMono, 1, FormatRawAudio},
    {TypeSpdifPcm, 2, FormatSpdif},  {TypeMidi, 1, FormatMidi}};
constexpr BundleKind OutBundlePattern[] = {
    {TypeStereo, 2, FormatRawAudio},        {TypeMulti, 8, FormatRawAudio}, {TypeMono, 1, FormatRawAudio},
    {TypeSpdifTransparent, 2, FormatSpdif}, {TypeMidi, 1, FormatMidi}};
constexpr size_t PatternLength = std::size(InBundlePattern);

constexpr const char* DeviceModels[] = {"Velmoric Studio 8", "Velmoric Studio 4", "Velmoric Stage 26",
                                        "Velmoric Pocket 2"};
constexpr const char* DeviceNicks[] = {"Control Room", "Live Room", "Booth", "Stage Left",
                                       "Stage Right", "Mobile Rig", "Edit Suite", "Machine Room"};
constexpr uint32_t FirstDeviceId = 0x00001A2B;
constexpr uint32_t DeviceIdStep = 0x000001D3;
constexpr uint32_t BundleIdBase = 0x000B0000;
constexpr uint32_t ChannelIdBase = 0x000C0000;

// Panning codes for the channels of an analog bundle: L, R, C, LFE, LS, RS, LC, RC, ...
constexpr uint32_t PanStereo[] = {1, 2};
constexpr uint32_t PanCentre = 3;
constexpr uint32_t PanNone = 255;


uint32_t SfcOf(uint32_t rate) {
    for (const RateCode& r : SampleRates)
        if (r.rate == rate) return r.sfc;
    return ValueNotAvailable;
}

uint32_t Microseconds(uint32_t samples, uint32_t rate) {
    if (rate == 0) return ValueNotAvailable;
    return static_cast<uint32_t>(uint64_t(samples) * 1000000u / rate);
}

void Add(uint8_t* p, uint64_t v) { Le::PutU32(p, Le::U32(p) + static_cast<uint32_t>(v)); }

bool Poke(uint8_t* base, size_t size, size_t offset, uint32_t value, size_t width) {
    if (width == 1) {
        if (offset >= size) return false;
        base[offset] = static_cast<uint8_t>(value);
        return true;
    }
    if (width != 4 || offset > size || size - offset < 4) return false;
    Le::PutU32(base + offset, value);
    return true;
}

// Keeps the name but fills the rest of the field, so that no NUL ends it.
void FillWithoutNul(uint8_t* field, size_t size) {
    size_t len = strnlen(reinterpret_cast<const char*>(field), size);
    for (size_t i = len; i < size; ++i) field[i] = '#';
}

void Number(char* buf, size_t size, const char* prefix, uint32_t n) {
    std::snprintf(buf, size, "%s %u", prefix, n);
}

}  // namespace

DriverSimulator::DriverSimulator(const SimOptions& options) {
    SimOptions o = options.Clamped();
    sampleRate_ = o.sampleRate;
    deviceCount_ = o.devices;
    streamCount_[0] = o.inStreams;
    streamCount_[1] = o.outStreams;
    bundleCount_[0] = o.inBundles;
    bundleCount_[1] = o.outBundles;
    errorRate_ = o.errorRate;
    hotplugMs_ = o.hotplugMs;
    random_ = o.seed;

    version_.bytes = {1, 2, 5, 12, 0, 0, 0, 0, 0, 0, 0, 0};
    version_.PutU32(DriverVersionField::ReleaseBuild, 127);
    version_.PutU32(DriverVersionField::Flags, (o.debugBuild ? DriverVersion::FlagDebugBuild : 0) |
                           (o.extendedStatistics ? DriverVersion::FlagExtendedStatistics : 0));

    asio_.PutU32(AsioStatisticsField::RefClockIntervalSamples, RefClockSamples);
    asio_.PutU32(AsioStatisticsField::CurrentSwitchIntervalSamples, SwitchSamples);
    asio_.PutU32(AsioStatisticsField::NumberOfASIOInstances, 1);
    asio_.PutU32(AsioStatisticsField::WorkerThreadPriority, 15);
    asio_.PutU32(AsioStatisticsField::StreamingState, 2);
    asioInfo_.PutU32(AsioInfoField::CountersValid, 1);

    BuildDevices();
    BuildStreams();
    BuildBundles(o.channelsPerBundle);
    ApplySampleRate();
    Relink();
}

// ---- requests ----

size_t DriverSimulator::CodeSlot(uint32_t code) {
    for (size_t i = 0; i < IoctlTable.size(); ++i)
        if (IoctlTable[i].code == code) return i;
    return IoctlTable.size();
}

uint32_t DriverSimulator::Handle(uint32_t code, const uint8_t* in, uint32_t inSize, uint8_t* out, uint32_t outSize,
                                 uint32_t& bytesReturned) {
    bool answered = true;
    return Handle(code, in, inSize, out, outSize, bytesReturned, answered);
}

uint32_t DriverSimulator::Handle(uint32_t code, const uint8_t* in, uint32_t inSize, uint8_t* out, uint32_t outSize,
                                 uint32_t& bytesReturned, bool& answered) {
    std::lock_guard lock(mutex_);
    return HandleLocked(code, in, inSize, out, outSize, bytesReturned, answered);
}

uint32_t DriverSimulator::HandleLocked(uint32_t code, const uint8_t* in, uint32_t inSize, uint8_t* out,
                                       uint32_t outSize, uint32_t& bytesReturned, bool& answered) {
    bytesReturned = 0;
    answered = true;
    size_t slot = CodeSlot(code);
    ++totalRequests_;
    ++requestCount_[slot];
    lastInput_[slot] = in && inSize >= 4 ? Le::U32(in) : 0;
    if (slot == IoctlTable.size()) return WinError::InvalidFunction;
    const IoctlInfo& info = IoctlTable[slot];

    if (faults_.noAnswerCode == code) {
        answered = false;
        return WinError::SemTimeout;
    }
    if (faults_.failCode == code) {
        ++failCounter_;
        uint64_t every = faults_.failEvery > 1 ? faults_.failEvery : 1;
        if (failCounter_ % every == 0) return faults_.failError;
    }
    uint32_t id = 0;
    if (info.inputSize) {
        if (!in || inSize < 4) return WinError::InvalidParameter;
        id = Le::U32(in);
    }
    if (outSize < info.outputSize) return WinError::InsufficientBuffer;
    if (info.outputSize && !out) return WinError::InvalidParameter;

    bool isShort = faults_.shortAnswers && info.outputSize &&
                   (faults_.shortCode == 0 || faults_.shortCode == code);
    uint32_t status = Answer(code, id, isShort ? scratch_.data() : out);
    if (status != WinError::Success) return status;
    bytesReturned = info.outputSize;
    if (isShort) {
        bytesReturned = info.outputSize / 2;
        std::memcpy(out, scratch_.data(), bytesReturned);
    }
    return WinError::Success;
}

// Each case checks its input before it writes, so a failed request leaves dst untouched.
uint32_t DriverSimulator::Answer(uint32_t code, uint32_t id, uint8_t* dst) {
    switch (code) {
        case IOCTL_QOR_GET_DRIVER_VERSION:
            std::memcpy(dst, version_.Data(), DriverVersion::Size);
            return WinError::Success;

        case IOCTL_QOR_GET_GLOBAL_VALUE:
            Le::PutU32(dst, 1);
            return WinError::Success;

        case IOCTL_QOR_GET_GLOBAL_PAIR:
            Le::PutU32(dst, loadGeneration_ + 1);  // bus generation
            Le::PutU32(dst + 4, deviceCount_ + 1);  // nodes on the bus, the host included
            return WinError::Success;

        case IOCTL_QOR_GET_SAMPLE_RATE_INFO:
            std::memcpy(dst, rateInfo_.Data(), SampleRateInfo::Size);
            return WinError::Success;

        case IOCTL_QOR_GET_DEVICE_LIST: {
            std::memset(dst, 0, DeviceList::Size);
            uint32_t n = 0;
            for (uint32_t i = 0; i < deviceCount_; ++i)
                if (DeviceVisible(i)) Le::PutU32(dst + DeviceListField::Ids + 4 * n++, devices_[i].DeviceId());
            Le::PutU32(dst + DeviceListField::Count, faults_.overcount ? FaultPlan::OvercountDevices : n);
            return WinError::Success;
        }

        case IOCTL_QOR_GET_DEVICE_INFO: {
            int i = FindDevice(id);
            if (i < 0) return WinError::InvalidParameter;
            std::memcpy(dst, devices_[size_t(i)].Data(), DeviceInfo::Size);
            if (faults_.namesWithoutNul) {
                FillWithoutNul(dst + DeviceInfoField::NickName, DeviceInfoField::NickNameSize);
                FillWithoutNul(dst + DeviceInfoField::HardwareName, DeviceInfoField::HardwareNameSize);
            }
            return WinError::Success;
        }

        case IOCTL_QOR_GET_DEVICE_STREAM_INFO: {
            int i = FindDevice(id);
            if (i < 0) return WinError::InvalidParameter;
            std::memset(dst, 0, DeviceStreamInfo::Size);
            Le::PutU32(dst, id);
            // Per direction: the count, then the ISO channels of the device's streams.
            for (Dir d : {Dir::In, Dir::Out}) {
                uint8_t* half = dst + (d == Dir::In ? 4 : 72);
                uint32_t n = 0;
                for (uint32_t s = 0; s < streamCount_[Half(d)]; ++s)
                    if (StreamDevice(s) == uint32_t(i))
                        Le::PutU32(half + 4 + 4 * n++, Le::U32(IsoEntry(d, s) + IsoInField::IsoChannel));
                Le::PutU32(half, n);
            }
            return WinError::Success;
        }

        case IOCTL_QOR_GET_BUNDLE_LIST: {
            std::memset(dst, 0, BundleList::Size);
            for (Dir d : {Dir::In, Dir::Out}) {
                uint32_t n = 0;
                for (uint32_t b = 0; b < bundleCount_[Half(d)]; ++b)
                    if (BundleVisible(d, b))
                        Le::PutU32(dst + BundleList::IdsOffset(d) + 4 * n++, Bundle(d, b).BundleId());
                Le::PutU32(dst + BundleList::HalfOffset(d), faults_.overcount ? FaultPlan::OvercountBundles : n);
            }
            return WinError::Success;
        }

        case IOCTL_QOR_GET_BUNDLE_INFO: {
            Dir d;
            uint32_t b;
            if (!DecodeBundleId(id, d, b) || !BundleVisible(d, b)) return WinError::InvalidParameter;
            std::memcpy(dst, Bundle(d, b).Data(), ChannelBundleInfo::Size);
            if (faults_.overcount) Le::PutU32(dst + ChannelBundleInfoField::ChannelCount, FaultPlan::OvercountChannels);
            return WinError::Success;
        }

        case IOCTL_QOR_GET_CHANNEL_INFO: {
            Dir d;
            uint32_t b, c;
            if (!DecodeChannelId(id, d, b, c) || !ValidChannel(d, b, c)) return WinError::InvalidParameter;
            std::memcpy(dst, Channel(d, b, c).Data(), ChannelInfo::Size);
            if (faults_.namesWithoutNul) {
                FillWithoutNul(dst + ChannelInfoField::HardwareName, ChannelInfoField::NameSize);
                FillWithoutNul(dst + ChannelInfoField::NickName, ChannelInfoField::NameSize);
            }
            return WinError::Success;
        }

        case IOCTL_QOR_GET_ISO_STREAM_STATISTICS: {
            bool extended = version_.Flags() & DriverVersion::FlagExtendedStatistics;
            std::memset(dst, 0, IsoStreamStatistics::Size);
            for (Dir d : {Dir::In, Dir::Out}) {
                size_t entrySize = d == Dir::In ? IsoInStream::Size : IsoOutStream::Size;
                uint32_t n = 0;
                for (uint32_t s = 0; s < streamCount_[Half(d)]; ++s) {
                    if (!StreamVisible(d, s)) continue;
                    uint8_t* entry = dst + IsoStreamStatistics::EntryOffset(d, n++);
                    std::memcpy(entry, IsoEntry(d, s), entrySize);
                    if (!extended) {
                        size_t begin = d == Dir::In ? IsoInExtendedBegin : IsoOutExtendedBegin;
                        size_t end = d == Dir::In ? IsoInExtendedEnd : IsoOutExtendedEnd;
                        for (size_t off = begin; off < end; off += 4) Le::PutU32(entry + off, ValueNotAvailable);
                    }
                }
                size_t countOffset = d == Dir::In ? IsoStreamStatistics::InCountOffset
                                                  : IsoStreamStatistics::OutCountOffset;
                Le::PutU32(dst + countOffset, faults_.overcount ? FaultPlan::OvercountStreams : n);
            }
            return WinError::Success;
        }

        case IOCTL_QOR_GET_ASIO_STATISTICS:
            std::memcpy(dst, asio_.Data(), AsioStatistics::Size);
            if (!(version_.Flags() & DriverVersion::FlagExtendedStatistics))
                for (size_t off = AsioExtendedBegin; off < AsioExtendedEnd; off += 4)
                    Le::PutU32(dst + off, ValueNotAvailable);
            return WinError::Success;

        case IOCTL_QOR_GET_ASIO_INFO:
            std::memcpy(dst, asioInfo_.Data(), AsioInfo::Size);
            return WinError::Success;

        case IOCTL_QOR_CLEAR_STATISTICS:
            for (Dir d : {Dir::In, Dir::Out}) {
                for (uint32_t s = 0; s < MaxStreams; ++s) {
                    uint8_t* e = IsoEntry(d, s);
                    if (d == Dir::In) {
                        for (size_t off : IsoInCounters) Le::PutU32(e + off, 0);
                        for (size_t off = IsoInField::IsoRxError; off <= IsoInField::BufferDetachFailed; off += 4)
                            Le::PutU32(e + off, 0);
                    } else {
                        for (size_t off : IsoOutCounters) Le::PutU32(e + off, 0);
                        for (size_t off : IsoOutErrors) Le::PutU32(e + off, 0);
                    }
                }
                for (uint32_t b = 0; b < MaxBundles; ++b)
                    for (uint32_t c = 0; c < MaxChannels; ++c)
                        for (size_t off : EntryCounters)
                            Bundle(d, b).PutU32(ChannelBundleInfo::EntryOffset(c) + off, 0);
            }
            for (size_t off : AsioCounters) asio_.PutU32(off, 0);
            for (size_t off : AsioInfoCounters) asioInfo_.PutU32(off, 0);
            return WinError::Success;

        case IOCTL_QOR_GET_TRACE_MASK:
            Le::PutU32(dst, traceMask_);
            return WinError::Success;

        case IOCTL_QOR_SET_TRACE_MASK:
            traceMask_ = id;
            return WinError::Success;

        case IOCTL_QOR_SET_DEFAULT_TRACE_MASK:
            defaultTraceMask_ = id;
            return WinError::Success;

        default:
            return WinError::InvalidFunction;
    }
}

// ---- time ----

uint32_t DriverSimulator::SytInterval() const {
    if (sampleRate_ == 0) return 0;
    if (sampleRate_ <= 48000) return 8;
    if (sampleRate_ <= 96000) return 16;
    return 32;
}

void DriverSimulator::Advance(uint32_t ms) {
    std::lock_guard lock(mutex_);
    elapsedMs_ += ms;
    if (ms == 0) return;

    // Blocking transmission: a data packet carries one SYT interval of samples, the other
    // cycles send empty packets, 8000 packets a second in all.
    uint64_t total = uint64_t(ms) * PacketsPerSecond / 1000;
    uint64_t data = 0;
    if (uint32_t syt = SytInterval()) {
        uint64_t perPacket = 1000ull * syt;
        acc_.data += uint64_t(ms) * sampleRate_;
        data = acc_.data / perPacket;
        acc_.data %= perPacket;
        if (data > total) data = total;
    }
    uint64_t samples = data * SytInterval();
    for (Dir d : {Dir::In, Dir::Out}) {
        for (uint32_t s = 0; s < streamCount_[Half(d)]; ++s) {
            if (!StreamVisible(d, s)) continue;
            uint8_t* e = IsoEntry(d, s);
            Add(e + IsoInField::TotalPacketsReceived, total);
            Add(e + IsoInField::DataPacketsReceived, data);
            Add(e + IsoInField::EmptyPacketsReceived, total - data);
            Add(e + IsoInField::SamplesTransferred, samples);
        }
    }

    uint32_t interval = asio_.U32(AsioStatisticsField::CurrentSwitchIntervalSamples);
    if (interval != 0 && interval != ValueNotAvailable) {
        uint64_t perSwitch = 1000ull * interval;
        acc_.asio += uint64_t(ms) * sampleRate_;
        uint64_t switches = acc_.asio / perSwitch;
        acc_.asio %= perSwitch;
        Add(asio_.Data() + AsioStatisticsField::TotalBufferSwitches, switches);
        Add(asio_.Data() + AsioStatisticsField::TotalSamplesTransferred, switches * interval);
    }

    acc_.midi += uint64_t(ms) * MidiBytesPerSecond;
    uint64_t midiBytes = acc_.midi / 1000;
    acc_.midi %= 1000;
    for (Dir d : {Dir::In, Dir::Out}) {
        for (uint32_t b = 0; b < bundleCount_[Half(d)]; ++b) {
            if (!BundleVisible(d, b)) continue;
            ChannelBundleInfo& bundle = Bundle(d, b);
            for (uint32_t c = 0; c < bundle.ChannelCount(); ++c) {
                uint8_t* e = bundle.Data() + ChannelBundleInfo::EntryOffset(c);
                if (Le::U32(e + BundleChannelEntryField::ChannelFormat) == FormatMidi)
                    Add(e + BundleChannelEntryField::MidiBytesTransferred, midiBytes);
                else
                    Add(e + BundleChannelEntryField::SamplesTransferred, samples);
            }
        }
    }

    AddErrors(ms);

    if (hotplugMs_) {
        acc_.hotplug += ms;
        if ((acc_.hotplug / hotplugMs_) % 2) unplugged_ = !unplugged_;
        acc_.hotplug %= hotplugMs_;
    }
}

uint64_t DriverSimulator::NextRandom() {
    // splitmix64: small, fast and the same everywhere.
    uint64_t z = (random_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

void DriverSimulator::AddErrors(uint32_t ms) {
    if (!(errorRate_ > 0.0)) return;
    double expected = errorRate_ * ms / 1000.0;
    double whole = std::floor(expected);
    double fraction = expected - whole;
    constexpr size_t inErrors = (IsoInField::BufferDetachFailed - IsoInField::IsoRxError) / 4 + 1;
    for (Dir d : {Dir::In, Dir::Out}) {
        for (uint32_t s = 0; s < streamCount_[Half(d)]; ++s) {
            if (!StreamVisible(d, s)) continue;
            double u = double(NextRandom() >> 11) * 0x1.0p-53;
            uint64_t n = static_cast<uint64_t>(std::min(whole, 4294967295.0)) + (u < fraction ? 1 : 0);
            uint8_t* e = IsoEntry(d, s);
            // Few increments are spread over the counters; a flood goes to one of them.
            uint64_t steps = n <= 64 ? n : 1;
            uint64_t each = n <= 64 ? 1 : n;
            for (uint64_t k = 0; k < steps; ++k) {
                uint64_t pick = NextRandom();
                size_t off = d == Dir::In ? IsoInField::IsoRxError + 4 * (pick % inErrors)
                                          : IsoOutErrors[pick % std::size(IsoOutErrors)];
                Add(e + off, each);
            }
        }
    }
}

uint64_t DriverSimulator::ElapsedMs() const {
    std::lock_guard lock(mutex_);
    return elapsedMs_;
}

// ---- layout ----

void DriverSimulator::BuildDevices() {
    for (uint32_t i = 0; i < MaxDevices; ++i) {
        DeviceInfo& dev = devices_[i];
        dev.Zero();
        dev.PutU32(DeviceInfoField::DeviceId, FirstDeviceId + i * DeviceIdStep);
        dev.PutU32(DeviceInfoField::NodeId, 0xFFC0u | i);  // node id on the local bus
        char name[64];
        size_t models = std::size(DeviceModels), nicks = std::size(DeviceNicks);
        if (i < models)
            std::snprintf(name, sizeof name, "%s", DeviceModels[i]);
        else
            std::snprintf(name, sizeof name, "%s #%u", DeviceModels[i % models], unsigned(i / models + 1));
        Le::PutText(dev.Data() + DeviceInfoField::HardwareName, DeviceInfoField::HardwareNameSize, name);
        if (i < nicks)
            std::snprintf(name, sizeof name, "%s", DeviceNicks[i]);
        else
            std::snprintf(name, sizeof name, "%s %u", DeviceNicks[i % nicks], unsigned(i / nicks + 1));
        Le::PutText(dev.Data() + DeviceInfoField::NickName, DeviceInfoField::NickNameSize, name);
    }
}

void DriverSimulator::InitIsoIn(uint32_t s) {
    uint8_t* e = IsoEntry(Dir::In, s);
    std::memset(e, 0, IsoInStream::Size);
    Le::PutU32(e + IsoInField::IsoChannel, s);
    e[IsoInField::IsSampleClockMaster] = s == 0;
    e[IsoInField::IsCallbackMaster] = 0;
    Le::PutU32(e + IsoInField::SynchState, 3);
    Le::PutU32(e + IsoInField::DataPathEnabled, 1);
    Le::PutU32(e + IsoInField::ExpectedDBS, StreamDbs);
    Le::PutU32(e + IsoInField::CurrentDBS, StreamDbs);
    Le::PutU32(e + IsoInField::MinSytOffset, static_cast<uint32_t>(-12 - int32_t(s)));
    Le::PutU32(e + IsoInField::MaxSytOffset, 205 + s);
    Le::PutU32(e + IsoInField::CurDbFifoLevel, 96);
    Le::PutU32(e + IsoInField::MinDbFifoLevel, 64);
    Le::PutU32(e + IsoInField::MaxDbFifoLevel, 128);
    Le::PutU32(e + IsoInField::FramePtrDistance, 48);
}

void DriverSimulator::InitIsoOut(uint32_t s) {
    uint8_t* e = IsoEntry(Dir::Out, s);
    std::memset(e, 0, IsoOutStream::Size);
    Le::PutU32(e + IsoOutField::IsoChannel, 32 + s);
    e[IsoOutField::IsSampleClockMaster] = 0;
    e[IsoOutField::IsCallbackMaster] = s == 0;
    Le::PutU32(e + IsoOutField::CurrentDBS, StreamDbs);
    Le::PutU32(e + IsoOutField::MinCallbackInterval, 978);
    Le::PutU32(e + IsoOutField::MaxCallbackInterval, 1024);
    Le::PutU32(e + IsoOutField::CurrentCallbackInterval, 1000);
}

void DriverSimulator::BuildStreams() {
    for (uint32_t s = 0; s < MaxStreams; ++s) {
        InitIsoIn(s);
        InitIsoOut(s);
    }
}

void DriverSimulator::BuildBundles(uint32_t channelsPerBundle) {
    uint32_t audioChannels = 0;
    for (Dir d : {Dir::In, Dir::Out}) {
        const BundleKind* pattern = d == Dir::In ? InBundlePattern : OutBundlePattern;
        const char* way = d == Dir::In ? "In" : "Out";
        const char* nickWay = d == Dir::In ? "Input" : "Output";
        // Numbering runs on per device, as on the device's front panel.
        std::array<uint32_t, MaxDevices> analog{}, slot{}, midi{};
        uint32_t devices = deviceCount_ ? deviceCount_ : 1;
        for (uint32_t b = 0; b < MaxBundles; ++b) {
            BundleKind kind = pattern[b % PatternLength];
            if (channelsPerBundle) {
                kind.channels = channelsPerBundle;
                if (kind.format == FormatRawAudio)
                    kind.type = channelsPerBundle == 1 ? TypeMono : channelsPerBundle == 2 ? TypeStereo : TypeMulti;
            }
            uint32_t dev = b % devices;
            ChannelBundleInfo& bundle = Bundle(d, b);
            bundle.Zero();
            bundle.PutU32(ChannelBundleInfoField::BundleId, BundleIdBase | uint32_t(Half(d)) << 12 | b);
            bundle.PutU32(ChannelBundleInfoField::BundleType, kind.type);
            bundle.PutU32(ChannelBundleInfoField::ChannelCount, kind.channels);
            for (uint32_t c = 0; c < MaxChannels; ++c) {
                size_t e = ChannelBundleInfo::EntryOffset(c);
                bool valid = c < kind.channels;
                const uint32_t channelId = ChannelIdBase | uint32_t(Half(d)) << 12 | b << 4 | c;
                bundle.PutU32(e + BundleChannelEntryField::ChannelId, channelId);
                bundle.PutU32(e + BundleChannelEntryField::ChannelFormat, kind.format);
                bool audio = kind.format != FormatMidi;
                bundle.PutU32(e + BundleChannelEntryField::AsioClientCount, audio ? 1 : 0);
                bundle.PutU32(e + BundleChannelEntryField::KsClientCount, audio ? (b + c) % 2 : 1);
                bundle.PutU32(e + BundleChannelEntryField::IsEnabled, 1);
                uint32_t pan = 0;
                if (kind.format == FormatMidi)
                    pan = 0;
                else if (kind.type == TypeMono)
                    pan = PanCentre;
                else if (kind.channels <= 2 && c < 2)
                    pan = PanStereo[c];
                else
                    pan = c < 15 ? c + 1 : PanNone;
                bundle.PutU32(e + BundleChannelEntryField::PanningPosition, pan);
                bundle.PutU32(e + BundleChannelEntryField::DataBlockOffset, slot[dev] + c);
                bundle.PutU32(e + BundleChannelEntryField::AsioPtrOffset, audio ? 64 : 0);

                ChannelInfo& ch = Channel(d, b, c);
                ch.Zero();
                ch.PutU32(ChannelInfoField::ChannelId, channelId);
                ch.PutU32(ChannelInfoField::Direction, d == Dir::In ? 0 : 1);
                char hw[40], nick[40];
                if (kind.format == FormatRawAudio) {
                    Number(hw, sizeof hw, d == Dir::In ? "Analog In" : "Analog Out", analog[dev] + c + 1);
                    Number(nick, sizeof nick, nickWay, analog[dev] + c + 1);
                } else if (kind.format == FormatSpdif) {
                    if (c < 2) {
                        std::snprintf(hw, sizeof hw, "SPDIF %s %s", way, c == 0 ? "L" : "R");
                        std::snprintf(nick, sizeof nick, "Digital %s", c == 0 ? "L" : "R");
                    } else {
                        std::snprintf(hw, sizeof hw, "SPDIF %s %u", way, unsigned(c + 1));
                        Number(nick, sizeof nick, "Digital", c + 1);
                    }
                } else {
                    if (midi[dev] + c == 0)
                        std::snprintf(hw, sizeof hw, "MIDI %s", way);
                    else
                        std::snprintf(hw, sizeof hw, "MIDI %s %u", way, unsigned(midi[dev] + c + 1));
                    Number(nick, sizeof nick, "MIDI Port", midi[dev] + c + 1);
                }
                Le::PutText(ch.Data() + ChannelInfoField::HardwareName, ChannelInfoField::NameSize, hw);
                Le::PutText(ch.Data() + ChannelInfoField::NickName, ChannelInfoField::NameSize, nick);
                if (valid && audio && b < bundleCount_[Half(d)]) ++audioChannels;
            }
            if (kind.format == FormatRawAudio) analog[dev] += kind.channels;
            if (kind.format == FormatMidi) midi[dev] += kind.channels;
            slot[dev] += kind.channels;
        }
    }
    asio_.PutU32(AsioStatisticsField::ChannelsAcquired, audioChannels);
    asio_.PutU32(AsioStatisticsField::ChannelsEnabled, audioChannels);
}

void DriverSimulator::ApplySampleRate() {
    uint32_t rate = sampleRate_;
    uint32_t sfc = SfcOf(rate);
    uint32_t syt = SytInterval();
    uint32_t maxPacket = CipHeaderBytes + syt * StreamDbs * 4;
    for (uint32_t s = 0; s < MaxStreams; ++s) {
        uint8_t* in = IsoEntry(Dir::In, s);
        Le::PutU32(in + IsoInField::ExpectedSFC, sfc);
        Le::PutU32(in + IsoInField::CurrentSFC, sfc);
        Le::PutU32(in + IsoInField::MinPacketSize, CipHeaderBytes);
        Le::PutU32(in + IsoInField::MaxPacketSize, maxPacket);
        Le::PutU32(in + IsoInField::MinDataBlocksPerPacket, syt);
        Le::PutU32(in + IsoInField::MaxDataBlocksPerPacket, syt);
        uint8_t* out = IsoEntry(Dir::Out, s);
        Le::PutU32(out + IsoOutField::CurrentSFC, sfc);
        Le::PutU32(out + IsoOutField::MinPacketSize, CipHeaderBytes);
        Le::PutU32(out + IsoOutField::MaxPacketSize, maxPacket);
        Le::PutU32(out + IsoOutField::MinDataBlocksPerPacket, syt);
        Le::PutU32(out + IsoOutField::MaxDataBlocksPerPacket, syt);
    }
    asio_.PutU32(AsioStatisticsField::SampleRate, rate);
    asio_.PutU32(AsioStatisticsField::RefClockIntervalMicros,
                 Microseconds(asio_.U32(AsioStatisticsField::RefClockIntervalSamples), rate));
    uint32_t switchUs = Microseconds(asio_.U32(AsioStatisticsField::CurrentSwitchIntervalSamples), rate);
    asio_.PutU32(AsioStatisticsField::CurrentSwitchIntervalMicros, switchUs);
    // The worker thread's wake-ups jitter around the nominal interval.
    const bool known = switchUs != ValueNotAvailable;
    asio_.PutU32(AsioStatisticsField::MinBufferSwitchInterval,
                 known ? switchUs - std::min(switchUs, 21u) : ValueNotAvailable);
    asio_.PutU32(AsioStatisticsField::MaxBufferSwitchInterval, known ? switchUs + 34 : ValueNotAvailable);

    rateInfo_.Zero();
    rateInfo_.PutU32(0, 1);  // clock source: the sample clock master stream
    rateInfo_.PutU32(SampleRateInfoField::SampleRate, rate);
    size_t off = 8;
    for (const RateCode& r : SampleRates) {
        rateInfo_.PutU32(off, r.rate);
        off += 4;
    }
    rateInfo_.PutU32(off, uint32_t(std::size(SampleRates)));
}

void DriverSimulator::Relink() {
    for (Dir d : {Dir::In, Dir::Out}) {
        for (uint32_t s = 0; s < MaxStreams; ++s)
            Le::PutU32(IsoEntry(d, s) + IsoInField::DeviceId, deviceCount_ ? devices_[StreamDevice(s)].DeviceId() : 0);
        for (uint32_t b = 0; b < MaxBundles; ++b)
            for (uint32_t c = 0; c < MaxChannels; ++c)
                Channel(d, b, c).PutU32(ChannelInfoField::DeviceId,
                                        deviceCount_ ? devices_[BundleDevice(b)].DeviceId() : 0);
    }
}

uint32_t DriverSimulator::StreamDevice(uint32_t s) const { return deviceCount_ ? s % deviceCount_ : 0; }
uint32_t DriverSimulator::BundleDevice(uint32_t b) const { return deviceCount_ ? b % deviceCount_ : 0; }

bool DriverSimulator::DeviceVisible(uint32_t device) const {
    return device < deviceCount_ && !(unplugged_ && device == deviceCount_ - 1);
}

bool DriverSimulator::StreamVisible(Dir d, uint32_t s) const {
    return s < streamCount_[Half(d)] && DeviceVisible(StreamDevice(s));
}

bool DriverSimulator::BundleVisible(Dir d, uint32_t b) const {
    return b < bundleCount_[Half(d)] && DeviceVisible(BundleDevice(b));
}

int DriverSimulator::FindDevice(uint32_t id) const {
    for (uint32_t i = 0; i < deviceCount_; ++i)
        if (DeviceVisible(i) && devices_[i].DeviceId() == id) return int(i);
    return -1;
}

bool DriverSimulator::DecodeBundleId(uint32_t id, Dir& d, uint32_t& b) const {
    if ((id & 0xFFFF0000u) != BundleIdBase) return false;
    uint32_t half = (id >> 12) & 0xF;
    b = id & 0xFFF;
    if (half > 1 || b >= MaxBundles) return false;
    d = half ? Dir::Out : Dir::In;
    return true;
}

bool DriverSimulator::DecodeChannelId(uint32_t id, Dir& d, uint32_t& b, uint32_t& c) const {
    if ((id & 0xFFFF0000u) != ChannelIdBase) return false;
    uint32_t half = (id >> 12) & 0xF;
    b = (id >> 4) & 0xFF;
    c = id & 0xF;
    if (half > 1 || b >= MaxBundles) return false;
    d = half ? Dir::Out : Dir::In;
    return true;
}

bool DriverSimulator::ValidChannel(Dir d, uint32_t b, uint32_t c) const {
    return BundleVisible(d, b) && c < Bundle(d, b).ChannelCount();
}

// ---- configuration ----

void DriverSimulator::SetSampleRate(uint32_t rate) {
    std::lock_guard lock(mutex_);
    sampleRate_ = rate;
    ApplySampleRate();
}

uint32_t DriverSimulator::SampleRate() const {
    std::lock_guard lock(mutex_);
    return sampleRate_;
}

void DriverSimulator::SetDeviceCount(uint32_t count) {
    std::lock_guard lock(mutex_);
    deviceCount_ = std::min(count, MaxDevices);
    Relink();
}

uint32_t DriverSimulator::DeviceCount() const {
    std::lock_guard lock(mutex_);
    return deviceCount_;
}

void DriverSimulator::SetStreamCounts(uint32_t in, uint32_t out) {
    std::lock_guard lock(mutex_);
    streamCount_[0] = std::min(in, MaxStreams);
    streamCount_[1] = std::min(out, MaxStreams);
}

void DriverSimulator::SetBundleCounts(uint32_t in, uint32_t out, uint32_t channelsPerBundle) {
    std::lock_guard lock(mutex_);
    bundleCount_[0] = std::min(in, MaxBundles);
    bundleCount_[1] = std::min(out, MaxBundles);
    BuildBundles(std::min(channelsPerBundle, MaxChannels));
    Relink();
}

void DriverSimulator::SetDebugBuild(bool on) {
    std::lock_guard lock(mutex_);
    uint32_t flags = version_.Flags() & ~DriverVersion::FlagDebugBuild;
    version_.PutU32(DriverVersionField::Flags, flags | (on ? DriverVersion::FlagDebugBuild : 0));
}

void DriverSimulator::SetExtendedStatistics(bool on) {
    std::lock_guard lock(mutex_);
    uint32_t flags = version_.Flags() & ~DriverVersion::FlagExtendedStatistics;
    version_.PutU32(DriverVersionField::Flags, flags | (on ? DriverVersion::FlagExtendedStatistics : 0));
}

void DriverSimulator::SetDriverVersion(uint8_t interfaceMajor, uint8_t interfaceMinor, uint8_t releaseMajor,
                                       uint8_t releaseMinor, uint32_t build, uint32_t flags) {
    std::lock_guard lock(mutex_);
    version_.bytes[DriverVersionField::InterfaceMajor] = interfaceMajor;
    version_.bytes[DriverVersionField::InterfaceMinor] = interfaceMinor;
    version_.bytes[DriverVersionField::ReleaseMajor] = releaseMajor;
    version_.bytes[DriverVersionField::ReleaseMinor] = releaseMinor;
    version_.PutU32(DriverVersionField::ReleaseBuild, build);
    version_.PutU32(DriverVersionField::Flags, flags);
}

void DriverSimulator::SetErrorRate(double perStreamPerSecond) {
    std::lock_guard lock(mutex_);
    errorRate_ = perStreamPerSecond > 0.0 ? perStreamPerSecond : 0.0;
}

void DriverSimulator::SetHotplugPeriod(uint32_t ms) {
    std::lock_guard lock(mutex_);
    hotplugMs_ = ms;
    acc_.hotplug = 0;
    if (ms == 0) unplugged_ = false;
}

bool DriverSimulator::DeviceUnplugged() const {
    std::lock_guard lock(mutex_);
    return unplugged_;
}

void DriverSimulator::SetFaults(const FaultPlan& plan) {
    std::lock_guard lock(mutex_);
    faults_ = plan;
    failCounter_ = 0;
}

FaultPlan DriverSimulator::Faults() const {
    std::lock_guard lock(mutex_);
    return faults_;
}

void DriverSimulator::SetLoaded(bool loaded) {
    std::lock_guard lock(mutex_);
    if (loaded_ && !loaded) ++loadGeneration_;
    loaded_ = loaded;
}

bool DriverSimulator::Loaded() const {
    std::lock_guard lock(mutex_);
    return loaded_;
}

uint32_t DriverSimulator::LoadGeneration() const {
    std::lock_guard lock(mutex_);
    return loadGeneration_;
}

// ---- pokes ----

bool DriverSimulator::SetIsoInField(uint32_t stream, size_t offset, uint32_t value, size_t width) {
    std::lock_guard lock(mutex_);
    return stream < MaxStreams && Poke(IsoEntry(Dir::In, stream), IsoInStream::Size, offset, value, width);
}

bool DriverSimulator::SetIsoOutField(uint32_t stream, size_t offset, uint32_t value, size_t width) {
    std::lock_guard lock(mutex_);
    return stream < MaxStreams && Poke(IsoEntry(Dir::Out, stream), IsoOutStream::Size, offset, value, width);
}

bool DriverSimulator::SetAsioStatisticsField(size_t offset, uint32_t value) {
    std::lock_guard lock(mutex_);
    return Poke(asio_.Data(), AsioStatistics::Size, offset, value, 4);
}

bool DriverSimulator::SetAsioInfoField(size_t offset, uint32_t value) {
    std::lock_guard lock(mutex_);
    return Poke(asioInfo_.Data(), AsioInfo::Size, offset, value, 4);
}

bool DriverSimulator::SetDeviceNames(uint32_t device, std::string_view hardwareName, std::string_view nickName) {
    std::lock_guard lock(mutex_);
    if (device >= MaxDevices) return false;
    uint8_t* p = devices_[device].Data();
    Le::PutText(p + DeviceInfoField::HardwareName, DeviceInfoField::HardwareNameSize, hardwareName);
    Le::PutText(p + DeviceInfoField::NickName, DeviceInfoField::NickNameSize, nickName);
    return true;
}

bool DriverSimulator::SetDeviceId(uint32_t device, uint32_t id) {
    std::lock_guard lock(mutex_);
    if (device >= MaxDevices) return false;
    devices_[device].PutU32(DeviceInfoField::DeviceId, id);
    Relink();
    return true;
}

bool DriverSimulator::SetBundleType(Dir d, uint32_t bundle, uint32_t type) {
    std::lock_guard lock(mutex_);
    if (bundle >= MaxBundles) return false;
    Bundle(d, bundle).PutU32(ChannelBundleInfoField::BundleType, type);
    return true;
}

bool DriverSimulator::SetChannelNames(Dir d, uint32_t bundle, uint32_t channel, std::string_view hardwareName,
                                      std::string_view nickName) {
    std::lock_guard lock(mutex_);
    if (bundle >= MaxBundles || channel >= MaxChannels) return false;
    uint8_t* p = Channel(d, bundle, channel).Data();
    Le::PutText(p + ChannelInfoField::HardwareName, ChannelInfoField::NameSize, hardwareName);
    Le::PutText(p + ChannelInfoField::NickName, ChannelInfoField::NameSize, nickName);
    return true;
}

bool DriverSimulator::SetBundleEntryField(Dir d, uint32_t bundle, uint32_t channel, size_t offset, uint32_t value) {
    std::lock_guard lock(mutex_);
    if (bundle >= MaxBundles || channel >= MaxChannels) return false;
    return Poke(Bundle(d, bundle).Data() + ChannelBundleInfo::EntryOffset(channel), BundleChannelEntry::Size,
                offset, value, 4);
}

bool DriverSimulator::SetChannelInfoField(Dir d, uint32_t bundle, uint32_t channel, size_t offset, uint32_t value) {
    std::lock_guard lock(mutex_);
    if (bundle >= MaxBundles || channel >= MaxChannels) return false;
    return Poke(Channel(d, bundle, channel).Data(), ChannelInfo::Size, offset, value, 4);
}

void DriverSimulator::SetTraceMask(uint32_t mask) {
    std::lock_guard lock(mutex_);
    traceMask_ = mask;
}

// ---- read back ----

uint32_t DriverSimulator::TraceMask() const {
    std::lock_guard lock(mutex_);
    return traceMask_;
}

uint32_t DriverSimulator::DefaultTraceMask() const {
    std::lock_guard lock(mutex_);
    return defaultTraceMask_;
}

uint32_t DriverSimulator::DeviceId(uint32_t device) const {
    std::lock_guard lock(mutex_);
    return device < MaxDevices ? devices_[device].DeviceId() : 0;
}

uint32_t DriverSimulator::BundleId(Dir d, uint32_t bundle) const {
    std::lock_guard lock(mutex_);
    return bundle < MaxBundles ? Bundle(d, bundle).BundleId() : 0;
}

uint32_t DriverSimulator::ChannelId(Dir d, uint32_t bundle, uint32_t channel) const {
    std::lock_guard lock(mutex_);
    if (bundle >= MaxBundles || channel >= MaxChannels) return 0;
    return Bundle(d, bundle).Entry(channel).ChannelId();
}

uint64_t DriverSimulator::RequestCount(uint32_t code) const {
    std::lock_guard lock(mutex_);
    return requestCount_[CodeSlot(code)];
}

uint64_t DriverSimulator::TotalRequests() const {
    std::lock_guard lock(mutex_);
    return totalRequests_;
}

uint32_t DriverSimulator::LastInput(uint32_t code) const {
    std::lock_guard lock(mutex_);
    return lastInput_[CodeSlot(code)];
}

void DriverSimulator::ResetRequestLog() {
    std::lock_guard lock(mutex_);
    requestCount_.fill(0);
    lastInput_.fill(0);
    totalRequests_ = 0;
}

}  // namespace sim
