#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "driver/CDev.h"
#include "driver/IoctlCodes.h"
#include "support/ReadEverything.h"
#include "support/ScriptedControlDevice.h"

namespace {
using Req = ScriptedControlDevice::Request;

struct CDevTest : ::testing::Test {
    ScriptedControlDevice device;
    CDev dev{device};
    void OpenDevice() { ASSERT_EQ(dev.Open(), 0u); }
};

void PutU32(uint8_t* out, size_t off, uint32_t v) { Le::PutU32(out + off, v); }
}  // namespace

// ---- The control channel ----

TEST_F(CDevTest, ControlWhileClosedFailsWithoutTouchingTheBuffer) {
    uint8_t buffer[8];
    std::memset(buffer, 0xAB, sizeof buffer);
    uint32_t returned = 77;
    EXPECT_EQ(dev.Control(IOCTL_QOR_GET_GLOBAL_PAIR, nullptr, 0, buffer, 8, &returned), -1);
    EXPECT_EQ(returned, 0u);
    EXPECT_TRUE(device.requests.empty());
    for (uint8_t b : buffer) EXPECT_EQ(b, 0xAB);
}

TEST_F(CDevTest, OpenClosesTheOldHandleAndAFailedOpenEndsClosedWithNoDevices) {
    OpenDevice();
    device.handler = [](const Req& r, uint8_t* out) {
        if (r.code == IOCTL_QOR_GET_DEVICE_LIST) PutU32(out, 0, 3);
        return 0u;
    };
    dev.ReadDevices();
    EXPECT_EQ(dev.DeviceCount(), 3u);
    // A successful open while open: the old handle is closed first, the new one stays open.
    int closesBefore = device.closes;
    OpenDevice();
    EXPECT_EQ(device.closes, closesBefore + 1);
    EXPECT_TRUE(dev.IsOpen());
    EXPECT_EQ(dev.DeviceCount(), 3u);
    device.openResult = WinError::FileNotFound;
    EXPECT_EQ(dev.Open(), WinError::FileNotFound);
    EXPECT_FALSE(dev.IsOpen());
    EXPECT_EQ(dev.DeviceCount(), 0u);
    dev.Close();  // closing a closed device does nothing
    EXPECT_FALSE(dev.IsOpen());
}

TEST_F(CDevTest, FailedRequestPassesTheErrorCodeThrough) {
    OpenDevice();
    device.handler = [](const Req&, uint8_t*) { return 31u; };
    uint8_t b[4];
    EXPECT_EQ(dev.Control(IOCTL_QOR_GET_GLOBAL_VALUE, nullptr, 0, b, 4), 31);
    EXPECT_TRUE(dev.IsOpen());
}

// ---- Driver version ----

TEST_F(CDevTest, DriverVersionIsPublishedFromTheRecord) {
    OpenDevice();
    device.handler = [](const Req&, uint8_t* out) {
        const uint8_t v[12] = {1, 2, 3, 4, 127, 0, 0, 0, 3, 0, 0, 0};
        std::memcpy(out, v, 12);
        return 0u;
    };
    dev.Published().BuildText = "Debug Build";
    EXPECT_EQ(dev.ReadDriverVersion(), 0);
    const PublishedDriverVersion& p = dev.Published();
    EXPECT_EQ(p.interfaceMajor, 1);
    EXPECT_EQ(p.interfaceMinor, 2);
    EXPECT_EQ(p.releaseMajor, 3);
    EXPECT_EQ(p.releaseMinor, 4);
    EXPECT_EQ(p.releaseBuild, 127u);
    EXPECT_EQ(p.DebugBuild, 1u);
    EXPECT_EQ(p.ExtendedStatistics, 2u);
    EXPECT_EQ(p.BuildText, "Debug Build");  // only the information page sets it
}

