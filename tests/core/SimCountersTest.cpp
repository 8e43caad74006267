#include <gtest/gtest.h>

#include <memory>

#include "driver/DriverRecords.h"
#include "driver/IoctlCodes.h"
#include "platform/WinError.h"
#include "sim/DriverSimulator.h"

using sim::DriverSimulator;
using sim::SimOptions;

namespace {

// The output error counters the simulator counts (it keeps no frame pointer offset).
constexpr size_t OutErrors[] = {IsoOutField::FramePtrNotLocked, IsoOutField::RestartForced,
                                IsoOutField::BusDriverCallFailed, IsoOutField::BufferAttachFailed,
                                IsoOutField::BufferDetachFailed};

template <typename R>
R Read(DriverSimulator& s, uint32_t code, const uint32_t* id = nullptr) {
    R record;
    uint8_t in[4];
    if (id) Le::PutU32(in, *id);
    uint32_t returned = 0;
    EXPECT_EQ(s.Handle(code, id ? in : nullptr, id ? 4 : 0, record.Data(), uint32_t(R::Size), returned), 0u);
    return record;
}

IsoStreamStatistics Iso(DriverSimulator& s) { return Read<IsoStreamStatistics>(s, IOCTL_QOR_GET_ISO_STREAM_STATISTICS); }
AsioStatistics Asio(DriverSimulator& s) { return Read<AsioStatistics>(s, IOCTL_QOR_GET_ASIO_STATISTICS); }
ChannelBundleInfo Bundle(DriverSimulator& s, Dir d, uint32_t b) {
    uint32_t id = s.BundleId(d, b);
    return Read<ChannelBundleInfo>(s, IOCTL_QOR_GET_BUNDLE_INFO, &id);
}

uint64_t InErrors(const IsoInStream& e) {
    uint64_t sum = 0;
    for (size_t off = IsoInField::IsoRxError; off <= IsoInField::BufferDetachFailed; off += 4) sum += e.U32(off);
    return sum;
}
uint64_t OutErrorSum(const IsoOutStream& e) {
    uint64_t sum = 0;
    for (size_t off : OutErrors) sum += e.U32(off);
    return sum;
}

void Send(DriverSimulator& s, uint32_t code, uint32_t value) {
    uint8_t in[4];
    Le::PutU32(in, value);
    uint32_t returned = 0;
    EXPECT_EQ(s.Handle(code, in, 4, nullptr, 0, returned), 0u);
}

uint32_t GetTraceMask(DriverSimulator& s) {
    uint8_t out[4];
    uint32_t returned = 0;
    EXPECT_EQ(s.Handle(IOCTL_QOR_GET_TRACE_MASK, nullptr, 0, out, 4, returned), 0u);
    return Le::U32(out);
}

struct SimCounters : ::testing::Test {
    std::unique_ptr<DriverSimulator> sim = std::make_unique<DriverSimulator>();
};

}  // namespace

// ---- Counters follow the simulated clock ----

TEST_F(SimCounters, StreamsCountPacketsAndSamplesAtTheSampleRate) {
    sim->Advance(1000);
    auto iso = Iso(*sim);
    for (uint32_t s = 0; s < 2; ++s) {
        IsoInStream in = iso.In(s);
        EXPECT_EQ(in.U32(IsoInField::TotalPacketsReceived), 8000u);
        EXPECT_EQ(in.U32(IsoInField::DataPacketsReceived), 6000u);  // 48000 samples in packets of 8
        EXPECT_EQ(in.U32(IsoInField::EmptyPacketsReceived), 2000u);
        EXPECT_EQ(in.U32(IsoInField::SamplesTransferred), 48000u);
        IsoOutStream out = iso.Out(s);
        EXPECT_EQ(out.U32(IsoOutField::TotalPacketsSent), 8000u);
        EXPECT_EQ(out.U32(IsoOutField::DataPacketsSent) + out.U32(IsoOutField::EmptyPacketsSent), 8000u);
        EXPECT_EQ(out.U32(IsoOutField::SamplesTransferred), 48000u);
    }
    // Nothing moves between reads: time only passes through Advance.
    auto again = Iso(*sim);
    EXPECT_EQ(again.bytes, iso.bytes);
}

