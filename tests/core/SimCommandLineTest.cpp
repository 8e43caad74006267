#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver/IoctlCodes.h"
#include "platform/WinError.h"
#include "sim/SimCommandLine.h"

using sim::SimCommandLine;
using Args = std::vector<std::string>;

TEST(SimCommandLine, NoFlagsGiveTheDefaultSetup) {
    SimCommandLine c;
    ASSERT_TRUE(c.Parse(Args{}));
    EXPECT_EQ(c.Options().devices, 2u);
    EXPECT_EQ(c.Options().inStreams, 2u);
    EXPECT_EQ(c.Options().sampleRate, 48000u);
    EXPECT_TRUE(c.Options().debugBuild);
    EXPECT_TRUE(c.Options().extendedStatistics);
    EXPECT_TRUE(c.DevicePath().empty());
    EXPECT_TRUE(c.RateSchedule().empty());
    EXPECT_FALSE(c.HelpRequested());
    EXPECT_EQ(c.Faults().failCode, 0u);
    EXPECT_FALSE(c.Faults().overcount);

    const char* argv[] = {"qorsimd", "--help"};
    ASSERT_TRUE(c.Parse(2, argv));
    EXPECT_TRUE(c.HelpRequested());
    EXPECT_NE(SimCommandLine::Usage("qorsimd").find("--rate-schedule"), std::string::npos);
}

TEST(SimCommandLine, EveryOptionReachesTheSetup) {
    SimCommandLine c;
    ASSERT_TRUE(c.Parse(Args{"--device", "/tmp/x.sock", "--devices", "5", "--in-streams", "3", "--out-streams", "0",
                             "--in-bundles", "7", "--out-bundles", "128", "--channels", "16", "--sample-rate",
                             "96000", "--release", "--no-extended", "--error-rate", "0.25", "--hotplug-ms", "1500",
                             "--seed", "42", "--overcount", "--no-nul", "--short"}))
        << c.Error();
    const sim::SimOptions& o = c.Options();
    EXPECT_EQ(c.DevicePath(), "/tmp/x.sock");
    EXPECT_EQ(o.devices, 5u);
    EXPECT_EQ(o.inStreams, 3u);
    EXPECT_EQ(o.outStreams, 0u);
    EXPECT_EQ(o.inBundles, 7u);
    EXPECT_EQ(o.outBundles, 128u);
    EXPECT_EQ(o.channelsPerBundle, 16u);
    EXPECT_EQ(o.sampleRate, 96000u);
    EXPECT_FALSE(o.debugBuild);
    EXPECT_FALSE(o.extendedStatistics);
    EXPECT_DOUBLE_EQ(o.errorRate, 0.25);
    EXPECT_EQ(o.hotplugMs, 1500u);
    EXPECT_EQ(o.seed, 42u);
    EXPECT_TRUE(c.Faults().overcount);
    EXPECT_TRUE(c.Faults().namesWithoutNul);
    EXPECT_TRUE(c.Faults().shortAnswers);
    EXPECT_EQ(c.Faults().shortCode, 0u);

    ASSERT_TRUE(c.Parse(Args{"--replay", "a.qorrec", "--speed", "2.5", "--loop", "--paused"})) << c.Error();
    EXPECT_EQ(c.Replay().path, "a.qorrec");
    EXPECT_DOUBLE_EQ(c.Replay().speed, 2.5);
    EXPECT_TRUE(c.Replay().loop);
    EXPECT_TRUE(c.Replay().paused);
}

TEST(SimCommandLine, MaxLoadCanBeAdjustedByLaterFlags) {
    SimCommandLine c;
    ASSERT_TRUE(c.Parse(Args{"--sample-rate", "44100", "--max-load", "--devices", "3"}));
    EXPECT_EQ(c.Options().devices, 3u);
    EXPECT_EQ(c.Options().inBundles, 128u);
    EXPECT_EQ(c.Options().outStreams, 16u);
    EXPECT_EQ(c.Options().channelsPerBundle, 16u);
    EXPECT_EQ(c.Options().sampleRate, 44100u) << "flags before it are kept";
}