TEST_F(CDevTest, FailedOrClosedVersionReadPublishesZerosAndEmptiesTheBuildText) {
    OpenDevice();
    device.handler = [](const Req&, uint8_t* out) {
        std::memset(out, 9, 12);
        return 0u;
    };
    dev.ReadDriverVersion();
    device.handler = [](const Req&, uint8_t*) { return 31u; };
    dev.Published().BuildText = "Release Build";
    EXPECT_EQ(dev.ReadDriverVersion(), 31);
    EXPECT_EQ(dev.Published().releaseBuild, 0u);
    EXPECT_EQ(dev.Published().DebugBuild, 0u);
    EXPECT_TRUE(dev.Published().BuildText.empty());
    EXPECT_EQ(dev.Snapshot().driverVersion.ReleaseBuild(), 0u);  // zeroed before the request

    // Closed: the record keeps its contents, the published values do not.
    device.handler = [](const Req&, uint8_t* out) {
        std::memset(out, 9, 12);
        return 0u;
    };
    dev.ReadDriverVersion();
    dev.Close();
    EXPECT_EQ(dev.ReadDriverVersion(), -1);
    EXPECT_EQ(dev.Published().releaseMajor, 0);
    EXPECT_EQ(dev.Snapshot().driverVersion.ReleaseMajor(), 9);
}

// ---- Devices ----

TEST_F(CDevTest, DeviceListWithNoDevicesReadsNoDeviceRecords) {
    OpenDevice();
    dev.ReadDevices();
    EXPECT_EQ(dev.DeviceCount(), 0u);
    EXPECT_EQ(device.CountOf(IOCTL_QOR_GET_DEVICE_INFO), 0u);
}

TEST_F(CDevTest, PartialDeviceFailureKeepsLaterEntriesStaleAndTheCount) {
    OpenDevice();
    int round = 0;
    device.handler = [&](const Req& r, uint8_t* out) -> uint32_t {
        if (r.code == IOCTL_QOR_GET_DEVICE_LIST) {
            PutU32(out, 0, 3);
            for (uint32_t i = 0; i < 3; ++i) PutU32(out, 4 + 4 * i, 100 + i);
            return 0;
        }
        if (r.code == IOCTL_QOR_GET_DEVICE_INFO) {
            if (round == 1 && r.input == 101) return 31;
            PutU32(out, 0, r.input + 1000 * round);
        }
        return 0;
    };
    dev.ReadDevices();
    round = 1;
    dev.ReadDevices();
    EXPECT_EQ(dev.DeviceCount(), 3u);
    EXPECT_EQ(dev.Snapshot().deviceInfo[0].DeviceId(), 1100u);  // fresh
    EXPECT_EQ(dev.Snapshot().deviceInfo[1].DeviceId(), 101u);   // failed: old contents
    EXPECT_EQ(dev.Snapshot().deviceInfo[2].DeviceId(), 102u);   // not reached: old contents

    // A failed list keeps the count but leaves the list zeroed.
    device.handler = [](const Req&, uint8_t*) { return 31u; };
    dev.ReadDevices();
    EXPECT_EQ(dev.DeviceCount(), 3u);
    EXPECT_EQ(dev.Snapshot().deviceList.RawCount(), 0u);
}

TEST_F(CDevTest, DeviceCountBeyondCapacityIsClamped) {
    OpenDevice();
    device.handler = [](const Req& r, uint8_t* out) {
        if (r.code == IOCTL_QOR_GET_DEVICE_LIST) PutU32(out, 0, 0xFFFFFFFF);
        return 0u;
    };
    dev.ReadDevices();
    EXPECT_EQ(dev.DeviceCount(), 64u);
    EXPECT_EQ(device.CountOf(IOCTL_QOR_GET_DEVICE_INFO), 64u);
    EXPECT_EQ(device.CountOf(IOCTL_QOR_GET_DEVICE_STREAM_INFO), 64u);
}

// ---- Channel bundles ----

namespace {
// Two input and one output bundle with two channels each; bundle ids 10.., channel ids 500..
uint32_t BundleDriver(const Req& r, uint8_t* out) {
    switch (r.code) {
        case IOCTL_QOR_GET_BUNDLE_LIST:
            PutU32(out, 0, 2);
            PutU32(out, 4, 10);
            PutU32(out, 8, 11);
            PutU32(out, 516, 1);
            PutU32(out, 520, 20);
            return 0;
        case IOCTL_QOR_GET_BUNDLE_INFO:
            PutU32(out, 4, 2);
            PutU32(out, 8, 2);
            PutU32(out, 12, 500 + r.input * 2);
            PutU32(out, 12 + 56, 501 + r.input * 2);
            return 0;
        case IOCTL_QOR_GET_CHANNEL_INFO:
            PutU32(out, 4, r.input);
            return 0;
        default:
            return 0;
    }
}
}  // namespace

