#include <gtest/gtest.h>

#include <memory>

#include "driver/CDev.h"
#include "driver/IoctlCodes.h"
#include "platform/WinError.h"
#include "sim/DriverSimulator.h"
#include "sim/SimControlDevice.h"

using sim::DriverSimulator;
using sim::SimControlDevice;

namespace {
struct SimControlDeviceTest : ::testing::Test {
    std::unique_ptr<DriverSimulator> sim = std::make_unique<DriverSimulator>();
    SimControlDevice device{*sim};

    uint32_t ReadVersion(DriverVersion& v) {
        uint32_t returned = 0;
        return device.Control(IOCTL_QOR_GET_DRIVER_VERSION, nullptr, 0, v.Data(), DriverVersion::Size, returned);
    }
};
}  // namespace

TEST_F(SimControlDeviceTest, OpensOnlyWhileTheDriverIsLoadedAndCountsOpensAndCloses) {
    DriverVersion v;
    EXPECT_EQ(ReadVersion(v), WinError::InvalidHandle) << "not open yet";
    sim->SetLoaded(false);
    EXPECT_EQ(device.Open(), WinError::FileNotFound);
    EXPECT_FALSE(device.IsOpen());
    sim->SetLoaded(true);
    EXPECT_EQ(device.Open(), 0u);
    EXPECT_TRUE(device.IsOpen());
    EXPECT_EQ(ReadVersion(v), 0u);
    EXPECT_EQ(device.Open(), 0u) << "re-opening closes the old connection first";
    device.Close();
    device.Close();
    EXPECT_EQ(device.Opens(), 2u);
    EXPECT_EQ(device.Closes(), 2u);
}

TEST_F(SimControlDeviceTest, ConnectionFromBeforeAnUnloadStaysDead) {
    ASSERT_EQ(device.Open(), 0u);
    sim->SetLoaded(false);
    DriverVersion v;
    v.bytes.fill(0xAB);
    EXPECT_EQ(ReadVersion(v), WinError::DeviceNotConnected);
    sim->SetLoaded(true);
    EXPECT_EQ(ReadVersion(v), WinError::DeviceNotConnected);
    EXPECT_EQ(v.bytes[0], 0xAB);
    EXPECT_TRUE(device.IsOpen()) << "the handle stays until closed, as on Windows";
    ASSERT_EQ(device.Open(), 0u);
    EXPECT_EQ(ReadVersion(v), 0u);
    EXPECT_EQ(v.Flags(), 3u);
}

TEST_F(SimControlDeviceTest, PanelReaderSeesTheSimulatorThroughIt) {
    auto dev = std::make_unique<CDev>(device);
    sim->SetDeviceNames(0, "Interface A", "A");
    sim->Advance(1000);
    ASSERT_EQ(dev->Open(), 0u);
    EXPECT_EQ(dev->ReadDriverVersion(), 0);
    EXPECT_EQ(dev->Published().DebugBuild, 1u);
    EXPECT_EQ(dev->Published().ExtendedStatistics, 2u);
    dev->ReadDevices();
    EXPECT_EQ(dev->DeviceCount(), 2u);
    EXPECT_EQ(dev->ReadIsoStreamStatistics(), 0);
    EXPECT_EQ(dev->ReadChannelBundles(), 0u);
    const StatisticsSnapshot& s = dev->Snapshot();
    EXPECT_EQ(s.isoStreamStatistics.In(0).U32(IsoInField::TotalPacketsReceived), 8000u);
    const char* name = dev->GetDeviceName(s.Channel(Dir::In, 0, 0).DeviceId());
    ASSERT_NE(name, nullptr);
    EXPECT_STREQ(name, "Interface A");
    EXPECT_EQ(s.Channel(Dir::In, 0, 0).HardwareName(), "Analog In 1");
    dev->Close();
    EXPECT_FALSE(device.IsOpen());

    sim->SetLoaded(false);
    EXPECT_EQ(dev->Open(), WinError::FileNotFound);
    EXPECT_EQ(dev->DeviceCount(), 0u);
}
