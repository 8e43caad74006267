#include <gtest/gtest.h>

#include <map>

#include "events/EventDetector.h"
#include "eventlog/EventLog.h"
#include "pages/ListPage.h"
#include "support/PanelFixture.h"

// Error counters that went up lately: a pale background behind the red text, and the time
// of the latest increase in the description pane.
namespace {

constexpr int MissingPacketRow = 15;     // of the ISO IN rows
constexpr int TotalPacketsRow = 4;

// Says which counters went up when, and what time it is now.
struct FakeRecency : ICounterRecency {
    struct Key {
        CounterRef ref;
        bool operator<(const Key& o) const {
            return std::tie(ref.group, ref.dir, ref.index, ref.channel, ref.row) <
                   std::tie(o.ref.group, o.ref.dir, o.ref.index, o.ref.channel, o.ref.row);
        }
    };
    std::map<Key, CounterIncrease> increases;
    bool everything = false;  // every counter went up at 0
    int64_t now = 0;
    std::optional<CounterIncrease> LastIncrease(const CounterRef& ref) const override {
        if (everything) return CounterIncrease{0, 1'700'000'000'000};
        auto it = increases.find({ref});
        if (it == increases.end()) return std::nullopt;
        return it->second;
    }
    int64_t LatestTickMs() const override { return now; }
};

CounterRef IsoIn(uint32_t stream, int row) {
    CounterRef ref;
    ref.group = CounterGroup::IsoStream;
    ref.dir = Dir::In;
    ref.index = stream;
    ref.row = uint16_t(row);
    return ref;
}

struct Panel : PanelFixture {
    FakeRecency recency;
    CListColorCtrlEx& List(const char* page) { return Page<ListPage>(page).List(); }
    void ShowIsoIn() {
        Start();
        Tick(2);
        Select(Root(NodeKind_IsoInStreams));
        View().SetCounterRecency(&recency);
    }
    void TellView() { View().OnTick(TickFacts{}); }
};

}  // namespace

TEST(RecentIncrease, ACounterThatWentUpWithinTenSecondsIsMarkedOnlyInItsOwnCellUntilTheyPass) {
    Panel p;
    p.ShowIsoIn();
    CListColorCtrlEx& list = p.List("isoInStreamsPage");
    p.recency.increases[{IsoIn(1, MissingPacketRow)}] = {1000, 1'700'000'000'000};
    struct Step {
        int64_t now;
        Colour stream1;
    };
    for (const Step& step : {Step{1000, Colours::RecentIncrease}, Step{10999, Colours::RecentIncrease},
                             Step{11000, Colours::White}, Step{20000, Colours::White}}) {
        p.recency.now = step.now;
        p.TellView();
        EXPECT_EQ(list.CellBackground(MissingPacketRow, 2), step.stream1) << step.now;
        EXPECT_EQ(list.CellBackground(MissingPacketRow, 1), Colours::White) << "stream 0 did not count";
        EXPECT_EQ(list.CellBackground(MissingPacketRow - 1, 2), Colours::White) << "nor the row above";
    }
}

TEST(RecentIncrease, OnlyErrorCountersAreMarkedSoTheAsioPageStaysAsItWas) {
    Panel p;
    p.ShowIsoIn();
    p.recency.everything = true;
    p.TellView();
    CListColorCtrlEx& iso = p.List("isoInStreamsPage");
    EXPECT_EQ(iso.CellBackground(MissingPacketRow, 1), Colours::RecentIncrease);
    EXPECT_EQ(iso.CellBackground(TotalPacketsRow, 1), Colours::White);

    p.Select(p.Root(NodeKind_Asio));
    p.TellView();
    CListColorCtrlEx& asio = p.List("asioPage");
    for (int r = 0; r < asio.RowCount(); ++r)
        for (int c = 0; c < asio.ColumnCount(); ++c) EXPECT_EQ(asio.CellBackground(r, c), Colours::White) << r;
}

TEST(RecentIncrease, TheDescriptionPaneTellsWhenTheRowsCounterLastWentUpAndWhere) {
    Panel p;
    p.ShowIsoIn();
    const int64_t wall = 1'700'000'000'123;
    p.recency.increases[{IsoIn(0, MissingPacketRow)}] = {100, wall - 5000};
    p.recency.increases[{IsoIn(1, MissingPacketRow)}] = {200, wall};
    p.View().ShowRowDescription(MissingPacketRow);
    const QString time = QDateTime::fromMSecsSinceEpoch(wall).toString("yyyy-MM-dd HH:mm:ss.zzz");
    const QString heading = p.List("isoInStreamsPage").HeadingText(2);
    EXPECT_EQ(p.View().DescriptionText(), "An isochronous packet is missing.\nLast increase: " + time + " (" + heading + ")");
    p.View().ShowRowDescription(TotalPacketsRow);
    EXPECT_FALSE(p.View().DescriptionText().contains("Last increase"));
}

TEST(RecentIncrease, AnIncreaseTheDriverReportsIsLoggedAndMarkedOnTheSameTick) {
    Panel p;
    p.Start();
    p.Tick(2);
    p.Select(p.Root(NodeKind_IsoInStreams));
    p.Tick();
    ASSERT_TRUE(p.sim.SetIsoInField(0, IsoInField::MissingPacket, 5));
    p.Tick();
    CListColorCtrlEx& list = p.List("isoInStreamsPage");
    EXPECT_EQ(list.CellBackground(MissingPacketRow, 1), Colours::RecentIncrease);
    EXPECT_EQ(list.CellTextColour(MissingPacketRow, 1), Colours::Highlight) << "the red text stays";
    const EventLogModel& model = p.frame->Events().Model();
    ASSERT_GT(model.rowCount(), 0);
    EXPECT_TRUE(model.Line(model.rowCount() - 1).endsWith(": MissingPacket +5, now 5."))
        << model.Line(model.rowCount() - 1).toStdString();
}
