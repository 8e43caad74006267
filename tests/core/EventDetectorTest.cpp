#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "events/EventDetector.h"
#include "rows/IsoStreamRows.h"
#include "rows/SingleChannelRows.h"

// The detector fed with snapshots written by hand, tick after tick, as the polling cycle would.
namespace {

struct Recorded {
    EventKind kind;
    std::string text;
    uint64_t increase;
    uint32_t total;
    int64_t wallMs;
    CounterRef counter;
};

struct RecordingSink : IEventSink {
    std::vector<Recorded> events;
    int done = 0;
    void OnEvent(const DriverEvent& e) override {
        events.push_back({e.kind, std::string(e.Text()), e.increase, e.total, e.wallMs, e.counter});
    }
    void OnEventsDone() override { ++done; }
    std::vector<EventKind> Kinds() const {
        std::vector<EventKind> kinds;
        for (const Recorded& e : events) kinds.push_back(e.kind);
        return kinds;
    }
};

uint16_t IsoRow(Dir d, const char* name) {
    const auto rows = IsoStreamRows(d);
    for (size_t i = 0; i < rows.size(); ++i)
        if (std::strcmp(rows[i].name, name) == 0) return uint16_t(i);
    ADD_FAILURE() << name;
    return 0;
}

uint16_t ChannelRow(const char* name) {
    const auto rows = SingleChannelRows();
    for (size_t i = 0; i < rows.size(); ++i)
        if (std::strcmp(rows[i].name, name) == 0) return uint16_t(i);
    ADD_FAILURE() << name;
    return 0;
}

// A driver with devices, streams and bundles, whose records the test writes directly.
struct Script {
    std::unique_ptr<StatisticsSnapshot> s = std::make_unique<StatisticsSnapshot>();
    std::unique_ptr<RecordValidity> v = std::make_unique<RecordValidity>();
    RecordingSink sink;
    int64_t wall = 1'700'000'000'000;
    int wallReads = 0;
    EventDetector detector{&sink, [this] {
                               ++wallReads;
                               return wall;
                           }};
    int64_t now = 0;