TEST_F(CDevTest, BundlesAndChannelsLandInTheirDirectionsSlots) {
    OpenDevice();
    device.handler = BundleDriver;
    EXPECT_EQ(dev.ReadChannelBundles(), 0u);
    const StatisticsSnapshot& s = dev.Snapshot();
    EXPECT_EQ(s.Channel(Dir::In, 0, 1).DeviceId(), 521u);
    EXPECT_EQ(s.Channel(Dir::In, 1, 0).DeviceId(), 522u);
    EXPECT_EQ(s.Channel(Dir::Out, 0, 1).DeviceId(), 541u);
    EXPECT_EQ(device.CountOf(IOCTL_QOR_GET_CHANNEL_INFO), 6u);
}

TEST_F(CDevTest, FirstBundleFailureStopsEverythingWith0x8064) {
    OpenDevice();
    device.handler = [](const Req& r, uint8_t* out) -> uint32_t {
        if (r.code == IOCTL_QOR_GET_BUNDLE_INFO) return 31;
        return BundleDriver(r, out);
    };
    EXPECT_EQ(dev.ReadChannelBundles(), 0x8064u);
    EXPECT_EQ(device.CountOf(IOCTL_QOR_GET_CHANNEL_INFO), 0u);
    EXPECT_EQ(device.CountOf(IOCTL_QOR_GET_BUNDLE_INFO), 1u);  // the output half stays unread
}

TEST_F(CDevTest, BundleListFailureOrClosedDeviceGives0x8064AndAZeroList) {
    OpenDevice();
    device.handler = BundleDriver;
    dev.ReadChannelBundles();
    device.handler = [](const Req&, uint8_t*) { return 5u; };
    EXPECT_EQ(dev.ReadChannelBundles(), 0x8064u);
    EXPECT_EQ(dev.Snapshot().bundleList.Count(Dir::In), 0u);
    dev.Close();
    EXPECT_EQ(dev.ReadChannelBundles(), 0x8064u);
    // Bundle records are not zeroed: they keep the last good read.
    EXPECT_EQ(dev.Snapshot().Bundle(Dir::In, 0).ChannelCount(), 2u);
}

TEST_F(CDevTest, OversizedBundleAndChannelCountsAreClamped) {
    OpenDevice();
    device.handler = [](const Req& r, uint8_t* out) -> uint32_t {
        if (r.code == IOCTL_QOR_GET_BUNDLE_LIST) {
            PutU32(out, 0, 500);
            PutU32(out, 516, 0x80000000u);
        }
        if (r.code == IOCTL_QOR_GET_BUNDLE_INFO) PutU32(out, 8, 99);
        return 0;
    };
    EXPECT_EQ(dev.ReadChannelBundles(), 0u);
    EXPECT_EQ(device.CountOf(IOCTL_QOR_GET_BUNDLE_INFO), 256u);
    EXPECT_EQ(device.CountOf(IOCTL_QOR_GET_CHANNEL_INFO), 256u * 16u);
    EXPECT_EQ(dev.Snapshot().Bundle(Dir::Out, 127).ChannelCount(), 16u);
    EXPECT_EQ(dev.Snapshot().Bundle(Dir::Out, 500).ChannelCount(), 0u);  // beyond capacity reads zeros
}

// ---- Records zeroed before their request ----

TEST_F(CDevTest, IsoAndAsioRecordsReadAsZeroAfterAFailure) {
    OpenDevice();
    device.handler = [](const Req&, uint8_t* out) {
        PutU32(out, 0, 7);
        return 0u;
    };
    dev.ReadIsoStreamStatistics();
    dev.ReadAsioStatistics();
    dev.ReadAsioInfo();
    EXPECT_EQ(dev.Snapshot().isoStreamStatistics.Count(Dir::In), 7u);
    EXPECT_EQ(dev.Snapshot().asioStatistics.SampleRate(), 7u);
    device.handler = [](const Req&, uint8_t*) { return 31u; };
    EXPECT_EQ(dev.ReadIsoStreamStatistics(), 31);
    EXPECT_EQ(dev.ReadAsioStatistics(), 31);
    EXPECT_EQ(dev.ReadAsioInfo(), 31);
    EXPECT_EQ(dev.Snapshot().isoStreamStatistics.Count(Dir::In), 0u);
    EXPECT_EQ(dev.Snapshot().asioStatistics.SampleRate(), 0u);
    EXPECT_EQ(dev.Snapshot().asioInfo.CountersValid(), 0u);
    dev.Close();
    EXPECT_EQ(dev.ReadIsoStreamStatistics(), -1);
}

