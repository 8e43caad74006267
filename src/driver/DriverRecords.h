#pragma once

// The fixed-size little-endian answer records of the driver. Each record keeps the bytes
// exactly as the driver sent them; fields are decoded on access with explicit reads, counts
// are clamped to the capacities of the record and texts never run past their field.
//
// Every field's offset is named once, in the <Record>Field namespace beside its record, by the
// driver's own name for it: the records, the pages' row tables and the simulator use the names.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "base/LittleEndian.h"

enum class Dir { In = 0, Out = 1 };
// Where a direction's half of a two-direction table is.
constexpr size_t Half(Dir d) { return d == Dir::In ? 0 : 1; }

// A 32-bit counter or value field holding this is not available.
inline constexpr uint32_t ValueNotAvailable = 0xFFFFFFFF;

template <size_t N>
struct Record {
    static constexpr size_t Size = N;
    std::array<uint8_t, N> bytes{};

    uint8_t* Data() { return bytes.data(); }
    const uint8_t* Data() const { return bytes.data(); }
    void Zero() { bytes.fill(0); }
    uint8_t U8(size_t off) const { return off < N ? bytes[off] : 0; }
    uint32_t U32(size_t off) const { return off + 4 <= N ? Le::U32(bytes.data() + off) : 0; }
    int32_t I32(size_t off) const { return static_cast<int32_t>(U32(off)); }
    void PutU32(size_t off, uint32_t v) {
        if (off + 4 <= N) Le::PutU32(bytes.data() + off, v);
    }
};

// A fixed-size entry inside a record, read in place.
template <size_t N>
class EntryView {
public:
    static constexpr size_t Size = N;
    explicit EntryView(const uint8_t* p) : p_(p) {}
    uint8_t U8(size_t off) const { return off < N ? p_[off] : 0; }
    uint32_t U32(size_t off) const { return off + 4 <= N ? Le::U32(p_ + off) : 0; }
    int32_t I32(size_t off) const { return static_cast<int32_t>(U32(off)); }
    const uint8_t* Data() const { return p_; }

private:
    const uint8_t* p_;
};

namespace DriverVersionField {
constexpr size_t InterfaceMajor = 0, InterfaceMinor = 1, ReleaseMajor = 2, ReleaseMinor = 3;  // one byte each
constexpr size_t ReleaseBuild = 4, Flags = 8;
}  // namespace DriverVersionField

struct DriverVersion : Record<12> {
    uint8_t InterfaceMajor() const { return U8(DriverVersionField::InterfaceMajor); }
    uint8_t InterfaceMinor() const { return U8(DriverVersionField::InterfaceMinor); }
    uint8_t ReleaseMajor() const { return U8(DriverVersionField::ReleaseMajor); }
    uint8_t ReleaseMinor() const { return U8(DriverVersionField::ReleaseMinor); }
    uint32_t ReleaseBuild() const { return U32(DriverVersionField::ReleaseBuild); }
    uint32_t Flags() const { return U32(DriverVersionField::Flags); }
    static constexpr uint32_t FlagDebugBuild = 1;
    static constexpr uint32_t FlagExtendedStatistics = 2;
};

namespace DeviceListField {
constexpr size_t Count = 0, Ids = 4;
}

struct DeviceList : Record<260> {
    static constexpr uint32_t Capacity = 64;
    uint32_t RawCount() const { return U32(DeviceListField::Count); }
    uint32_t Count() const { return std::min(RawCount(), Capacity); }
    uint32_t Id(uint32_t i) const { return i < Capacity ? U32(DeviceListField::Ids + 4 * size_t(i)) : 0; }
};

// Two lists of the same shape, input first: a count, then the ids.
namespace BundleListField {
constexpr size_t InCount = 0, InIds = 4, OutCount = 516, OutIds = 520;
}

