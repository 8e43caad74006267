// What a snapshot file or a qorpoll dump costs beside one refresh (BM_RefreshInProcess): the
// whole tree as tables, then as JSON, CSV and text, for the simulator's studio and at maximum
// load (256 bundle pages of 16 channels).
#include <benchmark/benchmark.h>

#include <string>

#include "export/SnapshotDocument.h"
#include "support/PageTextSourcesOf.h"
#include "support/RefreshReads.h"
#include "support/SimulatedDriver.h"

namespace {

struct ExportRig : SimulatedDriver {
    explicit ExportRig(bool maxLoad) : SimulatedDriver(maxLoad ? sim::SimOptions::MaxLoad() : sim::SimOptions{}) {
        RefreshReads(dev);
    }
};

enum Format { Tables, Json, Csv, Text };

void BM_Export(benchmark::State& state) {
    const ExportRig rig(state.range(1) != 0);
    const PageTextSources sources = PageTextSourcesOf(rig.dev);
    std::size_t bytes = 0;
    for (auto _ : state) {
        switch (state.range(0)) {
            case Tables: bytes = PageTables(sources).size(); break;
            case Json: bytes = SnapshotDocument::Json(sources, "2026-12-09T00:00:00Z", "2026-12-09T00:00:01Z").size(); break;
            case Csv: bytes = SnapshotDocument::Csv(sources, "2026-12-09T00:00:00Z", "2026-12-09T00:00:01Z").size(); break;
            default: bytes = SnapshotDocument::Text(sources, "2026-12-09T00:00:00Z").size(); break;
        }
        benchmark::DoNotOptimize(bytes);
    }
    state.counters[state.range(0) == Tables ? "pages" : "bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_Export)
    ->ArgNames({"format", "max_load"})
    ->ArgsProduct({{Tables, Json, Csv, Text}, {0, 1}})
    ->Unit(benchmark::kMillisecond);

}  // namespace