    Script() {
        v->driverVersion = v->deviceList = v->isoStreams = v->bundleList = v->asioStatistics = true;
        SetDevices({{0x100, "Interface A"}, {0x200, "Interface B"}});
        SetStreams(Dir::In, 2, 0x100);
        SetBundles(Dir::Out, 1, 2, 0x200);
        s->asioStatistics.PutU32(AsioStatisticsField::SampleRate, 48000);
    }
    void SetDevices(std::vector<std::pair<uint32_t, const char*>> devices) {
        s->deviceList.PutU32(DeviceListField::Count, uint32_t(devices.size()));
        v->devices.reset();
        for (uint32_t i = 0; i < devices.size(); ++i) {
            s->deviceList.PutU32(DeviceListField::Ids + 4 * i, devices[i].first);
            DeviceInfo& info = s->deviceInfo[i];
            info.Zero();
            info.PutU32(DeviceInfoField::DeviceId, devices[i].first);
            std::memcpy(info.Data() + DeviceInfoField::HardwareName, devices[i].second, std::strlen(devices[i].second));
            v->devices.set(i);
        }
    }
    void SetStreams(Dir d, uint32_t count, uint32_t deviceId) {
        s->isoStreamStatistics.PutU32(d == Dir::In ? IsoStreamStatistics::InCountOffset
                                                   : IsoStreamStatistics::OutCountOffset,
                                      count);
        for (uint32_t i = 0; i < count; ++i) {
            s->isoStreamStatistics.PutU32(IsoStreamStatistics::EntryOffset(d, i), deviceId);
            s->isoStreamStatistics.PutU32(IsoStreamStatistics::EntryOffset(d, i) + 4, 30 + i);  // ISO channel
        }
    }
    void SetIso(Dir d, uint32_t stream, size_t field, uint32_t value) {
        s->isoStreamStatistics.PutU32(IsoStreamStatistics::EntryOffset(d, stream) + field, value);
    }
    void SetBundles(Dir d, uint32_t count, uint32_t channels, uint32_t deviceId) {
        s->bundleList.PutU32(BundleList::HalfOffset(d), count);
        for (uint32_t b = 0; b < count; ++b) {
            s->bundleList.PutU32(BundleList::IdsOffset(d) + 4 * b, 0x5000 + b);
            s->MutableBundle(d, b).PutU32(ChannelBundleInfoField::BundleType, 2);
            s->MutableBundle(d, b).PutU32(ChannelBundleInfoField::ChannelCount, channels);
            s->MutableChannel(d, b, 0).PutU32(ChannelInfoField::DeviceId, deviceId);
            v->bundles[Half(d)].set(b);
        }
    }
    void SetChannel(Dir d, uint32_t b, uint32_t c, size_t field, uint32_t value) {
        s->MutableBundle(d, b).PutU32(ChannelBundleInfo::EntryOffset(c) + field, value);
    }
    void Tick(bool open = true, bool reading = true, bool readFailed = false) {
        now += 500;
        TickFacts f;
        f.monotonicMs = now;
        f.deviceOpen = open;
        f.readingEnabled = reading;
        f.refreshed = open && reading;
        if (f.refreshed) {
            f.readFailed = readFailed;
            f.snapshot = s.get();
            f.validity = v.get();
        }
        detector.OnTick(f);
    }
    // Ticks until the start-up events are out, then forgets them.
    void Settle() {
        Tick();
        sink.events.clear();
    }
    std::vector<Recorded> TickAndTake(bool open = true) {
        sink.events.clear();
        Tick(open);
        return sink.events;
    }
};

CounterRef StreamCounter(Dir d, uint32_t stream, const char* row) {
    CounterRef ref;
    ref.group = CounterGroup::IsoStream;
    ref.dir = d;
    ref.index = stream;
    ref.row = IsoRow(d, row);
    return ref;
}

}  // namespace

TEST(EventDetector, StartUpTellsTheDriverItsDevicesCountsAndRateOnceAndNoCounterTotals) {
    Script t;
    t.SetIso(Dir::In, 0, IsoInField::MissingPacket, 500);  // counted before the panel started
    t.Tick();
    std::vector<std::string> texts;
    for (const Recorded& e : t.sink.events) texts.push_back(e.text);
    EXPECT_EQ(texts, (std::vector<std::string>{
                         "Driver opened.", "Device present: Interface A (ID 0x00000100).",
                         "Device present: Interface B (ID 0x00000200).", "ISO IN streams: 2.", "IN channel bundles: 0.",
                         "ISO OUT streams: 0.", "OUT channel bundles: 1.", "Sample rate: 48000 samples/s."}));
    EXPECT_EQ(t.TickAndTake().size(), 0u);
    EXPECT_EQ(t.sink.done, 1) << "the quiet tick closes no batch";
}

TEST(EventDetector, EveryIncreaseOfAStreamErrorCounterIsToldWithNodeRowIncreaseAndTotal) {
    Script t;
    t.SetIso(Dir::In, 1, IsoInField::MissingPacket, 10);
    t.Settle();
    t.SetIso(Dir::In, 1, IsoInField::MissingPacket, 13);
    t.SetIso(Dir::In, 1, IsoInField::TotalPacketsReceived, 99999);  // counts, but is no error
    auto events = t.TickAndTake();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].kind, EventKind::ErrorIncreased);
    EXPECT_EQ(events[0].text, "ISO IN Streams/Interface A (Stream 31): MissingPacket +3, now 13.");
    EXPECT_EQ(events[0].increase, 3u);
    EXPECT_EQ(events[0].total, 13u);
    EXPECT_EQ(t.TickAndTake().size(), 0u) << "an unchanged counter is quiet";
}