TEST(SimCommandLine, RateScheduleIsReadInTimeOrder) {
    SimCommandLine c;
    ASSERT_TRUE(c.Parse(Args{"--rate-schedule", "5000:96000,1000:44100,3000:48000,1000:32000"}));
    ASSERT_EQ(c.RateSchedule().size(), 4u);
    EXPECT_EQ(c.RateSchedule()[0].atMs, 1000u);
    EXPECT_EQ(c.RateSchedule()[0].rate, 44100u);
    EXPECT_EQ(c.RateSchedule()[1].atMs, 1000u);
    EXPECT_EQ(c.RateSchedule()[1].rate, 32000u) << "the later of two changes at one time comes last";
    EXPECT_EQ(c.RateSchedule()[3].atMs, 5000u);
    EXPECT_EQ(c.RateSchedule()[3].rate, 96000u);
    for (const char* bad : {"", "1000", "1000:", ":48000", "1000:48000,", "x:1", "1000:48000:1", "-5:48000"})
        EXPECT_FALSE(c.Parse(Args{"--rate-schedule", bad})) << bad;
}

TEST(SimCommandLine, FaultsNameTheirCodeByValueOrName) {
    SimCommandLine c;
    ASSERT_TRUE(c.Parse(Args{"--fail", "IOCTL_QOR_GET_DEVICE_LIST"}));
    EXPECT_EQ(c.Faults().failCode, IOCTL_QOR_GET_DEVICE_LIST);
    EXPECT_EQ(c.Faults().failEvery, 1u);
    EXPECT_EQ(c.Faults().failError, WinError::GenFailure);
    ASSERT_TRUE(c.Parse(Args{"--fail", "GET_BUNDLE_INFO:3:5", "--no-answer", "0x80883640"}));
    EXPECT_EQ(c.Faults().failCode, IOCTL_QOR_GET_BUNDLE_INFO);
    EXPECT_EQ(c.Faults().failEvery, 3u);
    EXPECT_EQ(c.Faults().failError, WinError::AccessDenied);
    EXPECT_EQ(c.Faults().noAnswerCode, IOCTL_QOR_GET_ASIO_INFO);
    ASSERT_TRUE(c.Parse(Args{"--fail", "0x80882ac4:1"}));
    EXPECT_EQ(c.Faults().failCode, IOCTL_QOR_GET_ISO_STREAM_STATISTICS);

    uint32_t code = 0;
    EXPECT_TRUE(SimCommandLine::ParseCode("SET_DEFAULT_TRACE_MASK", code));
    EXPECT_EQ(code, IOCTL_QOR_SET_DEFAULT_TRACE_MASK);
    EXPECT_FALSE(SimCommandLine::ParseCode("GET_NOTHING", code));
    EXPECT_FALSE(SimCommandLine::ParseCode("", code));
    EXPECT_FALSE(SimCommandLine::ParseCode("0", code));
}

TEST(SimCommandLine, MalformedCommandLinesAreRefusedWithAReason) {
    const std::vector<Args> bad = {
        {"--devices"},
        {"--devices", "65"},
        {"--devices", "-1"},
        {"--devices", "two"},
        {"--in-streams", "17"},
        {"--out-bundles", "129"},
        {"--channels", "17"},
        {"--sample-rate", "1e5"},
        {"--error-rate", "-0.5"},
        {"--error-rate", "nan"},
        {"--error-rate", "lots"},
        {"--socket", ""},
        {"--fail", "NOPE"},
        {"--fail", "GET_DEVICE_LIST:2:0"},
        {"--fail", "GET_DEVICE_LIST:2:5:9"},
        {"--no-answer"},
        {"--replay", ""},
        {"--replay", "a.qorrec", "--speed", "0"},
        {"--replay", "a.qorrec", "--speed", "fast"},
        {"--loop"},
        {"--speed", "2"},
        {"--frobnicate"},
        {"devices"},
    };
    for (const Args& args : bad) {
        SimCommandLine c;
        EXPECT_FALSE(c.Parse(args)) << args[0];
        EXPECT_FALSE(c.Error().empty()) << args[0];
    }
}
