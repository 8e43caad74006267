// What a history window costs on a tick once it holds its full ten minutes: the new samples
// and the redraw of both lines (Replot), and the paint of the whole window (Paint; the screen
// repaints less: the part that changed).
#include <benchmark/benchmark.h>

#include <QPixmap>
#include <memory>

#include "driver/DriverRecords.h"
#include "driver/StatisticsSnapshot.h"
#include "history/EventMarks.h"
#include "history/HistorySampler.h"
#include "plots/HistoryWindow.h"
#include "rows/AsioRows.h"

namespace {

// A sampler watching one growing ASIO counter, fed ticks 500 ms apart.
struct FedSampler {
    static constexpr uint16_t Row = 12;  // TotalBufferSwitches
    std::unique_ptr<StatisticsSnapshot> snapshot = std::make_unique<StatisticsSnapshot>();
    RecordValidity validity;
    PublishedDriverVersion published;
    HistorySampler sampler{published};
    EventMarks marks;
    int slot = sampler.Watch({CounterGroup::Asio, Dir::In, 0, 0, Row});
    int64_t now = 0;
    uint32_t count = 0;

    FedSampler() {
        validity.asioStatistics = true;
        published.ExtendedStatistics = 1;
        for (size_t i = 0; i < CounterHistory::Capacity; ++i) Tick();
    }
    void Tick() {
        now += 500;
        count += 1000 + (now % 7000 == 0 ? 50 : 0);
        snapshot->asioStatistics.PutU32(AsioRows()[Row].field, count);
        TickFacts facts;
        facts.monotonicMs = now;
        facts.deviceOpen = facts.readingEnabled = facts.refreshed = true;
        facts.snapshot = snapshot.get();
        facts.validity = &validity;
        sampler.OnTick(facts);
        // An error counter rising every few seconds: a mark each time.
        if (now % 3000 == 0) {
            DriverEvent event;
            event.kind = EventKind::ErrorIncreased;
            event.monotonicMs = now;
            marks.OnEvent(event);
        }
    }
};

void BM_HistoryWindowReplot(benchmark::State& state) {
    FedSampler fed;
    HistoryWindow window(fed.sampler, fed.marks, fed.slot, "bench");
    window.setAttribute(Qt::WA_DeleteOnClose, false);
    window.show();
    for (auto _ : state) {
        fed.Tick();
        window.Replot();
    }
}
BENCHMARK(BM_HistoryWindowReplot)->Unit(benchmark::kMicrosecond);

void BM_HistoryWindowPaint(benchmark::State& state) {
    FedSampler fed;
    HistoryWindow window(fed.sampler, fed.marks, fed.slot, "bench");
    window.setAttribute(Qt::WA_DeleteOnClose, false);
    window.show();
    QPixmap canvas(window.size());
    for (auto _ : state) window.render(&canvas);
}
BENCHMARK(BM_HistoryWindowPaint)->Unit(benchmark::kMicrosecond);

}  // namespace