struct BundleList : Record<1032> {
    static constexpr uint32_t Capacity = 128;
    static constexpr size_t HalfOffset(Dir d) {
        return d == Dir::In ? BundleListField::InCount : BundleListField::OutCount;
    }
    uint32_t RawCount(Dir d) const { return U32(HalfOffset(d)); }
    uint32_t Count(Dir d) const { return std::min(RawCount(d), Capacity); }
    static constexpr size_t IdsOffset(Dir d) { return d == Dir::In ? BundleListField::InIds : BundleListField::OutIds; }
    uint32_t Id(Dir d, uint32_t i) const { return i < Capacity ? U32(IdsOffset(d) + 4 * size_t(i)) : 0; }
};
static_assert(BundleListField::InIds == BundleListField::InCount + 4 &&
              BundleListField::OutIds == BundleListField::OutCount + 4 &&
              BundleListField::OutCount == BundleListField::InIds + 4 * BundleList::Capacity);

namespace SampleRateInfoField {
constexpr size_t SampleRate = 4;
}

struct SampleRateInfo : Record<44> {
    uint32_t SampleRate() const { return U32(SampleRateInfoField::SampleRate); }
};

struct GlobalPair : Record<8> {};
struct GlobalValue : Record<4> {};
struct DeviceStreamInfo : Record<212> {};

namespace DeviceInfoField {
constexpr size_t DeviceId = 0, NodeId = 4;
constexpr size_t NickName = 8, NickNameSize = 40;
constexpr size_t HardwareName = 48, HardwareNameSize = 384;
}  // namespace DeviceInfoField

struct DeviceInfo : Record<432> {
    uint32_t DeviceId() const { return U32(DeviceInfoField::DeviceId); }
    std::string_view NickName() const {
        return Le::Text(Data() + DeviceInfoField::NickName, DeviceInfoField::NickNameSize);
    }
    std::string_view HardwareName() const {
        return Le::Text(Data() + DeviceInfoField::HardwareName, DeviceInfoField::HardwareNameSize);
    }
};

// Intervals come twice, in samples and in microseconds.
namespace AsioStatisticsField {
constexpr size_t SampleRate = 0, RefClockIntervalSamples = 4, RefClockIntervalMicros = 8;
constexpr size_t CurrentSwitchIntervalSamples = 12, CurrentSwitchIntervalMicros = 16;
constexpr size_t NumberOfASIOInstances = 20, ChannelsAcquired = 24, ChannelsEnabled = 28;
constexpr size_t WorkerThreadPriority = 32, StreamingState = 36;
constexpr size_t TotalBufferSwitches = 40, TotalSamplesTransferred = 44;
constexpr size_t MinBufferSwitchInterval = 48, MaxBufferSwitchInterval = 52;
constexpr size_t ThreadMissedEvents = 56, EventsMissed = 60;
}  // namespace AsioStatisticsField

struct AsioStatistics : Record<64> {
    uint32_t SampleRate() const { return U32(AsioStatisticsField::SampleRate); }
};

// Each direction's underrun comes before its overrun.
namespace AsioInfoField {
constexpr size_t CountersValid = 0;
constexpr size_t InBufferUnderrun = 4, InBufferOverrun = 8;
constexpr size_t OutBufferUnderrun = 12, OutBufferOverrun = 16;
}  // namespace AsioInfoField

struct AsioInfo : Record<132> {
    // Nonzero when the four buffer counters are valid.
    uint32_t CountersValid() const { return U32(AsioInfoField::CountersValid); }
};

// The two stream entries start alike: device id, ISO channel, two boolean bytes, the packet
// and sample counters. IsSampleClockMaster and IsCallbackMaster are one byte each.
namespace IsoInField {
constexpr size_t DeviceId = 0, IsoChannel = 4, IsSampleClockMaster = 8, IsCallbackMaster = 9;
constexpr size_t TotalPacketsReceived = 12, DataPacketsReceived = 16, EmptyPacketsReceived = 20;
constexpr size_t SamplesTransferred = 24, SynchState = 28, DataPathEnabled = 32;
constexpr size_t ExpectedDBS = 36, CurrentDBS = 40, ExpectedSFC = 44, CurrentSFC = 48;
// Extended statistics, filled only while the driver publishes them.
constexpr size_t MinPacketSize = 52, MaxPacketSize = 56, MinDataBlocksPerPacket = 60, MaxDataBlocksPerPacket = 64;
constexpr size_t MinSytOffset = 68, MaxSytOffset = 72;  // signed
constexpr size_t CurDbFifoLevel = 76, MinDbFifoLevel = 80, MaxDbFifoLevel = 84, FramePtrDistance = 88;
constexpr size_t FramePtrDistExceedsL1 = 92, FramePtrDistExceedsL2 = 96;
// Error counters, to the end of the entry.
constexpr size_t IsoRxError = 100, IsoRxFifoOverrun = 104, MissingPacket = 108, PacketTooShort = 112;
constexpr size_t PacketTooLong = 116, InvalidCipHeader = 120, UnsupportedFormat = 124;
constexpr size_t SamplingFrequencyChanged = 128, DataBlockSizeChanged = 132, DataBlockSequenceError = 136;
constexpr size_t StreamWatchdogTimedOut = 140, DataBlockFifoOverrun = 144, DataBlockFifoUnderrun = 148;
constexpr size_t BusDriverCallFailed = 152, BufferAttachFailed = 156, BufferDetachFailed = 160;
}  // namespace IsoInField

