#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "driver/CDev.h"
#include "driver/DriverRecords.h"
#include "driver/IoctlCodes.h"
#include "platform/WinError.h"
#include "sim/DriverSimulator.h"
#include "sim/SimControlDevice.h"

using sim::DriverSimulator;
using sim::SimOptions;

namespace {

constexpr uint8_t Guard = 0xCD;

template <typename R>
uint32_t Ask(DriverSimulator& s, uint32_t code, R& record, uint32_t id = 0, bool withId = false) {
    uint8_t in[4];
    Le::PutU32(in, id);
    uint32_t returned = 0;
    return s.Handle(code, withId ? in : nullptr, withId ? 4 : 0, record.Data(), uint32_t(R::Size), returned);
}

template <typename R>
R Read(DriverSimulator& s, uint32_t code) {
    R record;
    EXPECT_EQ(Ask(s, code, record), 0u);
    return record;
}

template <typename R>
R ReadById(DriverSimulator& s, uint32_t code, uint32_t id) {
    R record;
    EXPECT_EQ(Ask(s, code, record, id, true), 0u) << std::hex << "id 0x" << id;
    return record;
}

// A valid 4-byte input for every code that takes one.
uint32_t ValidInput(DriverSimulator& s, uint32_t code) {
    switch (code) {
        case IOCTL_QOR_GET_DEVICE_INFO:
        case IOCTL_QOR_GET_DEVICE_STREAM_INFO:
            return s.DeviceId(0);
        case IOCTL_QOR_GET_BUNDLE_INFO:
            return s.BundleId(Dir::Out, 1);
        case IOCTL_QOR_GET_CHANNEL_INFO:
            return s.ChannelId(Dir::In, 1, 3);
        default:
            return 0x00000015;
    }
}

struct SimRecords : ::testing::Test {
    std::unique_ptr<DriverSimulator> sim = std::make_unique<DriverSimulator>();
};

}  // namespace

// ---- Sizes and errors of every code ----

TEST_F(SimRecords, EveryCodeAnswersWithExactlyItsRecordAndNoMore) {
    for (const IoctlInfo& info : IoctlTable) {
        SCOPED_TRACE(info.name);
        std::vector<uint8_t> out(info.outputSize + 32, Guard);
        uint8_t in[4];
        Le::PutU32(in, ValidInput(*sim, info.code));
        uint32_t returned = 12345;
        EXPECT_EQ(sim->Handle(info.code, info.inputSize ? in : nullptr, info.inputSize, out.data(),
                              uint32_t(out.size()), returned),
                  0u);
        EXPECT_EQ(returned, info.outputSize);
        for (size_t i = info.outputSize; i < out.size(); ++i) ASSERT_EQ(out[i], Guard) << "byte " << i;
    }
}

TEST_F(SimRecords, TooSmallBufferIsRejectedAndLeftUntouched) {
    for (const IoctlInfo& info : IoctlTable) {
        if (info.outputSize == 0) continue;
        SCOPED_TRACE(info.name);
        std::vector<uint8_t> out(info.outputSize, Guard);
        uint8_t in[4];
        Le::PutU32(in, ValidInput(*sim, info.code));
        uint32_t returned = 7;
        EXPECT_EQ(sim->Handle(info.code, in, info.inputSize, out.data(), info.outputSize - 1, returned),
                  WinError::InsufficientBuffer);
        EXPECT_EQ(returned, 0u);
        EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](uint8_t b) { return b == Guard; }));
    }
}

