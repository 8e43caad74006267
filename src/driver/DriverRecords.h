#pragma once

// The fixed-size little-endian answer records of the driver. Each record keeps the bytes
// exactly as the driver sent them; fields are decoded on access with explicit reads, counts
// are clamped to the capacities of the record and texts never run past their field.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "base/LittleEndian.h"

enum class Dir { In = 0, Out = 1 };

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

struct DriverVersion : Record<12> {
    uint8_t InterfaceMajor() const { return U8(0); }
    uint8_t InterfaceMinor() const { return U8(1); }
    uint8_t ReleaseMajor() const { return U8(2); }
    uint8_t ReleaseMinor() const { return U8(3); }
    uint32_t ReleaseBuild() const { return U32(4); }
    uint32_t Flags() const { return U32(8); }
    static constexpr uint32_t FlagDebugBuild = 1;
    static constexpr uint32_t FlagExtendedStatistics = 2;
};

struct DeviceList : Record<260> {
    static constexpr uint32_t Capacity = 64;
    uint32_t RawCount() const { return U32(0); }
    uint32_t Count() const { return std::min(RawCount(), Capacity); }
    uint32_t Id(uint32_t i) const { return i < Capacity ? U32(4 + 4 * size_t(i)) : 0; }
};

struct BundleList : Record<1032> {
    static constexpr uint32_t Capacity = 128;
    static constexpr size_t HalfOffset(Dir d) { return d == Dir::In ? 0 : 516; }
    uint32_t RawCount(Dir d) const { return U32(HalfOffset(d)); }
    uint32_t Count(Dir d) const { return std::min(RawCount(d), Capacity); }
    uint32_t Id(Dir d, uint32_t i) const { return i < Capacity ? U32(HalfOffset(d) + 4 + 4 * size_t(i)) : 0; }
};

struct SampleRateInfo : Record<44> {
    uint32_t SampleRate() const { return U32(4); }
};

struct GlobalPair : Record<8> {};
struct GlobalValue : Record<4> {};
struct DeviceStreamInfo : Record<212> {};

struct DeviceInfo : Record<432> {
    static constexpr size_t NickNameOffset = 8, NickNameSize = 40;
    static constexpr size_t HardwareNameOffset = 48, HardwareNameSize = 384;
    uint32_t DeviceId() const { return U32(0); }
    std::string_view NickName() const { return Le::Text(Data() + NickNameOffset, NickNameSize); }
    std::string_view HardwareName() const { return Le::Text(Data() + HardwareNameOffset, HardwareNameSize); }
};

struct AsioStatistics : Record<64> {
    uint32_t SampleRate() const { return U32(0); }
};

struct AsioInfo : Record<132> {
    // Nonzero when the four buffer counters are valid.
    uint32_t CountersValid() const { return U32(0); }
    static constexpr size_t InBufferUnderrun = 4, InBufferOverrun = 8;
    static constexpr size_t OutBufferUnderrun = 12, OutBufferOverrun = 16;
};

// Both stream entries start alike: device id, ISO channel, two boolean bytes.
template <size_t N>
class IsoStreamEntry : public EntryView<N> {
public:
    using EntryView<N>::EntryView;
    uint32_t DeviceId() const { return this->U32(0); }
    uint32_t IsoChannel() const { return this->U32(4); }
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

class BundleChannelEntry : public EntryView<56> {
public:
    using EntryView<56>::EntryView;
    uint32_t ChannelId() const { return U32(0); }
    uint32_t Format() const { return U32(4); }
};

struct ChannelBundleInfo : Record<908> {
    static constexpr uint32_t EntryCapacity = 16;
    static constexpr size_t EntriesOffset = 12;
    static constexpr size_t EntryOffset(uint32_t j) { return EntriesOffset + BundleChannelEntry::Size * j; }
    uint32_t BundleType() const { return U32(4); }
    uint32_t RawChannelCount() const { return U32(8); }
    uint32_t ChannelCount() const { return std::min(RawChannelCount(), EntryCapacity); }
    BundleChannelEntry Entry(uint32_t j) const {
        return BundleChannelEntry(Data() + EntryOffset(std::min(j, EntryCapacity - 1)));
    }
};
static_assert(ChannelBundleInfo::EntryOffset(ChannelBundleInfo::EntryCapacity) == ChannelBundleInfo::Size);

struct ChannelInfo : Record<92> {
    static constexpr size_t HardwareNameOffset = 12, NickNameOffset = 52, NameSize = 40;
    uint32_t DeviceId() const { return U32(4); }
    uint32_t DirectionCode() const { return U32(8); }  // 0 input, anything else output
    std::string_view HardwareName() const { return Le::Text(Data() + HardwareNameOffset, NameSize); }
    std::string_view NickName() const { return Le::Text(Data() + NickNameOffset, NameSize); }
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
