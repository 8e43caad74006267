#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "driver/CDev.h"
#include "driver/DriverRecords.h"
#include "driver/IoctlCodes.h"
#include "platform/WinError.h"
#include "sim/DriverSimulator.h"
#include "sim/SimControlDevice.h"

using sim::DriverSimulator;
using sim::FaultPlan;

namespace {

constexpr uint8_t Guard = 0xCD;

struct Answer {
    uint32_t status = 0;
    uint32_t returned = 0;
    std::vector<uint8_t> bytes;
};

Answer Ask(DriverSimulator& s, uint32_t code, uint32_t size, const uint32_t* id = nullptr) {
    Answer a;
    a.bytes.assign(size, Guard);
    uint8_t in[4];
    if (id) Le::PutU32(in, *id);
    bool answered = true;
    a.status = s.Handle(code, id ? in : nullptr, id ? 4 : 0, a.bytes.data(), size, a.returned, answered);
    EXPECT_TRUE(answered || a.status == WinError::SemTimeout);
    return a;
}

bool Untouched(const Answer& a) {
    return std::all_of(a.bytes.begin(), a.bytes.end(), [](uint8_t b) { return b == Guard; });
}

struct SimFaults : ::testing::Test {
    std::unique_ptr<DriverSimulator> sim = std::make_unique<DriverSimulator>();
    void Plan(const FaultPlan& p) { sim->SetFaults(p); }
};

}  // namespace

TEST_F(SimFaults, ChosenCodeFailsAlwaysOrEveryNthTime) {
    FaultPlan p;
    p.failCode = IOCTL_QOR_GET_DEVICE_LIST;
    p.failError = WinError::AccessDenied;
    Plan(p);
    for (int i = 0; i < 3; ++i) {
        Answer a = Ask(*sim, IOCTL_QOR_GET_DEVICE_LIST, 260);
        EXPECT_EQ(a.status, WinError::AccessDenied);
        EXPECT_EQ(a.returned, 0u);
        EXPECT_TRUE(Untouched(a));
    }
    EXPECT_EQ(Ask(*sim, IOCTL_QOR_GET_BUNDLE_LIST, 1032).status, 0u) << "other codes are not affected";

    p.failEvery = 3;
    p.failError = WinError::GenFailure;
    Plan(p);
    std::vector<uint32_t> results;
    for (int i = 0; i < 7; ++i) results.push_back(Ask(*sim, IOCTL_QOR_GET_DEVICE_LIST, 260).status);
    EXPECT_EQ(results, (std::vector<uint32_t>{0, 0, 31, 0, 0, 31, 0}));
    EXPECT_EQ(sim->RequestCount(IOCTL_QOR_GET_DEVICE_LIST), 10u) << "failed requests are logged too";
}

TEST_F(SimFaults, OvercountReportsMoreThanAnyRecordHolds) {
    FaultPlan p;
    p.overcount = true;
    Plan(p);
    Answer list = Ask(*sim, IOCTL_QOR_GET_DEVICE_LIST, 260);
    EXPECT_EQ(Le::U32(list.bytes.data()), 200u);
    Answer bundles = Ask(*sim, IOCTL_QOR_GET_BUNDLE_LIST, 1032);
    EXPECT_EQ(Le::U32(bundles.bytes.data()), 500u);
    EXPECT_EQ(Le::U32(bundles.bytes.data() + 516), 500u);
    uint32_t bundleId = sim->BundleId(Dir::In, 0);
    Answer bundle = Ask(*sim, IOCTL_QOR_GET_BUNDLE_INFO, 908, &bundleId);
    EXPECT_EQ(Le::U32(bundle.bytes.data() + 8), 99u);
    Answer iso = Ask(*sim, IOCTL_QOR_GET_ISO_STREAM_STATISTICS, 4040);
    EXPECT_EQ(Le::U32(iso.bytes.data()), 40u);
    EXPECT_EQ(Le::U32(iso.bytes.data() + 2628), 40u);

    // The panel's reader clamps and survives (the sanitizer builds watch the buffers).
    sim::SimControlDevice device(*sim);
    auto dev = std::make_unique<CDev>(device);
    ASSERT_EQ(dev->Open(), 0u);
    dev->ReadDevices();
    EXPECT_EQ(dev->DeviceCount(), DeviceList::Capacity);
    EXPECT_EQ(dev->Snapshot().Device(1).DeviceId(), sim->DeviceId(1));
    EXPECT_EQ(dev->ReadChannelBundles(), CDev::BundleReadFailed);
    EXPECT_EQ(dev->ReadIsoStreamStatistics(), 0);
    EXPECT_EQ(dev->Snapshot().isoStreamStatistics.Count(Dir::In), IsoStreamStatistics::Capacity);
}