namespace IsoOutField {
constexpr size_t DeviceId = 0, IsoChannel = 4, IsSampleClockMaster = 8, IsCallbackMaster = 9;
constexpr size_t TotalPacketsSent = 12, DataPacketsSent = 16, EmptyPacketsSent = 20;
constexpr size_t SamplesTransferred = 24, CurrentDBS = 28, CurrentSFC = 32;
// Extended statistics, filled only while the driver publishes them.
constexpr size_t MinCallbackInterval = 36, MaxCallbackInterval = 40, CurrentCallbackInterval = 44;
constexpr size_t MinPacketSize = 48, MaxPacketSize = 52, MinDataBlocksPerPacket = 56, MaxDataBlocksPerPacket = 60;
// Error counters, to the end of the entry.
constexpr size_t FramePtrNotLocked = 64, FramePtrOffset = 68, RestartForced = 72;
constexpr size_t BusDriverCallFailed = 76, BufferAttachFailed = 80, BufferDetachFailed = 84;
}  // namespace IsoOutField

static_assert(IsoInField::DeviceId == IsoOutField::DeviceId && IsoInField::IsoChannel == IsoOutField::IsoChannel);

template <size_t N>
class IsoStreamEntry : public EntryView<N> {
public:
    using EntryView<N>::EntryView;
    uint32_t DeviceId() const { return this->U32(IsoInField::DeviceId); }
    uint32_t IsoChannel() const { return this->U32(IsoInField::IsoChannel); }
};
using IsoInStream = IsoStreamEntry<164>;
using IsoOutStream = IsoStreamEntry<88>;

struct IsoStreamStatistics : Record<4040> {
    static constexpr uint32_t Capacity = 16;
    static constexpr size_t InCountOffset = 0, InEntriesOffset = 4;
    static constexpr size_t OutCountOffset = InEntriesOffset + Capacity * IsoInStream::Size;
    static constexpr size_t OutEntriesOffset = OutCountOffset + 4;
    static constexpr size_t EntryOffset(Dir d, uint32_t i) {
        return d == Dir::In ? InEntriesOffset + IsoInStream::Size * i : OutEntriesOffset + IsoOutStream::Size * i;
    }
    uint32_t RawCount(Dir d) const { return U32(d == Dir::In ? InCountOffset : OutCountOffset); }
    uint32_t Count(Dir d) const { return std::min(RawCount(d), Capacity); }
    // Indices beyond the capacity read the first entry's slot clamped away: callers pass i < Count.
    IsoInStream In(uint32_t i) const { return IsoInStream(Data() + EntryOffset(Dir::In, std::min(i, Capacity - 1))); }
    IsoOutStream Out(uint32_t i) const { return IsoOutStream(Data() + EntryOffset(Dir::Out, std::min(i, Capacity - 1))); }
};
static_assert(IsoStreamStatistics::OutCountOffset == 2628);
static_assert(IsoStreamStatistics::OutEntriesOffset + IsoStreamStatistics::Capacity * IsoOutStream::Size ==
              IsoStreamStatistics::Size);

