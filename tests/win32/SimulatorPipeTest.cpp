#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <cstring>
#include <memory>
#include <string>

#include "base/LittleEndian.h"
#include "driver/CDev.h"
#include "driver/IoctlCodes.h"
#include "platform/ControlDevice.h"
#include "platform/PipeControlDevice.h"
#include "platform/WinError.h"
#include "sim/DriverSimulator.h"
#include "sim/PipeServer.h"
#include "sim/SimControlDevice.h"

using sim::DriverSimulator;
using sim::FaultPlan;
using sim::PipeServer;

namespace {

constexpr int ShortTimeoutMs = 200;

// The simulator on a pipe of this test's own, as qorsimd.exe --device serves it.
class SimulatorPipeTest : public ::testing::Test {
protected:
    std::string path = "\\\\.\\pipe\\qor-test-" + std::to_string(::GetCurrentProcessId()) + "-" +
                       ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::unique_ptr<DriverSimulator> sim = std::make_unique<DriverSimulator>();
    std::unique_ptr<PipeServer> server;

    void SetUp() override {
        server = std::make_unique<PipeServer>(*sim, path);
        ASSERT_TRUE(server->Start()) << server->Error();
    }
    void TearDown() override { server.reset(); }

    static uint32_t ReadVersion(ControlDevice& client) {
        DriverVersion v;
        uint32_t returned = 0;
        return client.Control(IOCTL_QOR_GET_DRIVER_VERSION, nullptr, 0, v.Data(), DriverVersion::Size, returned);
    }
};

}  // namespace

TEST_F(SimulatorPipeTest, ThePanelReadsTheSameSnapshotThroughThePipeAsInProcess) {
    sim->Advance(5000);
    std::unique_ptr<ControlDevice> pipe = MakeControlDevice(path);
    ASSERT_NE(dynamic_cast<PipeControlDevice*>(pipe.get()), nullptr) << "a \\\\.\\pipe\\ path reaches the pipe";
    sim::SimControlDevice localDevice(*sim);
    auto viaPipe = std::make_unique<CDev>(*pipe);
    auto local = std::make_unique<CDev>(localDevice);
    for (CDev* dev : {viaPipe.get(), local.get()}) {
        ASSERT_EQ(dev->Open(), 0u);
        EXPECT_EQ(dev->ReadDriverVersion(), 0);
        EXPECT_EQ(dev->ReadAsioStatistics(), 0);
        dev->ReadDevices();
        EXPECT_EQ(dev->ReadIsoStreamStatistics(), 0);
        EXPECT_EQ(dev->ReadChannelBundles(), 0u);
        dev->Close();
    }
    const StatisticsSnapshot& a = viaPipe->Snapshot();
    const StatisticsSnapshot& b = local->Snapshot();
    EXPECT_EQ(a.isoStreamStatistics.bytes, b.isoStreamStatistics.bytes);
    EXPECT_EQ(a.asioStatistics.bytes, b.asioStatistics.bytes);
    EXPECT_EQ(a.deviceInfo[1].bytes, b.deviceInfo[1].bytes);
    EXPECT_EQ(a.Channel(Dir::Out, 1, 7).bytes, b.Channel(Dir::Out, 1, 7).bytes);
}

// What a user sees when the simulator is absent, unloaded, failing, or hangs on one code.
TEST_F(SimulatorPipeTest, FailuresCrossThePipeAsTheDeviceReportsThem) {
    uint8_t out[132];
    uint32_t returned = 0;
    {
        PipeControlDevice nobody(path + "-absent", ShortTimeoutMs);
        EXPECT_EQ(nobody.Open(), WinError::FileNotFound) << "no server: no driver";
    }
    PipeControlDevice client(path, ShortTimeoutMs);
    ASSERT_EQ(client.Open(), 0u);
    EXPECT_EQ(client.Control(QorControlCode(0xFFF), nullptr, 0, out, 4, returned), WinError::InvalidFunction);
    EXPECT_EQ(client.Control(IOCTL_QOR_GET_ASIO_INFO, nullptr, 0, out, 131, returned), WinError::InsufficientBuffer);

    FaultPlan p;
    p.noAnswerCode = IOCTL_QOR_GET_ASIO_INFO;
    sim->SetFaults(p);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(client.Control(IOCTL_QOR_GET_ASIO_INFO, nullptr, 0, out, sizeof out, returned), WinError::SemTimeout);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5)) << "a hung code leaves us responsive";
    EXPECT_EQ(ReadVersion(client), 0u) << "the next request goes out on a fresh connection";
    sim->SetFaults(FaultPlan{});

    server->SetLoaded(false);
    EXPECT_NE(ReadVersion(client), 0u) << "the driver went away";
    EXPECT_EQ(client.Open(), WinError::FileNotFound);
    server->SetLoaded(true);
    EXPECT_EQ(client.Open(), 0u);
    EXPECT_EQ(ReadVersion(client), 0u) << "and came back";
}

TEST_F(SimulatorPipeTest, SeveralPanelsAreServedButASecondServerIsRefused) {
    PipeControlDevice a(path, ShortTimeoutMs), b(path, ShortTimeoutMs);
    ASSERT_EQ(a.Open(), 0u);
    ASSERT_EQ(b.Open(), 0u);
    EXPECT_EQ(ReadVersion(a), 0u);
    EXPECT_EQ(ReadVersion(b), 0u);

    DriverSimulator other;
    PipeServer second(other, path);
    EXPECT_FALSE(second.Start());
    EXPECT_NE(second.Error().find("another server"), std::string::npos) << second.Error();
    EXPECT_EQ(ReadVersion(a), 0u) << "the first server still serves";
}