TEST_F(SimCounters, FractionalRatesCarryOverAndDoNotDependOnStepSize) {
    auto fine = std::make_unique<DriverSimulator>();
    for (auto* s : {sim.get(), fine.get()}) s->SetSampleRate(44100);
    sim->Advance(2000);
    for (int i = 0; i < 2000; ++i) fine->Advance(1);
    for (auto* s : {sim.get(), fine.get()}) {
        auto iso = Iso(*s);
        IsoInStream in = iso.In(1);
        EXPECT_EQ(in.U32(IsoInField::TotalPacketsReceived), 16000u);
        EXPECT_EQ(in.U32(IsoInField::DataPacketsReceived), 11025u);  // 5512.5 a second
        EXPECT_EQ(in.U32(IsoInField::EmptyPacketsReceived), 16000u - 11025u);
        EXPECT_EQ(in.U32(IsoInField::SamplesTransferred), 88200u);
    }
    EXPECT_EQ(Iso(*sim).bytes, Iso(*fine).bytes);
    EXPECT_EQ(Asio(*sim).bytes, Asio(*fine).bytes);
    EXPECT_EQ(sim->ElapsedMs(), 2000u);
}

TEST_F(SimCounters, HigherRatesUseLargerPacketsAtTheSamePacketRate) {
    sim->SetSampleRate(96000);
    sim->Advance(1000);
    auto iso = Iso(*sim);
    IsoOutStream out = iso.Out(0);
    EXPECT_EQ(out.U32(IsoOutField::TotalPacketsSent), 8000u);
    EXPECT_EQ(out.U32(IsoOutField::DataPacketsSent), 6000u);
    EXPECT_EQ(out.U32(IsoOutField::SamplesTransferred), 96000u);
}

TEST_F(SimCounters, AsioSwitchesBuffersAndChannelsTransferData) {
    AsioStatistics before = Asio(*sim);
    uint32_t interval = before.U32(AsioStatisticsField::CurrentSwitchIntervalSamples);
    ASSERT_GT(interval, 0u);
    sim->Advance(4000);
    AsioStatistics asio = Asio(*sim);
    EXPECT_EQ(asio.U32(AsioStatisticsField::TotalBufferSwitches), 4 * 48000 / interval);
    EXPECT_EQ(asio.U32(AsioStatisticsField::TotalSamplesTransferred), 4 * 48000 / interval * interval);

    ChannelBundleInfo stereo = Bundle(*sim, Dir::In, 0);
    EXPECT_EQ(stereo.Entry(0).U32(BundleChannelEntryField::SamplesTransferred), 4u * 48000);
    EXPECT_EQ(stereo.Entry(1).U32(BundleChannelEntryField::SamplesTransferred), 4u * 48000);
    EXPECT_EQ(stereo.Entry(0).U32(BundleChannelEntryField::MidiBytesTransferred), 0u);
    ChannelBundleInfo midi = Bundle(*sim, Dir::Out, 4);
    ASSERT_EQ(midi.Entry(0).Format(), 3u);
    EXPECT_GT(midi.Entry(0).U32(BundleChannelEntryField::MidiBytesTransferred), 0u);
    EXPECT_EQ(midi.Entry(0).U32(BundleChannelEntryField::SamplesTransferred), 0u);
}

// ---- Poked values are state ----