TEST_F(CDevTest, GlobalInfoStopsAtTheFirstFailure) {
    OpenDevice();
    device.handler = [](const Req& r, uint8_t* out) -> uint32_t {
        if (r.code == IOCTL_QOR_GET_SAMPLE_RATE_INFO) return 31;
        PutU32(out, 0, 1);
        return 0;
    };
    dev.ReadGlobalInfo();
    EXPECT_EQ(device.CountOf(IOCTL_QOR_GET_GLOBAL_VALUE), 1u);
    EXPECT_EQ(device.CountOf(IOCTL_QOR_GET_SAMPLE_RATE_INFO), 1u);
    EXPECT_EQ(device.CountOf(IOCTL_QOR_GET_GLOBAL_PAIR), 0u);
}

// ---- Which records were answered ----

namespace {
// Devices 0xA and 0xB; one input bundle (0x100) of two channels and one output bundle (0x200) of one.
uint32_t Studio(const Req& r, uint8_t* out) {
    switch (r.code) {
        case IOCTL_QOR_GET_DEVICE_LIST:
            PutU32(out, 0, 2);
            PutU32(out, 4, 0xA);
            PutU32(out, 8, 0xB);
            break;
        case IOCTL_QOR_GET_BUNDLE_LIST:
            PutU32(out, 0, 1);
            PutU32(out, 4, 0x100);
            PutU32(out, BundleList::HalfOffset(Dir::Out), 1);
            PutU32(out, BundleList::HalfOffset(Dir::Out) + 4, 0x200);
            break;
        case IOCTL_QOR_GET_BUNDLE_INFO:
            PutU32(out, 8, r.input == 0x100 ? 2 : 1);
            PutU32(out, ChannelBundleInfo::EntryOffset(0), r.input + 1);
            PutU32(out, ChannelBundleInfo::EntryOffset(1), r.input + 2);
            break;
        default: break;
    }
    return 0;
}

// The records whose latest read failed, by name.
std::string Unanswered(const RecordValidity& v) {
    std::string out;
    auto add = [&out](bool answered, const char* name) {
        if (!answered) out += std::string(out.empty() ? "" : " ") + name;
    };
    add(v.driverVersion, "version");
    add(v.asioStatistics, "asioStatistics");
    add(v.asioInfo, "asioInfo");
    add(v.deviceList, "deviceList");
    add(v.Device(0), "device0");
    add(v.Device(1), "device1");
    add(v.isoStreams, "iso");
    add(v.bundleList, "bundleList");
    add(v.Bundle(Dir::In, 0), "in0");
    add(v.Channel(Dir::In, 0, 0), "in0.0");
    add(v.Channel(Dir::In, 0, 1), "in0.1");
    add(v.Bundle(Dir::Out, 0), "out0");
    add(v.Channel(Dir::Out, 0, 0), "out0.0");
    add(v.sampleRate, "sampleRate");
    return out;
}

}  // namespace

