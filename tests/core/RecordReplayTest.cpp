#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "driver/CDev.h"
#include "export/SnapshotDocument.h"
#include "platform/WinError.h"
#include "record/DriverRecorder.h"
#include "record/RecordReader.h"
#include "record/ReplayControlDevice.h"
#include "support/PageTextSourcesOf.h"
#include "support/ReadEverything.h"
#include "support/SimulatedDriver.h"

namespace {
// One refresh as the panel reads it, as the snapshot file writes it.
std::string Refresh(CDev& dev) {
    if (const uint32_t open = dev.Open(); open != 0) return "open failed " + std::to_string(open);
    ReadEverything(dev);
    for (uint32_t i = 0; i < dev.DeviceCount(); ++i) dev.GetDeviceName(dev.Snapshot().deviceList.Id(i));
    const std::string document = SnapshotDocument::Json(PageTextSourcesOf(dev), "-", "-");
    dev.Close();
    return document;
}
}  // namespace

// What a CDev read through the recording device, a CDev reads again from the replay, tick by
// tick, through a hot-plug, an unload, error bursts and a hung code; after the last tick the
// driver is gone.
TEST(RecordReplay, AReplayReadsTheSnapshotsThatWereRecordedTickByTick) {
    const std::filesystem::path path = std::filesystem::temp_directory_path() / "qor-record-replay.qorrec";
    sim::SimOptions options;
    options.hotplugMs = 1500;
    options.errorRate = 40;
    SimulatedDriver driver(options);
    std::vector<std::string> recorded;
    int64_t now = 0;
    {
        DriverRecorder recorder(driver.dev, [&now] { return now; });
        ASSERT_TRUE(recorder.Start(path, 500));
        for (int tick = 1; tick <= 16; ++tick) {
            if (tick == 5 || tick == 7) driver.sim.SetLoaded(tick == 7);
            sim::FaultPlan faults;
            faults.noAnswerCode = tick >= 10 && tick < 13 ? IOCTL_QOR_GET_ISO_STREAM_STATISTICS : 0;
            driver.sim.SetFaults(faults);
            driver.sim.Advance(500);
            now += 500;
            recorded.push_back(Refresh(driver.dev));
        }
    }
    std::ifstream file(path, std::ios::binary);
    RecordReader reader(file);
    ASSERT_TRUE(reader.Start()) << reader.Message();
    ReplayControlDevice replay(reader);
    CDev again(replay);
    for (size_t tick = 0; tick < recorded.size(); ++tick) {
        EXPECT_EQ(Refresh(again), recorded[tick]) << "tick " << tick + 1;
        EXPECT_EQ(reader.Current().ms, int64_t(tick + 1) * 500);
    }
    EXPECT_EQ(recorded[5], "open failed 2");
    EXPECT_NE(recorded[1], recorded[0]);
    EXPECT_EQ(again.Open(), WinError::FileNotFound);
    EXPECT_EQ(reader.Ended(), RecordReader::End::Complete);
    file.close();
    std::filesystem::remove(path);
}

// The recording is written on a thread of its own; what the recorder tells (bytes, sessions,
// a stop and its reason) catches up with the ticks, and a recording that stopped at its limit
// replays every tick it wrote.
TEST(RecordReplay, TheRecordersThreadStopsAtTheLimitAndWhatItWroteReplays) {
    const std::filesystem::path path = std::filesystem::temp_directory_path() / "qor-record-limit.qorrec";
    SimulatedDriver driver;
    int64_t now = 0;
    DriverRecorder recorder(driver.dev, [&now] { return now; });
    ASSERT_TRUE(recorder.Start(path, 500, RecordWriter::Limits{20000, 0}));
    std::vector<std::string> recorded;
    for (int tick = 0; tick < 400 && recorder.Recording(); ++tick) {
        driver.sim.Advance(500);
        now += 500;
        recorded.push_back(Refresh(driver.dev));
        recorder.Flush();
        EXPECT_EQ(recorder.Sessions() + (recorder.Recording() ? 0 : 1), recorded.size()) << "tick " << tick;
    }
    EXPECT_FALSE(recorder.Recording());
    EXPECT_NE(recorder.Error().find("size limit"), std::string::npos) << recorder.Error();
    EXPECT_LE(recorder.FileBytes(), 20000u);
    const uint64_t written = recorder.Sessions();
    recorder.Stop();
    ASSERT_GT(written, 2u);
    std::ifstream file(path, std::ios::binary);
    RecordReader reader(file);
    ASSERT_TRUE(reader.Start()) << reader.Message();
    ReplayControlDevice replay(reader);
    CDev again(replay);
    for (uint64_t tick = 0; tick < written; ++tick) EXPECT_EQ(Refresh(again), recorded[tick]) << "tick " << tick + 1;
    EXPECT_EQ(again.Open(), WinError::FileNotFound);
    EXPECT_EQ(reader.Ended(), RecordReader::End::Complete) << reader.Message();
    file.close();
    std::filesystem::remove(path);
}