TEST_F(SimRecords, UnknownCodesAndBadInputsAreRefused) {
    uint8_t out[4096];
    std::memset(out, Guard, sizeof out);
    uint32_t returned = 0;
    EXPECT_EQ(sim->Handle(QorControlCode(0xA02), nullptr, 0, out, sizeof out, returned), WinError::InvalidFunction);
    EXPECT_EQ(sim->Handle(0, nullptr, 0, out, sizeof out, returned), WinError::InvalidFunction);

    const uint32_t needsId[] = {IOCTL_QOR_GET_DEVICE_INFO, IOCTL_QOR_GET_DEVICE_STREAM_INFO,
                                IOCTL_QOR_GET_CHANNEL_INFO, IOCTL_QOR_GET_BUNDLE_INFO, IOCTL_QOR_SET_TRACE_MASK,
                                IOCTL_QOR_SET_DEFAULT_TRACE_MASK};
    uint8_t in[4] = {1, 2, 3, 4};
    for (uint32_t code : needsId) {
        SCOPED_TRACE(code);
        EXPECT_EQ(sim->Handle(code, nullptr, 0, out, sizeof out, returned), WinError::InvalidParameter);
        EXPECT_EQ(sim->Handle(code, in, 2, out, sizeof out, returned), WinError::InvalidParameter);
        EXPECT_EQ(sim->Handle(code, nullptr, 4, out, sizeof out, returned), WinError::InvalidParameter);
    }
    // Ids that name nothing, including ids of the wrong kind.
    const uint32_t idCodes[] = {IOCTL_QOR_GET_DEVICE_INFO, IOCTL_QOR_GET_DEVICE_STREAM_INFO,
                                IOCTL_QOR_GET_CHANNEL_INFO, IOCTL_QOR_GET_BUNDLE_INFO};
    const uint32_t strangers[] = {0, 0xFFFFFFFF, 0xDEADBEEF, sim->DeviceId(2), sim->BundleId(Dir::In, 5),
                                  sim->ChannelId(Dir::In, 0, 2)};
    for (uint32_t code : idCodes) {
        for (uint32_t id : strangers) {
            Le::PutU32(in, id);
            EXPECT_EQ(sim->Handle(code, in, 4, out, sizeof out, returned), WinError::InvalidParameter)
                << std::hex << code << " id " << id;
        }
    }
    Le::PutU32(in, sim->DeviceId(0));
    EXPECT_EQ(sim->Handle(IOCTL_QOR_GET_BUNDLE_INFO, in, 4, out, sizeof out, returned), WinError::InvalidParameter);
    EXPECT_TRUE(std::all_of(std::begin(out), std::end(out), [](uint8_t b) { return b == Guard; }));
}

// ---- Layouts ----

TEST_F(SimRecords, DevicesHaveDistinctIdsAndRealisticNames) {
    auto list = Read<DeviceList>(*sim, IOCTL_QOR_GET_DEVICE_LIST);
    ASSERT_EQ(list.RawCount(), 2u);
    std::set<uint32_t> ids;
    std::set<std::string> names;
    for (uint32_t i = 0; i < list.Count(); ++i) {
        uint32_t id = list.Id(i);
        EXPECT_NE(id, 0u);
        EXPECT_LT(id, 0x01000000u);
        ids.insert(id);
        auto info = ReadById<DeviceInfo>(*sim, IOCTL_QOR_GET_DEVICE_INFO, id);
        EXPECT_EQ(info.DeviceId(), id);
        EXPECT_EQ(info.HardwareName().rfind("Velmoric ", 0), 0u) << info.HardwareName();
        EXPECT_FALSE(info.NickName().empty());
        EXPECT_LT(info.NickName().size(), DeviceInfoField::NickNameSize);
        names.insert(std::string(info.HardwareName()));
        auto streams = ReadById<DeviceStreamInfo>(*sim, IOCTL_QOR_GET_DEVICE_STREAM_INFO, id);
        EXPECT_EQ(streams.U32(0), id);
    }
    EXPECT_EQ(ids.size(), 2u);
    EXPECT_EQ(names.size(), 2u);
    EXPECT_EQ(Read<DeviceList>(*sim, IOCTL_QOR_GET_DEVICE_LIST).Id(2), 0u);
}

TEST_F(SimRecords, StreamsAndChannelsBelongToListedDevices) {
    auto list = Read<DeviceList>(*sim, IOCTL_QOR_GET_DEVICE_LIST);
    std::set<uint32_t> devices;
    for (uint32_t i = 0; i < list.Count(); ++i) devices.insert(list.Id(i));

    auto iso = Read<IsoStreamStatistics>(*sim, IOCTL_QOR_GET_ISO_STREAM_STATISTICS);
    ASSERT_EQ(iso.RawCount(Dir::In), 2u);
    ASSERT_EQ(iso.RawCount(Dir::Out), 2u);
    std::set<uint32_t> isoChannels;
    for (uint32_t s = 0; s < 2; ++s) {
        EXPECT_TRUE(devices.count(iso.In(s).DeviceId()));
        EXPECT_TRUE(devices.count(iso.Out(s).DeviceId()));
        isoChannels.insert(iso.In(s).IsoChannel());
        isoChannels.insert(iso.Out(s).IsoChannel());
        EXPECT_LT(iso.In(s).IsoChannel(), 64u);
        EXPECT_LT(iso.Out(s).IsoChannel(), 64u);
    }
    EXPECT_EQ(isoChannels.size(), 4u);
    // Exactly one stream each is the clock master and the callback master.
    EXPECT_EQ(iso.In(0).U8(8) + iso.In(1).U8(8) + iso.Out(0).U8(8) + iso.Out(1).U8(8), 1);
    EXPECT_EQ(iso.In(0).U8(9) + iso.In(1).U8(9) + iso.Out(0).U8(9) + iso.Out(1).U8(9), 1);
    for (size_t off = IsoStreamStatistics::EntryOffset(Dir::In, 2); off < IsoStreamStatistics::OutCountOffset; ++off)
        ASSERT_EQ(iso.U8(off), 0) << "unused input entries are zero";

    auto bundles = Read<BundleList>(*sim, IOCTL_QOR_GET_BUNDLE_LIST);
    for (Dir d : {Dir::In, Dir::Out}) {
        for (uint32_t b = 0; b < bundles.Count(d); ++b) {
            auto bundle = ReadById<ChannelBundleInfo>(*sim, IOCTL_QOR_GET_BUNDLE_INFO, bundles.Id(d, b));
            for (uint32_t c = 0; c < bundle.ChannelCount(); ++c) {
                auto ch = ReadById<ChannelInfo>(*sim, IOCTL_QOR_GET_CHANNEL_INFO, bundle.Entry(c).ChannelId());
                EXPECT_TRUE(devices.count(ch.DeviceId())) << ch.HardwareName();
            }
        }
    }
}

