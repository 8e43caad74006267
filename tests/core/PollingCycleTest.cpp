#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "cycle/PollingCycle.h"
#include "driver/IoctlCodes.h"
#include "res/ResourceIds.h"
#include "sim/DriverSimulator.h"
#include "sim/SimControlDevice.h"
#include "support/ScriptedControlDevice.h"

namespace {
const char* PageName(PageId p) {
    switch (p) {
        case PageId::Info: return "Info";
        case PageId::Asio: return "Asio";
        case PageId::Devices: return "Devices";
        case PageId::IsoInStreams: return "IsoIn";
        case PageId::IsoOutStreams: return "IsoOut";
        case PageId::ChannelsIn: return "ChIn";
        case PageId::ChannelsOut: return "ChOut";
    }
    return "?";
}

const char* RequestName(uint32_t code) {
    for (const IoctlInfo& i : IoctlTable)
        if (i.code == code) return i.name;
    return "?";
}

// Records what the cycle asks of the window, in order.
struct RecordingWindow : IStatusPanes, IToolbarImage, IPollingView {
    explicit RecordingWindow(RestoreWindow& r) : restore(r) {}
    RestoreWindow& restore;
    std::vector<std::string> log;
    struct Pane {
        std::string text;
        Colour background = 0, foreground = 0;
    } panes[3];
    std::vector<int> bitmaps;
    int resets = 0;
    int selectLast = 0;

    Pane painted;  // pane 0 as the latest repaint showed it

    void SetPane(int pane, std::string_view text, Colour bg, Colour fg) override {
        panes[pane] = {std::string(text), bg, fg};
    }
    void RepaintNow() override {
        painted = panes[0];
        log.push_back("repaint");
    }
    void LoadBitmap(int id) override { bitmaps.push_back(id); }
    void RefreshInfoPage(bool keep) override { log.push_back(keep ? "info(keep)" : "info"); }
    void RefreshPage(PageId p) override { log.push_back(std::string("refresh ") + PageName(p)); }
    void ResetPageState() override { log.push_back("reset state"); }
    void ShowPlaceholder(PageId p, std::string_view h) override {
        log.push_back(std::string("placeholder ") + PageName(p) + ": " + std::string(h));
    }
    void RebuildTree() override {
        ++resets;
        restore.Open();
        log.push_back("rebuild");
    }
    void SelectLastSelectedItem() override {
        ++selectLast;
        log.push_back("select last");
    }
    void SelectGeneral() override { log.push_back("select general"); }
    void ClearDescription() override { log.push_back("clear description"); }
};

struct PollingCycleTest : ::testing::Test {
    ScriptedControlDevice device;
    CDev dev{device};
    RestoreWindow restore;
    RecordingWindow window{restore};
    int64_t nowMs = 0;
    PollingCycle cycle{dev, restore, window, window, window, [this] { return nowMs; }};

    PollingCycleTest() {
        // Device requests join the window's calls in one sequence.
        device.handler = [this](const ScriptedControlDevice::Request& r, uint8_t*) {
            window.log.push_back(RequestName(r.code));
            return 0u;
        };
    }
    void DriverPresent(bool present) { device.openResult = present ? 0 : WinError::FileNotFound; }
    void Ticks(int n) {
        for (int i = 0; i < n; ++i) cycle.OnRefreshTimer();
    }
};
}  // namespace

TEST_F(PollingCycleTest, WindowCreationShowsItsFirstPanes) {
    cycle.SetInitialPanes();
    EXPECT_EQ(window.panes[0].text, "Driver opened - can't read from device.");
    EXPECT_EQ(window.panes[0].foreground, Colours::StatusBlue);
    EXPECT_EQ(window.panes[1].text, "Elapsed time: ");
    EXPECT_EQ(window.panes[2].text, "Driver not opened.");
    EXPECT_EQ(window.panes[2].background, Colours::StatusRed);
    EXPECT_EQ(window.panes[2].foreground, Colours::White);
}

TEST_F(PollingCycleTest, StartWithoutDriverShowsNotOpenedAndNeverResetsWhileAbsent) {
    DriverPresent(false);
    cycle.ResetView();  // the view's initial update
    window.log.clear();
    Ticks(20);
    EXPECT_EQ(window.panes[2].text, "Driver not opened.");
    EXPECT_EQ(window.panes[2].background, Colours::StatusRed);
    EXPECT_EQ(window.panes[0].text, "Trying to read from device.");
    EXPECT_EQ(window.panes[0].foreground, Colours::StatusRed);
    EXPECT_EQ(window.panes[1].text, "00:00.00");
    EXPECT_EQ(window.resets, 1);  // only the initial one
    EXPECT_EQ(window.selectLast, 0);
    EXPECT_TRUE(restore.IsOpen());
    EXPECT_FALSE(dev.IsOpen());
}