TEST(EventDetector, ChannelErrorCountersNameTheBundleAsTheTreeDoesAndTheChannel) {
    Script t;
    t.Settle();
    t.SetChannel(Dir::Out, 0, 1, BundleChannelEntryField::NoBuffer, 4);
    t.SetChannel(Dir::Out, 0, 1, BundleChannelEntryField::SamplesTransferred, 4000);
    auto events = t.TickAndTake();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].text, "OUT Cannels/Interface B [Stereo 2C]/Channel 1: NoBuffer +4, now 4.");
}

TEST(EventDetector, EveryErrorCounterItToldOfReadsAsThePagesReadIt) {
    Script t;
    t.SetBundles(Dir::In, 2, 3, 0x100);
    t.Settle();
    uint32_t value = 1;
    for (Dir d : {Dir::In, Dir::Out})
        for (uint32_t b = 0; b < (d == Dir::In ? 2u : 1u); ++b)
            for (uint32_t c = 0; c < (d == Dir::In ? 3u : 2u); ++c)
                for (size_t field : {BundleChannelEntryField::DataSlotLabelMismatch, BundleChannelEntryField::NoBuffer})
                    t.SetChannel(d, b, c, field, value++);
    for (size_t field : {IsoInField::IsoRxError, IsoInField::BufferDetachFailed}) t.SetIso(Dir::In, 1, field, value++);
    t.Tick();
    ASSERT_EQ(t.sink.events.size(), value - 1);
    const PageSources sources{*t.s, *t.v, false};
    for (const Recorded& e : t.sink.events) {
        const std::optional<int64_t> read = ReadCounter(sources, e.counter);
        ASSERT_TRUE(read.has_value()) << e.text;
        EXPECT_EQ(*read, int64_t(e.total)) << e.text;
        EXPECT_EQ(e.increase, e.total) << e.text;
        EXPECT_NE(e.text.find(CounterName(e.counter)), std::string::npos) << e.text;
    }
}

TEST(EventDetector, ACounterGoingDownIsAWrapNearTheTopAndOtherwiseSaidPlainly) {
    struct Case {
        uint32_t before, after;
        EventKind kind;
        uint64_t increase;
    };
    const Case cases[] = {
        {0xFFFFFFF0u, 5, EventKind::ErrorWrapped, 21},
        {0xFFFFFFFEu, 0, EventKind::ErrorWrapped, 2},
        {0x90000000u, 0x0FFFFFFFu, EventKind::ErrorWrapped, 0x7FFFFFFFu},
        {100, 3, EventKind::ErrorWentBack, 0},
        {0x80000000u, 0x7FFFFFF0u, EventKind::ErrorWentBack, 0},
    };
    for (const Case& c : cases) {
        Script t;
        t.SetIso(Dir::In, 0, IsoInField::PacketTooLong, c.before);
        t.Settle();
        t.SetIso(Dir::In, 0, IsoInField::PacketTooLong, c.after);
        auto events = t.TickAndTake();
        ASSERT_EQ(events.size(), 1u) << c.before << " -> " << c.after;
        EXPECT_EQ(events[0].kind, c.kind) << c.before << " -> " << c.after;
        if (c.kind == EventKind::ErrorWrapped) {
            EXPECT_EQ(events[0].increase, c.increase);
            EXPECT_NE(events[0].text.find("wrapped"), std::string::npos) << events[0].text;
        } else {
            EXPECT_EQ(events[0].text, "ISO IN Streams/Interface A (Stream 30): PacketTooLong went back to " +
                                          std::to_string(c.after) + " (was " + std::to_string(c.before) + ").");
        }
        EXPECT_EQ(events[0].total, c.after);
    }
}