namespace BundleChannelEntryField {
constexpr size_t ChannelId = 0, ChannelFormat = 4, AsioClientCount = 8, KsClientCount = 12, IsEnabled = 16;
constexpr size_t PanningPosition = 20, DataBlockOffset = 24, SamplesTransferred = 28, MidiBytesTransferred = 32;
constexpr size_t AsioPtrOffset = 36, AsioPtrOffsetLow = 40, AsioPtrOffsetHigh = 44;
constexpr size_t DataSlotLabelMismatch = 48, NoBuffer = 52;
}  // namespace BundleChannelEntryField

class BundleChannelEntry : public EntryView<56> {
public:
    using EntryView<56>::EntryView;
    uint32_t ChannelId() const { return U32(BundleChannelEntryField::ChannelId); }
    uint32_t Format() const { return U32(BundleChannelEntryField::ChannelFormat); }
};

namespace ChannelBundleInfoField {
constexpr size_t BundleId = 0, BundleType = 4, ChannelCount = 8, Entries = 12;
}

struct ChannelBundleInfo : Record<908> {
    static constexpr uint32_t EntryCapacity = 16;
    static constexpr size_t EntriesOffset = ChannelBundleInfoField::Entries;
    static constexpr size_t EntryOffset(uint32_t j) { return EntriesOffset + BundleChannelEntry::Size * j; }
    uint32_t BundleId() const { return U32(ChannelBundleInfoField::BundleId); }
    uint32_t BundleType() const { return U32(ChannelBundleInfoField::BundleType); }
    uint32_t RawChannelCount() const { return U32(ChannelBundleInfoField::ChannelCount); }
    uint32_t ChannelCount() const { return std::min(RawChannelCount(), EntryCapacity); }
    BundleChannelEntry Entry(uint32_t j) const {
        return BundleChannelEntry(Data() + EntryOffset(std::min(j, EntryCapacity - 1)));
    }
};
static_assert(ChannelBundleInfo::EntryOffset(ChannelBundleInfo::EntryCapacity) == ChannelBundleInfo::Size);

namespace ChannelInfoField {
constexpr size_t ChannelId = 0, DeviceId = 4, Direction = 8;
constexpr size_t HardwareName = 12, NickName = 52, NameSize = 40;
}  // namespace ChannelInfoField

struct ChannelInfo : Record<92> {
    uint32_t DeviceId() const { return U32(ChannelInfoField::DeviceId); }
    uint32_t DirectionCode() const { return U32(ChannelInfoField::Direction); }  // 0 input, anything else output
    std::string_view HardwareName() const {
        return Le::Text(Data() + ChannelInfoField::HardwareName, ChannelInfoField::NameSize);
    }
    std::string_view NickName() const {
        return Le::Text(Data() + ChannelInfoField::NickName, ChannelInfoField::NameSize);
    }
};

static_assert(sizeof(DriverVersion) == 12);
static_assert(sizeof(DeviceList) == 260);
static_assert(sizeof(BundleList) == 1032);
static_assert(sizeof(SampleRateInfo) == 44);
static_assert(sizeof(GlobalPair) == 8);
static_assert(sizeof(GlobalValue) == 4);
static_assert(sizeof(DeviceStreamInfo) == 212);
static_assert(sizeof(DeviceInfo) == 432);
static_assert(sizeof(AsioStatistics) == 64);
static_assert(sizeof(AsioInfo) == 132);
static_assert(sizeof(IsoStreamStatistics) == 4040);
static_assert(IsoInStream::Size == 164 && IsoOutStream::Size == 88);
static_assert(BundleChannelEntry::Size == 56);
static_assert(sizeof(ChannelBundleInfo) == 908);
static_assert(sizeof(ChannelInfo) == 92);
// The last named field of each record ends where the record does.
static_assert(DeviceInfoField::HardwareName + DeviceInfoField::HardwareNameSize == DeviceInfo::Size);
static_assert(AsioStatisticsField::EventsMissed + 4 == AsioStatistics::Size);
static_assert(IsoInField::BufferDetachFailed + 4 == IsoInStream::Size);
static_assert(IsoOutField::BufferDetachFailed + 4 == IsoOutStream::Size);
static_assert(BundleChannelEntryField::NoBuffer + 4 == BundleChannelEntry::Size);
static_assert(ChannelInfoField::NickName + ChannelInfoField::NameSize == ChannelInfo::Size);