TEST_F(CDevTest, EachRecordTellsWhetherItsLatestReadWasAnsweredInFull) {
    struct Case {
        uint32_t code;
        uint32_t input;  // 0: every request of the code
        bool shortAnswer;
        const char* unanswered;
    };
    const Case cases[] = {
        {0, 0, false, ""},
        {IOCTL_QOR_GET_DRIVER_VERSION, 0, false, "version"},
        {IOCTL_QOR_GET_ASIO_STATISTICS, 0, false, "asioStatistics"},
        {IOCTL_QOR_GET_ASIO_INFO, 0, true, "asioInfo"},
        {IOCTL_QOR_GET_DEVICE_LIST, 0, false, "deviceList device0 device1"},
        {IOCTL_QOR_GET_DEVICE_INFO, 0xB, false, "device1"},
        {IOCTL_QOR_GET_DEVICE_STREAM_INFO, 0, true, "device1"},  // the loop ends at the first device
        {IOCTL_QOR_GET_ISO_STREAM_STATISTICS, 0, true, "iso"},
        {IOCTL_QOR_GET_BUNDLE_LIST, 0, false, "bundleList in0 in0.0 in0.1 out0 out0.0"},
        {IOCTL_QOR_GET_BUNDLE_INFO, 0x200, false, "out0 out0.0"},
        {IOCTL_QOR_GET_CHANNEL_INFO, 0x102, false, "in0.1 out0 out0.0"},
        {IOCTL_QOR_GET_GLOBAL_VALUE, 0, false, "sampleRate"},
        {IOCTL_QOR_GET_SAMPLE_RATE_INFO, 0, true, "sampleRate"},
        {IOCTL_QOR_GET_GLOBAL_PAIR, 0, false, ""},
    };
    OpenDevice();
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << std::hex << c.code << " " << c.input << (c.shortAnswer ? " short" : ""));
        device.shortCode = c.shortAnswer ? c.code : 0;
        device.handler = [c](const Req& r, uint8_t* out) -> uint32_t {
            if (!c.shortAnswer && r.code == c.code && (c.input == 0 || r.input == c.input)) return 31;
            return Studio(r, out);
        };
        ReadEverything(dev);
        EXPECT_EQ(Unanswered(dev.Validity()), c.unanswered);
        EXPECT_EQ(dev.ReadFailed(), c.code != 0);

        // The next full answer makes every record good again.
        device.shortCode = 0;
        device.handler = Studio;
        ReadEverything(dev);
        EXPECT_EQ(Unanswered(dev.Validity()), "");
        EXPECT_FALSE(dev.ReadFailed());
    }
}

// ---- Device names ----

TEST_F(CDevTest, DeviceNameIsBoundedAndLeavesTheSnapshotAlone) {
    OpenDevice();
    device.handler = [](const Req& r, uint8_t* out) -> uint32_t {
        if (r.input == 1) std::memcpy(out + 48, "Interface A", 12);
        if (r.input == 2) std::memset(out + 48, 'x', 432 - 48);  // no NUL anywhere
        if (r.input == 3) return 31;
        return 0;
    };
    ASSERT_NE(dev.GetDeviceName(1), nullptr);
    EXPECT_STREQ(dev.GetDeviceName(1), "Interface A");
    const char* longName = dev.GetDeviceName(2);
    ASSERT_NE(longName, nullptr);
    EXPECT_EQ(std::string(longName), std::string(255, 'x'));
    EXPECT_EQ(dev.GetDeviceName(3), nullptr);
    EXPECT_EQ(dev.Snapshot().deviceInfo[0].HardwareName(), "");
}

TEST(DriverRecords, TextFieldsStopAtTheirEndWithoutNul) {
    ChannelInfo info;
    std::memset(info.Data(), 'n', ChannelInfo::Size);
    EXPECT_EQ(info.HardwareName().size(), 40u);
    EXPECT_EQ(info.NickName().size(), 40u);
    DeviceInfo device;
    std::memset(device.Data(), 'd', DeviceInfo::Size);
    EXPECT_EQ(device.NickName().size(), 40u);
    EXPECT_EQ(device.HardwareName().size(), 384u);
}

TEST(DriverRecords, StreamCountsAreClampedAndEntriesStayInside) {
    IsoStreamStatistics iso;
    iso.PutU32(IsoStreamStatistics::InCountOffset, 40);
    iso.PutU32(IsoStreamStatistics::OutCountOffset, 17);
    EXPECT_EQ(iso.Count(Dir::In), 16u);
    EXPECT_EQ(iso.Count(Dir::Out), 16u);
    iso.PutU32(IsoStreamStatistics::EntryOffset(Dir::Out, 15) + 84, 0xDEADBEEF);
    EXPECT_EQ(iso.Out(15).U32(84), 0xDEADBEEFu);
    EXPECT_EQ(iso.Out(15).U32(86), 0u);  // a field past the entry's end reads as zero
}
