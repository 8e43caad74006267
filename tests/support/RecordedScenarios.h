#pragma once

#include <QTreeWidgetItem>
#include <cinttypes>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "eventlog/EventLog.h"
#include "export/SnapshotDocument.h"
#include "record/RecordHeader.h"
#include "support/PageTextSourcesOf.h"
#include "support/PanelFixture.h"

// The short recordings the replay tests play back (tests/recordings): how each was made with
// the simulator, and what the panel showed after every tick of it.
struct RecordedScenario {
    const char* name;
    int ticks;
    // Changes the driver before the given tick (from 1).
    void (*before)(sim::DriverSimulator& sim, int tick);
};

inline sim::SimOptions RecordedStudio() {
    sim::SimOptions o;
    o.inStreams = o.outStreams = 1;
    o.inBundles = o.outBundles = 2;
    return o;
}

inline const std::vector<RecordedScenario>& RecordedScenarios() {
    static const std::vector<RecordedScenario> scenarios = {
        {"hotplug", 10, [](sim::DriverSimulator& s, int t) { if (t == 1) s.SetHotplugPeriod(1500); }},
        {"unload", 10, [](sim::DriverSimulator& s, int t) { if (t == 4 || t == 7) s.SetLoaded(t == 7); }},
        {"error-burst", 9, [](sim::DriverSimulator& s, int t) { if (t == 4 || t == 6) s.SetErrorRate(t == 4 ? 300 : 0); }},
        {"hung-code", 9,
         [](sim::DriverSimulator& s, int t) {
             sim::FaultPlan f;
             if (t == 3) f.noAnswerCode = IOCTL_QOR_GET_ASIO_STATISTICS;
             if (t == 3 || t == 7) s.SetFaults(f);
         }},
    };
    return scenarios;
}

// The header the recordings carry, the same on every run.
inline RecordHeader RecordedHeader() { return RecordHeader::ThisPanel(1795046400000, 500); }

inline std::string Digest(std::string_view text) {
    uint64_t h = 14695981039346656037ull;
    for (unsigned char c : text) h = (h ^ c) * 1099511628211ull;
    char out[17];
    std::snprintf(out, sizeof out, "%016" PRIx64, h);
    return out;
}

inline void TreeText(const QTreeWidgetItem* item, std::string& out) {
    out += item->text(0).toStdString() + "\n";
    for (int i = 0; i < item->childCount(); ++i) TreeText(item->child(i), out);
}

// What the panel shows after a tick: the reading and driver panes, the tree, every page as the
// export writes it, the snapshot file, and the event log's new lines without their times.
inline std::vector<std::string> CapturedTick(PanelFixture& f, int tick, int& eventsSeen) {
    const PageTextSources sources = PageTextSourcesOf(f.dev);
    std::string tree;
    for (int i = 0; i < f.Tree().topLevelItemCount(); ++i) TreeText(f.Tree().topLevelItem(i), tree);
    std::vector<std::string> lines;
    lines.push_back("tick " + std::to_string(tick) + " | " + f.StatusBar().PaneText(0).toStdString() + " | " +
                    f.StatusBar().PaneText(2).toStdString() + " | tree " + Digest(tree) + " | pages " +
                    Digest(SnapshotDocument::Text(sources, "")) + " | json " +
                    Digest(SnapshotDocument::Json(sources, "2026-12-01T00:00:00Z", "2026-12-01T00:00:00Z")));
    const EventLogModel& events = f.frame->Events().Model();
    constexpr int TimeWidth = 25;  // "yyyy-MM-dd HH:mm:ss.zzz  "
    for (; eventsSeen < events.rowCount(); ++eventsSeen) {
        std::string line = events.Line(eventsSeen).mid(TimeWidth).toStdString();
        // A kept snapshot's file is named after the clock and lives in the run's own folder.
        if (const size_t at = line.find(" saved to "); at != std::string::npos) line.resize(at + 9);
        lines.push_back("  " + line);
    }
    return lines;
}