TEST(EventDetector, ClearStatisticsIsNoErrorAndOnlyWhatCountedSinceItIsAnIncrease) {
    Script t;
    t.SetIso(Dir::In, 0, IsoInField::MissingPacket, 0xFFFFFFF0u);  // would look like a wrap
    t.SetIso(Dir::In, 1, IsoInField::MissingPacket, 40);
    t.SetChannel(Dir::Out, 0, 0, BundleChannelEntryField::NoBuffer, 7);
    t.Settle();
    t.detector.OnClearStatistics(t.now + 10, true);
    ASSERT_EQ(t.sink.events.size(), 1u);
    EXPECT_EQ(t.sink.events[0].text, "Statistics cleared.");

    t.SetIso(Dir::In, 0, IsoInField::MissingPacket, 0);
    t.SetIso(Dir::In, 1, IsoInField::MissingPacket, 2);  // counted again before the refresh
    t.SetChannel(Dir::Out, 0, 0, BundleChannelEntryField::NoBuffer, 0);
    auto events = t.TickAndTake();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].kind, EventKind::ErrorIncreased);
    EXPECT_EQ(events[0].increase, 2u);

    // One refresh later a drop is no clear any more.
    t.SetIso(Dir::In, 1, IsoInField::MissingPacket, 1);
    events = t.TickAndTake();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].kind, EventKind::ErrorWentBack);
}

TEST(EventDetector, AFailedClearIsToldAndDoesNotExcuseADrop) {
    Script t;
    t.SetIso(Dir::In, 0, IsoInField::MissingPacket, 0xFFFFFFF0u);
    t.Settle();
    t.detector.OnClearStatistics(t.now + 10, false);
    ASSERT_EQ(t.sink.events.size(), 1u);
    EXPECT_EQ(t.sink.events[0].kind, EventKind::ClearFailed);
    t.SetIso(Dir::In, 0, IsoInField::MissingPacket, 1);
    auto events = t.TickAndTake();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].kind, EventKind::ErrorWrapped);
}

TEST(EventDetector, HotPlugTellsDevicesByNameAndCountsAndStartsReplacedStreamsOver) {
    Script t;
    t.SetIso(Dir::In, 1, IsoInField::MissingPacket, 50);
    t.Settle();

    // Interface B goes with its bundle; stream 1 now belongs to another device, with a lower count.
    t.SetDevices({{0x100, "Interface A"}});
    t.SetBundles(Dir::Out, 0, 0, 0);
    t.s->isoStreamStatistics.PutU32(IsoStreamStatistics::EntryOffset(Dir::In, 1), 0x300);
    t.SetIso(Dir::In, 1, IsoInField::MissingPacket, 3);
    auto events = t.TickAndTake();
    std::vector<std::string> texts;
    for (const Recorded& e : events) texts.push_back(e.text);
    EXPECT_EQ(texts, (std::vector<std::string>{"Device removed: Interface B (ID 0x00000200).",
                                               "OUT channel bundles: 0 (was 1)."}));

    t.SetDevices({{0x100, "Interface A"}, {0x200, "Interface B"}});
    t.SetStreams(Dir::In, 3, 0x100);
    events = t.TickAndTake();
    texts.clear();
    for (const Recorded& e : events) texts.push_back(e.text);
    EXPECT_EQ(texts, (std::vector<std::string>{"Device connected: Interface B (ID 0x00000200).",
                                               "ISO IN streams: 3 (was 2)."}));
}

TEST(EventDetector, SampleRateChangesAreToldWithTheOldRate) {
    Script t;
    t.Settle();
    t.s->asioStatistics.PutU32(AsioStatisticsField::SampleRate, 96000);
    auto events = t.TickAndTake();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].kind, EventKind::SampleRateChanged);
    EXPECT_EQ(events[0].text, "Sample rate: 96000 samples/s (was 48000).");
    // Not available for a while: no change to tell, nor when it comes back the same.
    t.s->asioStatistics.PutU32(AsioStatisticsField::SampleRate, ValueNotAvailable);
    EXPECT_EQ(t.TickAndTake().size(), 0u);
    t.s->asioStatistics.PutU32(AsioStatisticsField::SampleRate, 96000);
    EXPECT_EQ(t.TickAndTake().size(), 0u);
}