TEST_F(SimRecords, BundlesOfEveryKindWithNamedChannels) {
    auto list = Read<BundleList>(*sim, IOCTL_QOR_GET_BUNDLE_LIST);
    struct Expected {
        uint32_t type, channels, format;
    };
    const Expected in[] = {{2, 2, 1}, {3, 8, 1}, {1, 1, 1}, {101, 2, 2}, {200, 1, 3}};
    const Expected out[] = {{2, 2, 1}, {3, 8, 1}, {1, 1, 1}, {100, 2, 2}, {200, 1, 3}};
    std::set<uint32_t> bundleIds, channelIds;
    std::set<std::string> inNames, outNames;
    for (Dir d : {Dir::In, Dir::Out}) {
        const Expected* expected = d == Dir::In ? in : out;
        ASSERT_EQ(list.RawCount(d), 5u);
        for (uint32_t b = 0; b < 5; ++b) {
            uint32_t id = list.Id(d, b);
            bundleIds.insert(id);
            auto bundle = ReadById<ChannelBundleInfo>(*sim, IOCTL_QOR_GET_BUNDLE_INFO, id);
            EXPECT_EQ(bundle.BundleId(), id);
            EXPECT_EQ(bundle.BundleType(), expected[b].type);
            ASSERT_EQ(bundle.RawChannelCount(), expected[b].channels);
            for (uint32_t c = 0; c < bundle.ChannelCount(); ++c) {
                BundleChannelEntry e = bundle.Entry(c);
                EXPECT_EQ(e.Format(), expected[b].format);
                EXPECT_NE(e.U32(BundleChannelEntryField::IsEnabled), 0u);
                channelIds.insert(e.ChannelId());
                auto ch = ReadById<ChannelInfo>(*sim, IOCTL_QOR_GET_CHANNEL_INFO, e.ChannelId());
                EXPECT_EQ(ch.U32(ChannelInfoField::ChannelId), e.ChannelId());
                EXPECT_EQ(ch.DirectionCode(), d == Dir::In ? 0u : 1u);
                EXPECT_FALSE(ch.NickName().empty());
                (d == Dir::In ? inNames : outNames).insert(std::string(ch.HardwareName()));
            }
        }
    }
    EXPECT_EQ(bundleIds.size(), 10u);
    EXPECT_EQ(channelIds.size(), 28u);
    for (const char* name : {"Analog In 1", "Analog In 2", "SPDIF In L", "SPDIF In R", "MIDI In"})
        EXPECT_TRUE(inNames.count(name)) << name;
    for (const char* name : {"Analog Out 1", "SPDIF Out L", "MIDI Out"}) EXPECT_TRUE(outNames.count(name)) << name;
}