TEST_F(SimCounters, PokedValuesStickAndCountersMoveOnFromThem) {
    EXPECT_TRUE(sim->SetIsoInField(1, IsoInField::TotalPacketsReceived, 1000));
    EXPECT_TRUE(sim->SetIsoInField(1, IsoInField::SynchState, 7));
    EXPECT_TRUE(sim->SetIsoInField(1, IsoInField::IsCallbackMaster, 1, 1));  // a single byte
    EXPECT_TRUE(sim->SetIsoOutField(0, IsoOutField::FramePtrOffset, 0xFFFFFFFF));
    EXPECT_TRUE(sim->SetAsioStatisticsField(AsioStatisticsField::WorkerThreadPriority, 0xFFFFFFFF));
    EXPECT_TRUE(sim->SetAsioInfoField(AsioInfoField::CountersValid, 0));
    EXPECT_TRUE(sim->SetBundleEntryField(Dir::In, 0, 1, BundleChannelEntryField::NoBuffer, 3));
    EXPECT_TRUE(sim->SetDeviceNames(1, "Interface A", "A"));
    sim->Advance(1000);

    auto iso = Iso(*sim);
    EXPECT_EQ(iso.In(1).U32(IsoInField::TotalPacketsReceived), 9000u);
    EXPECT_EQ(iso.In(1).U32(IsoInField::SynchState), 7u);
    EXPECT_EQ(iso.In(1).U8(9), 1);
    EXPECT_EQ(iso.In(1).U8(8), 0) << "the byte beside it is untouched";
    EXPECT_EQ(iso.Out(0).U32(IsoOutField::FramePtrOffset), 0xFFFFFFFFu);
    EXPECT_EQ(Asio(*sim).U32(AsioStatisticsField::WorkerThreadPriority), 0xFFFFFFFFu);
    EXPECT_EQ(Read<AsioInfo>(*sim, IOCTL_QOR_GET_ASIO_INFO).CountersValid(), 0u);
    EXPECT_EQ(Bundle(*sim, Dir::In, 0).Entry(1).U32(BundleChannelEntryField::NoBuffer), 3u);
    uint32_t id = sim->DeviceId(1);
    auto dev = Read<DeviceInfo>(*sim, IOCTL_QOR_GET_DEVICE_INFO, &id);
    EXPECT_EQ(dev.HardwareName(), "Interface A");
    EXPECT_EQ(dev.NickName(), "A");
}

TEST_F(SimCounters, PokesOutsideTheRecordsAreRefused) {
    EXPECT_FALSE(sim->SetIsoInField(16, IsoInField::TotalPacketsReceived, 1));
    EXPECT_FALSE(sim->SetIsoInField(0, IsoInStream::Size - 3, 1));
    EXPECT_TRUE(sim->SetIsoInField(0, IsoInStream::Size - 1, 1, 1));
    EXPECT_FALSE(sim->SetIsoInField(0, IsoInStream::Size, 1, 1));
    EXPECT_FALSE(sim->SetIsoOutField(0, IsoOutStream::Size, 1));
    EXPECT_FALSE(sim->SetIsoOutField(0, IsoOutField::IsSampleClockMaster, 1, 2));
    EXPECT_FALSE(sim->SetAsioStatisticsField(AsioStatistics::Size, 1));
    EXPECT_FALSE(sim->SetAsioInfoField(AsioInfo::Size - 3, 1));
    EXPECT_FALSE(sim->SetDeviceNames(64, "x", "y"));
    EXPECT_FALSE(sim->SetDeviceId(64, 1));
    EXPECT_FALSE(sim->SetBundleType(Dir::In, 128, 1));
    EXPECT_FALSE(sim->SetChannelNames(Dir::Out, 0, 16, "x", "y"));
    EXPECT_FALSE(sim->SetBundleEntryField(Dir::Out, 0, 0, BundleChannelEntry::Size - 3, 1));
    EXPECT_FALSE(sim->SetChannelInfoField(Dir::Out, 0, 0, ChannelInfo::Size - 3, 1));
}

TEST_F(SimCounters, LayoutChangesRelinkStreamsAndChannelsToTheDevices) {
    sim->SetDeviceId(0, 0x00001A2B);
    sim->SetDeviceCount(1);
    auto iso = Iso(*sim);
    EXPECT_EQ(iso.In(1).DeviceId(), 0x00001A2Bu);
    EXPECT_EQ(iso.Out(1).DeviceId(), 0x00001A2Bu);
    uint32_t ch = sim->ChannelId(Dir::Out, 1, 0);
    EXPECT_EQ(Read<ChannelInfo>(*sim, IOCTL_QOR_GET_CHANNEL_INFO, &ch).DeviceId(), 0x00001A2Bu);

    sim->SetStreamCounts(3, 1);
    iso = Iso(*sim);
    EXPECT_EQ(iso.RawCount(Dir::In), 3u);
    EXPECT_EQ(iso.RawCount(Dir::Out), 1u);
    sim->SetStreamCounts(99, 0);
    EXPECT_EQ(Iso(*sim).RawCount(Dir::In), 16u);

    sim->SetBundleCounts(3, 0, 4);
    auto list = Read<BundleList>(*sim, IOCTL_QOR_GET_BUNDLE_LIST);
    EXPECT_EQ(list.RawCount(Dir::In), 3u);
    EXPECT_EQ(list.RawCount(Dir::Out), 0u);
    EXPECT_EQ(Bundle(*sim, Dir::In, 2).RawChannelCount(), 4u);
    EXPECT_EQ(Bundle(*sim, Dir::In, 0).BundleType(), 3u) << "four analog channels make a multi-channel bundle";

    sim->SetDeviceCount(0);
    EXPECT_EQ(Read<DeviceList>(*sim, IOCTL_QOR_GET_DEVICE_LIST).RawCount(), 0u);
    EXPECT_EQ(Iso(*sim).RawCount(Dir::In), 0u) << "no device, no streams";
    EXPECT_EQ(Read<BundleList>(*sim, IOCTL_QOR_GET_BUNDLE_LIST).RawCount(Dir::In), 0u);
}