TEST(EventDetector, TheDriverLostIsToldOnceAndItsReturnStartsTheCountersOver) {
    Script t;
    t.SetIso(Dir::In, 0, IsoInField::MissingPacket, 80);
    t.Settle();
    auto events = t.TickAndTake(false);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].text, "Driver lost.");
    EXPECT_EQ(t.TickAndTake(false).size(), 0u);

    t.SetIso(Dir::In, 0, IsoInField::MissingPacket, 1);  // a reloaded driver counts from 0
    events = t.TickAndTake();
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events[0].kind, EventKind::DriverOpened);
    for (const Recorded& e : events) EXPECT_NE(CategoryOf(e.kind), EventCategory::Errors) << e.text;
}

TEST(EventDetector, AStartWithoutDriverSaysSoOnceAndStoppedReadingComparesNothing) {
    Script t;
    t.Tick(false);
    t.Tick(false);
    ASSERT_EQ(t.sink.Kinds(), std::vector<EventKind>{EventKind::DriverNotOpened});
    t.sink.events.clear();
    t.Tick(true, false);  // opened, reading stopped
    EXPECT_EQ(t.sink.Kinds(), std::vector<EventKind>{EventKind::DriverOpened});
}

TEST(EventDetector, AFailingReadIsToldAtItsStartAndItsRecoveryNotOnEveryTick) {
    Script t;
    t.Settle();
    t.Tick(true, true, true);
    t.Tick(true, true, true);
    t.Tick(true, true, false);
    t.Tick(true, true, false);
    EXPECT_EQ(t.sink.Kinds(), (std::vector<EventKind>{EventKind::ReadFailed, EventKind::ReadRecovered}));
}

TEST(EventDetector, AnUnreadRecordIsNeitherAnIncreaseNorAStartOver) {
    Script t;
    t.SetIso(Dir::In, 0, IsoInField::MissingPacket, 10);
    t.SetChannel(Dir::Out, 0, 0, BundleChannelEntryField::DataSlotLabelMismatch, 10);
    t.Settle();
    t.v->isoStreams = false;
    t.v->bundles[1].reset(0);
    t.SetIso(Dir::In, 0, IsoInField::MissingPacket, 0);  // zeros of a failed read
    t.SetChannel(Dir::Out, 0, 0, BundleChannelEntryField::DataSlotLabelMismatch, 0);
    EXPECT_EQ(t.TickAndTake().size(), 0u);
    t.v->isoStreams = true;
    t.v->bundles[1].set(0);
    t.SetIso(Dir::In, 0, IsoInField::MissingPacket, 11);
    t.SetChannel(Dir::Out, 0, 0, BundleChannelEntryField::DataSlotLabelMismatch, 12);
    auto events = t.TickAndTake();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].increase, 1u);
    EXPECT_EQ(events[1].increase, 2u);
}

TEST(EventDetector, CommandsFromThePanelAreTold) {
    Script t;
    t.detector.OnReadingSwitched(1, false);
    t.detector.OnReadingSwitched(2, true);
    t.detector.OnTraceMaskChanged(3, 0x3, 0x13);
    std::vector<std::string> texts;
    for (const Recorded& e : t.sink.events) texts.push_back(e.text);
    EXPECT_EQ(texts, (std::vector<std::string>{"Reading stopped.", "Reading started.",
                                               "Trace mask set to 0x00000013 (was 0x00000003)."}));
    EXPECT_EQ(t.sink.done, 3);
}