TEST_F(SimRecords, DriverVersionCarriesTheBuildFlags) {
    auto v = Read<DriverVersion>(*sim, IOCTL_QOR_GET_DRIVER_VERSION);
    EXPECT_EQ(v.Flags(), DriverVersion::FlagDebugBuild | DriverVersion::FlagExtendedStatistics);
    EXPECT_GT(v.ReleaseMajor(), 0);

    SimOptions release;
    release.debugBuild = false;
    release.extendedStatistics = false;
    DriverSimulator plain(release);
    EXPECT_EQ(Read<DriverVersion>(plain, IOCTL_QOR_GET_DRIVER_VERSION).Flags(), 0u);
    plain.SetExtendedStatistics(true);
    EXPECT_EQ(Read<DriverVersion>(plain, IOCTL_QOR_GET_DRIVER_VERSION).Flags(), DriverVersion::FlagExtendedStatistics);
    plain.SetDebugBuild(true);
    plain.SetExtendedStatistics(false);
    EXPECT_EQ(Read<DriverVersion>(plain, IOCTL_QOR_GET_DRIVER_VERSION).Flags(), DriverVersion::FlagDebugBuild);

    sim->SetDriverVersion(1, 2, 3, 4, 127, 2);
    v = Read<DriverVersion>(*sim, IOCTL_QOR_GET_DRIVER_VERSION);
    EXPECT_EQ(v.InterfaceMajor(), 1);
    EXPECT_EQ(v.InterfaceMinor(), 2);
    EXPECT_EQ(v.ReleaseMajor(), 3);
    EXPECT_EQ(v.ReleaseMinor(), 4);
    EXPECT_EQ(v.ReleaseBuild(), 127u);
    EXPECT_EQ(v.Flags(), 2u);
}

TEST_F(SimRecords, ExtendedCountersAreNotAvailableWithoutExtendedStatistics) {
    sim->Advance(1000);
    auto asio = Read<AsioStatistics>(*sim, IOCTL_QOR_GET_ASIO_STATISTICS);
    auto iso = Read<IsoStreamStatistics>(*sim, IOCTL_QOR_GET_ISO_STREAM_STATISTICS);
    constexpr size_t AsioExtended[] = {AsioStatisticsField::TotalBufferSwitches,
                                       AsioStatisticsField::TotalSamplesTransferred,
                                       AsioStatisticsField::MinBufferSwitchInterval,
                                       AsioStatisticsField::MaxBufferSwitchInterval};
    for (size_t off : AsioExtended) EXPECT_NE(asio.U32(off), ValueNotAvailable) << off;
    EXPECT_NE(iso.In(0).U32(IsoInField::MaxPacketSize), ValueNotAvailable);

    sim->SetExtendedStatistics(false);
    asio = Read<AsioStatistics>(*sim, IOCTL_QOR_GET_ASIO_STATISTICS);
    iso = Read<IsoStreamStatistics>(*sim, IOCTL_QOR_GET_ISO_STREAM_STATISTICS);
    for (size_t off : AsioExtended) EXPECT_EQ(asio.U32(off), ValueNotAvailable) << off;
    EXPECT_EQ(asio.SampleRate(), 48000u);
    // Each entry's extended fields run from the first to the last named here.
    for (uint32_t s = 0; s < 2; ++s) {
        for (size_t off = IsoInField::MinPacketSize; off <= IsoInField::FramePtrDistExceedsL2; off += 4)
            EXPECT_EQ(iso.In(s).U32(off), ValueNotAvailable) << off;
        for (size_t off = IsoOutField::MinCallbackInterval; off <= IsoOutField::MaxDataBlocksPerPacket; off += 4)
            EXPECT_EQ(iso.Out(s).U32(off), ValueNotAvailable) << off;
        EXPECT_NE(iso.In(s).U32(IsoInField::TotalPacketsReceived), ValueNotAvailable);
        EXPECT_NE(iso.In(s).U32(IsoInField::IsoRxError), ValueNotAvailable);
        EXPECT_NE(iso.Out(s).U32(IsoOutField::FramePtrNotLocked), ValueNotAvailable);
    }
}