TEST_F(PollingCycleTest, ResetViewRunsItsStepsInOrder) {
    DriverPresent(false);
    cycle.ResetView();
    std::vector<std::string> expected{
        "reset state", "rebuild", "info(keep)",
        "placeholder IsoIn: No IN Stream(s) Available", "placeholder IsoOut: No OUT Stream(s) Available",
        "placeholder Asio: No ASIO Information Available", "placeholder ChIn: No IN Channel(s) Available",
        "placeholder ChOut: No OUT Channel(s) Available", "placeholder Devices: No Device(s) Available",
        "select general", "clear description"};
    EXPECT_EQ(window.log, expected);
    EXPECT_EQ(dev.Published().releaseMajor, 0);
    EXPECT_TRUE(dev.Published().BuildText.empty());
}

TEST_F(PollingCycleTest, ATickWithTheDriverReadsEverythingAndRefreshesPagesInOrder) {
    DriverPresent(true);
    cycle.OnRefreshTimer();
    // The information page shows the version just read; the ASIO page the records of the
    // previous refresh; the other pages the records just read.
    const std::vector<std::string> expected{"repaint",
                                            "IOCTL_QOR_GET_DRIVER_VERSION",
                                            "info",
                                            "refresh Asio",
                                            "IOCTL_QOR_GET_ASIO_STATISTICS",
                                            "IOCTL_QOR_GET_ASIO_INFO",
                                            "IOCTL_QOR_GET_DEVICE_LIST",
                                            "IOCTL_QOR_GET_ISO_STREAM_STATISTICS",
                                            "IOCTL_QOR_GET_BUNDLE_LIST",
                                            "refresh IsoIn",
                                            "refresh IsoOut",
                                            "refresh Devices",
                                            "refresh ChIn",
                                            "refresh ChOut",
                                            "select last"};
    EXPECT_EQ(window.log, expected);
    EXPECT_EQ(window.panes[2].text, "Driver opened.");
    EXPECT_EQ(window.panes[2].background, Colours::StatusGreen);
    EXPECT_EQ(window.painted.text, "Reading from device.");
    EXPECT_FALSE(dev.IsOpen());  // closed at the end of every tick
}

TEST_F(PollingCycleTest, RestoreWindowSelectsTheStoredNodeOnFourTicksThenCloses) {
    DriverPresent(true);
    Ticks(6);
    EXPECT_EQ(window.selectLast, 4);
    EXPECT_FALSE(restore.IsOpen());
}

TEST_F(PollingCycleTest, DriverLossResetsTheViewOnceAndItsReturnReopensTheRestoreWindow) {
    DriverPresent(true);
    Ticks(5);
    ASSERT_FALSE(restore.IsOpen());
    DriverPresent(false);
    Ticks(10);
    EXPECT_EQ(window.resets, 1);
    EXPECT_EQ(window.panes[2].text, "Driver not opened.");
    DriverPresent(true);
    window.selectLast = 0;
    Ticks(5);
    EXPECT_EQ(window.selectLast, 4);
    EXPECT_EQ(window.panes[2].text, "Driver opened.");
    DriverPresent(false);
    Ticks(3);
    EXPECT_EQ(window.resets, 2);
    // A loss while the restore window is still open resets the view all the same.
    DriverPresent(true);
    Ticks(1);
    ASSERT_TRUE(restore.IsOpen());
    DriverPresent(false);
    Ticks(3);
    EXPECT_EQ(window.resets, 3);
}