TEST_F(SimFaults, NamesCanFillTheirFieldsWithoutNul) {
    FaultPlan p;
    p.namesWithoutNul = true;
    Plan(p);
    uint32_t deviceId = sim->DeviceId(0);
    Answer dev = Ask(*sim, IOCTL_QOR_GET_DEVICE_INFO, 432, &deviceId);
    ASSERT_EQ(dev.status, 0u);
    DeviceInfo info;
    std::memcpy(info.Data(), dev.bytes.data(), 432);
    EXPECT_EQ(info.HardwareName().size(), DeviceInfoField::HardwareNameSize);
    EXPECT_EQ(info.NickName().size(), DeviceInfoField::NickNameSize);
    EXPECT_EQ(info.HardwareName().rfind("Velmoric", 0), 0u) << "the name itself is kept";

    uint32_t channelId = sim->ChannelId(Dir::Out, 3, 1);
    Answer ch = Ask(*sim, IOCTL_QOR_GET_CHANNEL_INFO, 92, &channelId);
    ChannelInfo channel;
    std::memcpy(channel.Data(), ch.bytes.data(), 92);
    EXPECT_EQ(channel.HardwareName().size(), ChannelInfoField::NameSize);
    EXPECT_EQ(channel.NickName().size(), ChannelInfoField::NameSize);
    EXPECT_EQ(channel.DeviceId(), sim->DeviceId(1)) << "the fields after a name are intact";

    sim::SimControlDevice device(*sim);
    auto cdev = std::make_unique<CDev>(device);
    ASSERT_EQ(cdev->Open(), 0u);
    const char* name = cdev->GetDeviceName(deviceId);
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(std::strlen(name), CDev::NameBufferSize - 1);
}

TEST_F(SimFaults, ShortAnswersSucceedWithHalfARecordAndLeaveTheRest) {
    FaultPlan p;
    p.shortAnswers = true;
    p.shortCode = IOCTL_QOR_GET_ASIO_STATISTICS;
    Plan(p);
    Answer asio = Ask(*sim, IOCTL_QOR_GET_ASIO_STATISTICS, 64);
    EXPECT_EQ(asio.status, 0u);
    EXPECT_EQ(asio.returned, 32u);
    EXPECT_EQ(Le::U32(asio.bytes.data()), 48000u);
    EXPECT_TRUE(std::all_of(asio.bytes.begin() + 32, asio.bytes.end(), [](uint8_t b) { return b == Guard; }));
    EXPECT_EQ(Ask(*sim, IOCTL_QOR_GET_ASIO_INFO, 132).returned, 132u) << "only the chosen code";

    p.shortCode = 0;
    Plan(p);
    for (const IoctlInfo& info : IoctlTable) {
        if (info.outputSize == 0 || info.inputSize) continue;
        SCOPED_TRACE(info.name);
        Answer a = Ask(*sim, info.code, info.outputSize);
        EXPECT_EQ(a.status, 0u);
        EXPECT_EQ(a.returned, info.outputSize / 2);
    }
    uint32_t returned = 9;
    EXPECT_EQ(sim->Handle(IOCTL_QOR_CLEAR_STATISTICS, nullptr, 0, nullptr, 0, returned), 0u);
    EXPECT_EQ(returned, 0u);
}

TEST_F(SimFaults, UnansweredCodeTimesOutAtOnceInProcess) {
    FaultPlan p;
    p.noAnswerCode = IOCTL_QOR_GET_ISO_STREAM_STATISTICS;
    Plan(p);
    Answer a = Ask(*sim, IOCTL_QOR_GET_ISO_STREAM_STATISTICS, 4040);
    EXPECT_EQ(a.status, WinError::SemTimeout);
    EXPECT_TRUE(Untouched(a));
    bool answered = true;
    uint32_t returned = 0;
    uint8_t out[4040];
    sim->Handle(IOCTL_QOR_GET_ISO_STREAM_STATISTICS, nullptr, 0, out, sizeof out, returned, answered);
    EXPECT_FALSE(answered);
    sim->Handle(IOCTL_QOR_GET_ASIO_INFO, nullptr, 0, out, sizeof out, returned, answered);
    EXPECT_TRUE(answered);

    sim::SimControlDevice device(*sim);
    ASSERT_EQ(device.Open(), 0u);
    EXPECT_EQ(device.Control(IOCTL_QOR_GET_ISO_STREAM_STATISTICS, nullptr, 0, out, sizeof out, returned),
              WinError::SemTimeout);
    EXPECT_EQ(device.Control(IOCTL_QOR_GET_DRIVER_VERSION, nullptr, 0, out, sizeof out, returned), 0u);
}