TEST_F(SimRecords, SampleRateReachesEveryRecordThatShowsIt) {
    struct Case {
        uint32_t rate, sfc, maxBlocks;
    };
    for (Case c : {Case{44100, 1, 8}, Case{96000, 4, 16}, Case{192000, 6, 32}, Case{12345, 0xFFFFFFFF, 8}}) {
        SCOPED_TRACE(c.rate);
        sim->SetSampleRate(c.rate);
        EXPECT_EQ(Read<SampleRateInfo>(*sim, IOCTL_QOR_GET_SAMPLE_RATE_INFO).SampleRate(), c.rate);
        auto asio = Read<AsioStatistics>(*sim, IOCTL_QOR_GET_ASIO_STATISTICS);
        EXPECT_EQ(asio.SampleRate(), c.rate);
        namespace A = AsioStatisticsField;
        EXPECT_EQ(asio.U32(A::RefClockIntervalMicros),
                  uint32_t(uint64_t(asio.U32(A::RefClockIntervalSamples)) * 1000000 / c.rate));
        const uint32_t switchMicros = asio.U32(A::CurrentSwitchIntervalMicros);
        EXPECT_EQ(switchMicros, uint32_t(uint64_t(asio.U32(A::CurrentSwitchIntervalSamples)) * 1000000 / c.rate));
        EXPECT_LE(asio.U32(A::MinBufferSwitchInterval), switchMicros);
        EXPECT_GE(asio.U32(A::MaxBufferSwitchInterval), switchMicros);
        auto iso = Read<IsoStreamStatistics>(*sim, IOCTL_QOR_GET_ISO_STREAM_STATISTICS);
        EXPECT_EQ(iso.In(0).U32(IsoInField::ExpectedSFC), c.sfc);
        EXPECT_EQ(iso.In(1).U32(IsoInField::CurrentSFC), c.sfc);
        EXPECT_EQ(iso.Out(0).U32(IsoOutField::CurrentSFC), c.sfc);
        EXPECT_EQ(iso.In(0).U32(IsoInField::MaxDataBlocksPerPacket), c.maxBlocks);
        EXPECT_EQ(iso.Out(1).U32(IsoOutField::MaxDataBlocksPerPacket), c.maxBlocks);
    }
}

// ---- Maximum load ----

TEST(SimMaxLoad, FillsEveryCapacityWithDistinctIds) {
    auto sim = std::make_unique<DriverSimulator>(SimOptions::MaxLoad());
    auto devices = Read<DeviceList>(*sim, IOCTL_QOR_GET_DEVICE_LIST);
    ASSERT_EQ(devices.RawCount(), 64u);
    std::set<uint32_t> deviceIds;
    for (uint32_t i = 0; i < 64; ++i) deviceIds.insert(devices.Id(i));
    EXPECT_EQ(deviceIds.size(), 64u);
    EXPECT_FALSE(deviceIds.count(0));

    auto iso = Read<IsoStreamStatistics>(*sim, IOCTL_QOR_GET_ISO_STREAM_STATISTICS);
    EXPECT_EQ(iso.RawCount(Dir::In), 16u);
    EXPECT_EQ(iso.RawCount(Dir::Out), 16u);
    for (uint32_t s = 0; s < 16; ++s) EXPECT_TRUE(deviceIds.count(iso.Out(s).DeviceId()));

    auto bundles = Read<BundleList>(*sim, IOCTL_QOR_GET_BUNDLE_LIST);
    std::set<uint32_t> channelIds;
    for (Dir d : {Dir::In, Dir::Out}) {
        ASSERT_EQ(bundles.RawCount(d), 128u);
        for (uint32_t b = 0; b < 128; ++b) {
            auto bundle = ReadById<ChannelBundleInfo>(*sim, IOCTL_QOR_GET_BUNDLE_INFO, bundles.Id(d, b));
            ASSERT_EQ(bundle.RawChannelCount(), 16u);
            for (uint32_t c = 0; c < 16; ++c) channelIds.insert(bundle.Entry(c).ChannelId());
        }
    }
    EXPECT_EQ(channelIds.size(), 2u * 128 * 16);
}

TEST(SimMaxLoad, OneRefreshReadsEverythingWithoutAFailure) {
    auto sim = std::make_unique<DriverSimulator>(SimOptions::MaxLoad());
    sim::SimControlDevice device(*sim);
    auto dev = std::make_unique<CDev>(device);
    ASSERT_EQ(dev->Open(), 0u);
    EXPECT_EQ(dev->ReadDriverVersion(), 0);
    EXPECT_EQ(dev->ReadAsioStatistics(), 0);
    EXPECT_EQ(dev->ReadAsioInfo(), 0);
    dev->ReadDevices();
    EXPECT_EQ(dev->ReadIsoStreamStatistics(), 0);
    EXPECT_EQ(dev->ReadChannelBundles(), 0u);
    dev->Close();

    EXPECT_EQ(dev->DeviceCount(), 64u);
    const StatisticsSnapshot& s = dev->Snapshot();
    EXPECT_EQ(s.Device(63).DeviceId(), sim->DeviceId(63));
    EXPECT_EQ(s.Channel(Dir::Out, 127, 15).U32(ChannelInfoField::ChannelId), sim->ChannelId(Dir::Out, 127, 15));
    EXPECT_EQ(s.Channel(Dir::Out, 127, 15).DirectionCode(), 1u);
    // version, ASIO x2, device list + 2 per device, ISO, bundle list + per bundle 1 + 16 channels
    EXPECT_EQ(sim->TotalRequests(), 3u + (1 + 2 * 64) + 1 + (1 + 2 * 128 * 17));
}