TEST_F(PollingCycleTest, PaneZeroKeepsWhatTheLatestRepaintShowed) {
    struct State {
        bool present;
        bool reading;
        uint32_t failingCode;
        const char* text;
        Colour foreground;
    };
    const State states[] = {
        {true, true, 0, "Reading from device.", Colours::Black},
        {true, true, IOCTL_QOR_GET_ASIO_INFO, "Driver opened - can't read from device.", Colours::StatusBlue},
        {true, true, IOCTL_QOR_GET_CHANNEL_INFO, "Driver opened - can't read from device.", Colours::StatusBlue},
        {true, true, 0, "Reading from device.", Colours::Black},
        {true, false, IOCTL_QOR_GET_ASIO_INFO, "Reading from device is stopped.", Colours::StatusRed},
        {false, true, 0, "Trying to read from device.", Colours::StatusRed},
        {false, false, 0, "Trying to read from device.", Colours::StatusRed},
        {true, true, IOCTL_QOR_GET_DEVICE_LIST, "Driver opened - can't read from device.", Colours::StatusBlue},
    };
    for (const State& s : states) {
        SCOPED_TRACE(s.text);
        DriverPresent(s.present);
        if (cycle.ReadingEnabled() != s.reading) cycle.OnStartStop();
        device.handler = [&s](const ScriptedControlDevice::Request& r, uint8_t* out) -> uint32_t {
            if (r.code == s.failingCode) return WinError::GenFailure;
            if (r.code == IOCTL_QOR_GET_BUNDLE_LIST) Le::PutU32(out, 1);  // one bundle, one channel
            if (r.code == IOCTL_QOR_GET_BUNDLE_INFO) Le::PutU32(out + ChannelBundleInfoField::ChannelCount, 1);
            return 0;
        };
        for (int tick = 0; tick < 2; ++tick) {
            cycle.OnRefreshTimer();
            EXPECT_EQ(window.panes[0].text, s.text);
            EXPECT_EQ(window.panes[0].foreground, s.foreground);
            EXPECT_EQ(window.painted.text, window.panes[0].text);
            EXPECT_EQ(window.painted.foreground, window.panes[0].foreground);
            EXPECT_EQ(window.painted.background, Colours::White);
        }
    }
}

TEST_F(PollingCycleTest, ToolbarAlternatesWhileReadingAndShowsStoppedOtherwise) {
    DriverPresent(true);
    Ticks(4);
    EXPECT_EQ(window.bitmaps, (std::vector<int>{181, 179, 181, 179}));
    cycle.OnStartStop();
    EXPECT_FALSE(cycle.ReadingEnabled());
    window.log.clear();
    device.requests.clear();
    Ticks(2);
    EXPECT_EQ(window.bitmaps.back(), Res::IDB_STOPPED);
    EXPECT_EQ(window.panes[2].text, "Driver opened.");
    EXPECT_TRUE(device.requests.empty());  // nothing read while stopped
    cycle.OnStartStop();
    Ticks(1);
    EXPECT_EQ(window.bitmaps.back(), Res::IDB_READING_1);  // 179 follows anything but 179
    EXPECT_EQ(window.panes[0].text, "Reading from device.");
}

TEST_F(PollingCycleTest, ATickFindingTheDeviceOpenUsesItAndClosesIt) {
    DriverPresent(true);
    dev.Open();
    int opens = device.opens;
    cycle.OnRefreshTimer();
    EXPECT_EQ(device.opens, opens);
    EXPECT_FALSE(dev.IsOpen());
}

TEST_F(PollingCycleTest, ClearStatisticsSendsOneRequestAndClosesAgain) {
    DriverPresent(true);
    cycle.ClearStatistics();
    EXPECT_EQ(window.log, std::vector<std::string>{"IOCTL_QOR_CLEAR_STATISTICS"});
    EXPECT_FALSE(dev.IsOpen());
    DriverPresent(false);
    window.log.clear();
    cycle.ClearStatistics();
    EXPECT_TRUE(window.log.empty());  // no request, nothing shown
}

namespace {
struct RecordingObserver : ITickObserver {
    std::vector<std::string> heard;
    const StatisticsSnapshot* snapshot = nullptr;
    void OnTick(const TickFacts& f) override {
        heard.push_back(std::to_string(f.monotonicMs) + (f.deviceOpen ? " open" : " closed") +
                        (f.refreshed ? " refreshed" : "") + (f.readFailed ? " failed" : ""));
        snapshot = f.snapshot;
    }
    void OnClearStatistics(int64_t ms, bool sent) override {
        heard.push_back(std::to_string(ms) + (sent ? " clear" : " clear failed"));
    }
    void OnReadingSwitched(int64_t ms, bool reading) override {
        heard.push_back(std::to_string(ms) + (reading ? " start" : " stop"));
    }
    void OnTraceMaskChanged(int64_t ms, uint32_t before, uint32_t after) override {
        heard.push_back(std::to_string(ms) + " mask " + std::to_string(before) + ">" + std::to_string(after));
    }
};
}  // namespace