// ---- Clearing, errors, hot-plug ----

TEST_F(SimCounters, ClearStatisticsZeroesCountersAndKeepsSettings) {
    sim->SetErrorRate(50);
    sim->Advance(3000);
    ASSERT_GT(InErrors(Iso(*sim).In(0)), 0u);
    uint32_t returned = 99;
    EXPECT_EQ(sim->Handle(IOCTL_QOR_CLEAR_STATISTICS, nullptr, 0, nullptr, 0, returned), 0u);
    EXPECT_EQ(returned, 0u);

    auto iso = Iso(*sim);
    for (uint32_t s = 0; s < 2; ++s) {
        EXPECT_EQ(iso.In(s).U32(IsoInField::TotalPacketsReceived), 0u);
        EXPECT_EQ(iso.In(s).U32(IsoInField::SamplesTransferred), 0u);
        EXPECT_EQ(InErrors(iso.In(s)), 0u);
        EXPECT_EQ(iso.Out(s).U32(IsoOutField::DataPacketsSent), 0u);
        EXPECT_EQ(OutErrorSum(iso.Out(s)), 0u);
        EXPECT_EQ(iso.In(s).U32(IsoInField::SynchState), 3u);
        EXPECT_EQ(iso.In(s).U32(IsoInField::ExpectedSFC), 2u) << "SFC of 48000";
    }
    auto asio = Asio(*sim);
    EXPECT_EQ(asio.U32(AsioStatisticsField::TotalBufferSwitches), 0u);
    EXPECT_EQ(asio.U32(AsioStatisticsField::TotalSamplesTransferred), 0u);
    EXPECT_EQ(asio.SampleRate(), 48000u);
    EXPECT_EQ(Bundle(*sim, Dir::In, 1).Entry(5).U32(BundleChannelEntryField::SamplesTransferred), 0u);
    EXPECT_EQ(Bundle(*sim, Dir::In, 1).Entry(5).Format(), 1u);

    sim->SetErrorRate(0);
    sim->Advance(1000);
    EXPECT_EQ(Iso(*sim).In(0).U32(IsoInField::TotalPacketsReceived), 8000u) << "counting goes on after a clear";
}

TEST_F(SimCounters, ErrorRateFeedsTheErrorCountersOfEveryStream) {
    sim->Advance(10000);
    auto iso = Iso(*sim);
    EXPECT_EQ(InErrors(iso.In(0)) + InErrors(iso.In(1)) + OutErrorSum(iso.Out(0)) + OutErrorSum(iso.Out(1)), 0u);

    sim->SetErrorRate(1.0);  // one a second, exactly, per stream
    for (int i = 0; i < 10; ++i) sim->Advance(1000);
    iso = Iso(*sim);
    for (uint32_t s = 0; s < 2; ++s) {
        EXPECT_EQ(InErrors(iso.In(s)), 10u);
        EXPECT_EQ(OutErrorSum(iso.Out(s)), 10u);
    }

    // A fractional rate: reproducible for a seed, roughly the expected number.
    SimOptions o;
    o.errorRate = 0.5;
    DriverSimulator a(o), b(o);
    for (int i = 0; i < 200; ++i) {
        a.Advance(100);
        b.Advance(100);
    }
    EXPECT_EQ(Iso(a).bytes, Iso(b).bytes);
    uint64_t count = InErrors(Iso(a).In(0));
    EXPECT_GT(count, 2u);
    EXPECT_LT(count, 25u);
}