TEST(EventDetector, RemembersWhenEachErrorCounterLastWentUpTakingTheWallClockOncePerEvent) {
    Script t;
    t.Settle();
    const int readsBefore = t.wallReads;
    t.wall += 5000;
    t.SetIso(Dir::In, 1, IsoInField::MissingPacket, 1);
    t.SetChannel(Dir::Out, 0, 1, BundleChannelEntryField::NoBuffer, 1);
    t.Tick();
    EXPECT_EQ(t.wallReads - readsBefore, 2);

    const auto stream = t.detector.LastIncrease(StreamCounter(Dir::In, 1, "MissingPacket"));
    ASSERT_TRUE(stream.has_value());
    EXPECT_EQ(stream->monotonicMs, t.now);
    EXPECT_EQ(stream->wallMs, t.wall);
    EXPECT_EQ(t.detector.LatestTickMs(), t.now);

    CounterRef channel;
    channel.group = CounterGroup::Channel;
    channel.dir = Dir::Out;
    channel.channel = 1;
    channel.row = ChannelRow("NoBuffer");
    EXPECT_TRUE(t.detector.LastIncrease(channel).has_value());
    channel.channel = 0;
    EXPECT_FALSE(t.detector.LastIncrease(channel).has_value()) << "the other channel did not count";
    EXPECT_FALSE(t.detector.LastIncrease(StreamCounter(Dir::In, 0, "MissingPacket")).has_value());
    EXPECT_FALSE(t.detector.LastIncrease(StreamCounter(Dir::In, 1, "TotalPacketsReceived")).has_value());
    EXPECT_FALSE(t.detector.LastIncrease(StreamCounter(Dir::In, 99, "MissingPacket")).has_value());
}

TEST(EventDetector, AFloodOfIncreasesInOneRefreshIsListedUpToItsLimitAndTheRestCounted) {
    Script t;
    t.SetBundles(Dir::In, 10, 16, 0x100);
    t.Settle();
    const int readsBefore = t.wallReads;
    for (uint32_t b = 0; b < 10; ++b)
        for (uint32_t c = 0; c < 16; ++c)
            for (size_t field : {BundleChannelEntryField::DataSlotLabelMismatch, BundleChannelEntryField::NoBuffer})
                t.SetChannel(Dir::In, b, c, field, 1);
    t.Tick();
    ASSERT_EQ(t.sink.events.size(), size_t(EventDetector::ErrorEventsPerRefresh) + 1);
    EXPECT_EQ(t.sink.events.back().kind, EventKind::ErrorsNotListed);
    EXPECT_EQ(t.sink.events.back().text, "120 more error counters went up in this refresh.");
    EXPECT_EQ(t.wallReads - readsBefore, EventDetector::ErrorEventsPerRefresh + 1);
    CounterRef last;
    last.group = CounterGroup::Channel;
    last.index = 9;
    last.channel = 15;
    last.row = ChannelRow("NoBuffer");
    EXPECT_TRUE(t.detector.LastIncrease(last).has_value()) << "still marked on the page";
    EXPECT_EQ(t.TickAndTake().size(), 0u);
}

TEST(EventDetector, CountsFromTheDriverBeyondCapacitiesStayWithinItsTables) {
    Script t;
    t.s->isoStreamStatistics.PutU32(IsoStreamStatistics::InCountOffset, 0xFFFFFFFF);
    t.s->bundleList.PutU32(BundleList::HalfOffset(Dir::Out), 0xFFFFFFFF);
    for (uint32_t b = 0; b < 128; ++b) {
        t.s->MutableBundle(Dir::Out, b).PutU32(ChannelBundleInfoField::ChannelCount, 0xFFFF);
        t.v->bundles[1].set(b);
    }
    t.s->deviceList.PutU32(DeviceListField::Count, 1000);
    t.Tick();
    t.SetChannel(Dir::Out, 127, 15, BundleChannelEntryField::NoBuffer, 1);
    auto events = t.TickAndTake();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_NE(events[0].text.find("(Bundle 127)/Channel 15: NoBuffer"), std::string::npos) << events[0].text;
}