TEST_F(PollingCycleTest, ObserversHearEveryTickAndCommandWithTheCyclesTime) {
    RecordingObserver first, second;
    ASSERT_TRUE(cycle.AddObserver(first));
    ASSERT_TRUE(cycle.AddObserver(second));
    DriverPresent(true);
    nowMs = 500;
    cycle.OnRefreshTimer();
    EXPECT_EQ(first.snapshot, &dev.Snapshot());
    device.shortCode = IOCTL_QOR_GET_ASIO_INFO;
    nowMs = 1000;
    cycle.OnRefreshTimer();
    device.shortCode = 0;
    cycle.OnStartStop();
    nowMs = 1500;
    cycle.OnRefreshTimer();  // open, but not reading: no records
    EXPECT_EQ(first.snapshot, nullptr);
    cycle.OnStartStop();
    cycle.TraceMaskChanged(1, 3);
    cycle.ClearStatistics();
    DriverPresent(false);
    cycle.ClearStatistics();
    nowMs = 2000;
    cycle.OnRefreshTimer();
    const std::vector<std::string> expected{
        "500 open refreshed", "1000 open refreshed failed", "1000 stop", "1500 open", "1500 start",
        "1500 mask 1>3", "1500 clear", "1500 clear failed", "2000 closed"};
    EXPECT_EQ(first.heard, expected);
    EXPECT_EQ(second.heard, expected);

    cycle.RemoveObserver(first);
    cycle.OnRefreshTimer();
    EXPECT_EQ(first.heard.size(), expected.size());
    EXPECT_EQ(second.heard.size(), expected.size() + 1);
}

TEST_F(PollingCycleTest, ObserversBeyondCapacityAreRefusedAndAddingTwiceTellsOnce) {
    std::vector<RecordingObserver> observers(PollingCycle::ObserverCapacity + 1);
    for (size_t i = 0; i < PollingCycle::ObserverCapacity; ++i) EXPECT_TRUE(cycle.AddObserver(observers[i]));
    EXPECT_FALSE(cycle.AddObserver(observers.back()));
    EXPECT_TRUE(cycle.AddObserver(observers.front()));
    cycle.OnRefreshTimer();
    EXPECT_EQ(observers.front().heard.size(), 1u);
    EXPECT_TRUE(observers.back().heard.empty());
}

TEST(ElapsedClock, ShowsTheTimeSinceItsStartHoweverLateTheTimerComesAndWrapsAfter98Hours) {
    constexpr int64_t Start = 123456;  // the clock's own zero is not the panel's
    int64_t now = Start;
    ElapsedClock clock([&now] { return now; });
    EXPECT_EQ(clock.ElapsedText(), "00:00.00");
    constexpr int64_t Hour = 3600 * 1000;
    const std::pair<int64_t, const char*> steps[] = {
        {999, "Elapsed time 00:00.00"},
        {1000, "Elapsed time 00:00.01"},
        {30'000, "Elapsed time 00:00.30"},  // one timer event after the GUI thread was busy for 29 s
        {3661'000, "Elapsed time 01:01.01"},
        {99 * Hour - 1000, "Elapsed time 98:59.59"},
        {99 * Hour, "Elapsed time 00:00.00"},
        {99 * Hour + 61'000, "Elapsed time 00:01.01"},
    };
    for (const auto& [ms, text] : steps) {
        now = Start + ms;
        clock.OnElapsedTimer();
        EXPECT_EQ(clock.ElapsedText(), text) << ms;
    }
}

TEST_F(PollingCycleTest, ElapsedTextReachesThePaneAtTheNextStatusUpdate) {
    DriverPresent(false);
    nowMs += 1000;
    cycle.OnElapsedTimer();
    EXPECT_EQ(window.panes[1].text, "");
    cycle.OnRefreshTimer();
    EXPECT_EQ(window.panes[1].text, "Elapsed time 00:00.01");
}

// The same cycle with the simulated driver behind it, unloaded and loaded again.
TEST(PollingCycleWithSimulator, EachDriverLossResetsTheViewOnce) {
    sim::DriverSimulator simulator;
    sim::SimControlDevice device(simulator);
    CDev dev(device);
    RestoreWindow restore;
    RecordingWindow window(restore);
    PollingCycle cycle(dev, restore, window, window, window);
    cycle.ResetView();
    for (int round = 1; round <= 3; ++round) {
        simulator.SetLoaded(true);
        for (int i = 0; i < 5; ++i) cycle.OnRefreshTimer();
        EXPECT_EQ(window.panes[2].text, "Driver opened.");
        EXPECT_EQ(dev.DeviceCount(), 2u);
        EXPECT_EQ(dev.Snapshot().isoStreamStatistics.Count(Dir::Out), 2u);
        simulator.SetLoaded(false);
        for (int i = 0; i < 5; ++i) cycle.OnRefreshTimer();
        EXPECT_EQ(window.resets, 1 + round);
        EXPECT_EQ(dev.DeviceCount(), 0u);
        EXPECT_EQ(window.panes[2].text, "Driver not opened.");
    }
}