TEST_F(SimCounters, HotplugTakesTheLastDeviceAwayAndBringsItBack) {
    uint32_t leaving = sim->DeviceId(1);
    sim->SetHotplugPeriod(500);
    sim->Advance(499);
    EXPECT_FALSE(sim->DeviceUnplugged());
    sim->Advance(1);
    ASSERT_TRUE(sim->DeviceUnplugged());

    auto list = Read<DeviceList>(*sim, IOCTL_QOR_GET_DEVICE_LIST);
    EXPECT_EQ(list.RawCount(), 1u);
    EXPECT_EQ(list.Id(0), sim->DeviceId(0));
    uint8_t in[4], out[432];
    Le::PutU32(in, leaving);
    uint32_t returned = 0;
    EXPECT_EQ(sim->Handle(IOCTL_QOR_GET_DEVICE_INFO, in, 4, out, sizeof out, returned), WinError::InvalidParameter);
    auto iso = Iso(*sim);
    EXPECT_EQ(iso.RawCount(Dir::In), 1u);
    EXPECT_EQ(iso.In(0).DeviceId(), sim->DeviceId(0));
    auto bundles = Read<BundleList>(*sim, IOCTL_QOR_GET_BUNDLE_LIST);
    EXPECT_EQ(bundles.RawCount(Dir::In), 3u);  // bundles 0, 2 and 4 live on device 0

    sim->Advance(500);
    EXPECT_FALSE(sim->DeviceUnplugged());
    EXPECT_EQ(Read<DeviceList>(*sim, IOCTL_QOR_GET_DEVICE_LIST).RawCount(), 2u);
    iso = Iso(*sim);
    EXPECT_EQ(iso.In(0).U32(IsoInField::TotalPacketsReceived), 8000u);
    EXPECT_EQ(iso.In(1).U32(IsoInField::TotalPacketsReceived), 4000u)
        << "the stream stood still while its device was away";
}

// ---- Trace mask and request log ----

TEST_F(SimCounters, TraceMaskGetSetAndDefault) {
    EXPECT_EQ(GetTraceMask(*sim), DriverSimulator::InitialTraceMask);
    Send(*sim, IOCTL_QOR_SET_TRACE_MASK, 0x80000005);
    EXPECT_EQ(sim->TraceMask(), 0x80000005u);
    EXPECT_EQ(GetTraceMask(*sim), 0x80000005u);
    EXPECT_EQ(sim->DefaultTraceMask(), DriverSimulator::InitialTraceMask);
    Send(*sim, IOCTL_QOR_SET_DEFAULT_TRACE_MASK, 0x00000105);
    EXPECT_EQ(sim->DefaultTraceMask(), 0x00000105u);
    EXPECT_EQ(sim->TraceMask(), 0x80000005u) << "the default does not change the current mask";
    sim->SetTraceMask(5);
    EXPECT_EQ(GetTraceMask(*sim), 5u);
}

TEST_F(SimCounters, RequestLogCountsEveryRequestAndKeepsTheLastInput) {
    Send(*sim, IOCTL_QOR_SET_TRACE_MASK, 1);
    Send(*sim, IOCTL_QOR_SET_TRACE_MASK, 0xABCD);
    GetTraceMask(*sim);
    uint32_t returned = 0;
    sim->Handle(0x12345678, nullptr, 0, nullptr, 0, returned);
    EXPECT_EQ(sim->RequestCount(IOCTL_QOR_SET_TRACE_MASK), 2u);
    EXPECT_EQ(sim->LastInput(IOCTL_QOR_SET_TRACE_MASK), 0xABCDu);
    EXPECT_EQ(sim->RequestCount(IOCTL_QOR_GET_TRACE_MASK), 1u);
    EXPECT_EQ(sim->RequestCount(IOCTL_QOR_GET_DEVICE_LIST), 0u);
    EXPECT_EQ(sim->TotalRequests(), 4u);
    sim->ResetRequestLog();
    EXPECT_EQ(sim->TotalRequests(), 0u);
    EXPECT_EQ(sim->RequestCount(IOCTL_QOR_SET_TRACE_MASK), 0u);
    EXPECT_EQ(sim->LastInput(IOCTL_QOR_SET_TRACE_MASK), 0u);
}
