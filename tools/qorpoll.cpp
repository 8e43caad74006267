// A headless panel: runs the polling cycle against the control device and prints what the
// status bar would show after every tick, or every page as the panel shows it (text, JSON,
// CSV), or the counters that changed while it watched. The pages come from the panel's own
// row tables, so the tool and the panel cannot disagree.

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "cycle/PollingCycle.h"
#include "driver/CDev.h"
#include "export/SnapshotDocument.h"
#include "rows/CounterRef.h"
#include "platform/ReportingControlDevice.h"
#include "record/DriverRecorder.h"
#include "res/StringTable.h"
#ifndef _WIN32
#include "platform/SocketControlDevice.h"
#endif

namespace {
class ConsoleWindow : public IStatusPanes, public IToolbarImage, public IPollingView {
public:
    ConsoleWindow(CDev& dev, RestoreWindow& restore, bool allPages)
        : dev_(dev), restore_(restore), allPages_(allPages) {}
    void SetPane(int pane, std::string_view text, Colour, Colour) override {
        if (pane >= 0 && pane < 3) panes_[pane] = std::string(text);
    }
    void RepaintNow() override {}
    void LoadBitmap(int) override {}
    void RefreshInfoPage(bool) override {}
    void RefreshPage(PageId page) override {
        // The panel reads the sample rate record while the devices page shows; a dump shows every page.
        if (allPages_ && page == PageId::Devices) dev_.ReadGlobalInfo();
    }
    void ResetPageState() override {}
    void ShowPlaceholder(PageId, std::string_view) override {}
    void RebuildTree() override { restore_.Open(); }
    void SelectLastSelectedItem() override {}
    void SelectGeneral() override {}
    void ClearDescription() override {}

    void Print(int tick) const {
        const StatisticsSnapshot& s = dev_.Snapshot();
        std::printf("tick %d | %s | %s | %s | devices %u, streams %u/%u, bundles %u/%u\n", tick, panes_[0].c_str(),
                    panes_[1].c_str(), panes_[2].c_str(), dev_.DeviceCount(),
                    s.isoStreamStatistics.Count(Dir::In), s.isoStreamStatistics.Count(Dir::Out),
                    s.bundleList.Count(Dir::In), s.bundleList.Count(Dir::Out));
        std::fflush(stdout);
    }

private:
    CDev& dev_;
    RestoreWindow& restore_;
    bool allPages_;
    std::string panes_[3];
};

constexpr const char* Program = "qorpoll";
constexpr long MaxPeriodMs = 3600 * 1000;
constexpr long MaxWatchSeconds = 7 * 24 * 3600;  // 604800, as --watch says

// Exit codes.
constexpr int ExitOk = 0;
constexpr int ExitNoDriverStatus = 1;  // the status ticks found no driver on the last tick
constexpr int ExitUsage = 2;           // a bad command line, or no driver for a dump or a watch
constexpr int ExitErrorsCounted = 3;   // --watch --fail-on-errors: an error counter went up

enum class Mode { Status, Dump, Json, Csv, Watch };

void Usage() {
    std::printf(
        "Usage: qorpoll [options]\n"
        "Runs the panel's polling cycle against the driver's control device. Without a mode it\n"
        "prints, after every tick, what the status bar would show and how many devices, streams\n"
        "and bundles were read.\n"
        "\n"
        "Modes (one at most):\n"
        "  --dump            read once and print every page as the panel shows it\n"
        "  --json            read once and print the snapshot document (as File > Save Snapshot As...)\n"
        "  --csv             the same as CSV: node, row, column, value, unit\n"
        "  --watch SECONDS   read for SECONDS seconds, then print each counter that changed, with\n"
        "                    tabs between: where, name, first value, last value, difference, unit,\n"
        "                    and 'error' for an error counter\n"
        "  --fail-on-errors  with --watch: exit 3 when an error counter (the panel's red rows) went up\n"
        "\n"
        "Options:\n"
#ifndef _WIN32
        "  --socket PATH     the control device's socket (default %s)\n"
#endif
        "  --ticks N         stop after N ticks (default: run until interrupted)\n"
        "  --record FILE     also write every request to the driver and its answer to FILE, for\n"
        "                    qorsimd --replay FILE or a support desk (stops at 200 MB)\n"
        "  --period-ms N     milliseconds between ticks (default 500)\n"
        "  -h, --help        show this text and exit\n"
        "  -v, --version     show the version and exit\n"
        "\n"
        "Exit status: 0 success; 1 the status ticks found no driver on the last tick; 2 a bad\n"
        "command line, or the driver could not be opened for --dump, --json, --csv or --watch;\n"
        "3 an error counter went up during --watch --fail-on-errors.\n"
#ifndef _WIN32
        , ReportingControlDevice::SystemPath().empty() ? "none: no private directory for it"
                                                       : ReportingControlDevice::SystemPath().c_str()
#endif
    );
}

// A whole number from min to max, nothing else.
bool ParseNumber(const std::string& text, long min, long max, long& value) {
    if (text.empty() || text[0] == '+' || text[0] == ' ') return false;
    errno = 0;
    char* end = nullptr;
    const long v = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || v < min || v > max) return false;
    value = v;
    return true;
}

struct Options {
    std::string path = ReportingControlDevice::SystemPath();
    long ticks = -1;  // until interrupted
    long periodMs = 500;
    Mode mode = Mode::Status;
    long watchSeconds = 0;
    bool failOnErrors = false;
    std::string record;
};

// 0 to go on, otherwise the exit code: -1 for --help and --version (exit 0), 2 for a mistake.
int ParseArguments(int argc, char** argv, Options& options) {
    auto fail = [](const std::string& message) {
        std::fprintf(stderr, "%s: %s\nTry '%s --help' for more information.\n", Program, message.c_str(), Program);
        return 2;
    };
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= argc) return false;
            out = argv[++i];
            return true;
        };
        std::string text;
        auto mode = [&](Mode m) {
            if (options.mode != Mode::Status && options.mode != m) return false;
            options.mode = m;
            return true;
        };
        const char* const oneMode = "choose one of --dump, --json, --csv and --watch";
        if (arg == "--dump" || arg == "--json" || arg == "--csv") {
            if (!mode(arg == "--dump" ? Mode::Dump : arg == "--json" ? Mode::Json : Mode::Csv)) return fail(oneMode);
        } else if (arg == "--watch") {
            if (!mode(Mode::Watch)) return fail(oneMode);
            if (!value(text)) return fail("--watch needs a number of seconds");
            if (!ParseNumber(text, 1, MaxWatchSeconds, options.watchSeconds))
                return fail("--watch wants a whole number of seconds from 1 to 604800, not '" + text + "'");
        } else if (arg == "--fail-on-errors") {
            options.failOnErrors = true;
        } else if (arg == "-h" || arg == "--help") {
            Usage();
            return -1;
        } else if (arg == "-v" || arg == "--version") {
            std::printf(Str::VersionLineFormat, Program, Str::PanelVersion[0], Str::PanelVersion[1],
                        Str::PanelVersion[2]);
            return -1;
#ifndef _WIN32
        } else if (arg == "--socket") {
            if (!value(options.path) || options.path.empty()) return fail("--socket needs a path");
#endif
        } else if (arg == "--record") {
            if (!value(options.record) || options.record.empty()) return fail("--record needs a file");
        } else if (arg == "--ticks") {
            if (!value(text)) return fail("--ticks needs a number");
            if (!ParseNumber(text, 1, 1L << 30, options.ticks))
                return fail("--ticks wants a whole number from 1, not '" + text + "'");
        } else if (arg == "--period-ms") {
            if (!value(text)) return fail("--period-ms needs a number");
            if (!ParseNumber(text, 1, MaxPeriodMs, options.periodMs))
                return fail("--period-ms wants a whole number from 1 to " + std::to_string(MaxPeriodMs) + ", not '" +
                            text + "'");
        } else {
            return fail("unknown option '" + arg + "'");
        }
    }
    if (options.failOnErrors && options.mode != Mode::Watch) return fail("--fail-on-errors needs --watch");
    if (options.mode != Mode::Status && options.ticks > 0) return fail("--ticks goes with the status ticks only");
    return 0;
}

PageTextSources Sources(const CDev& dev) {
    return PageTextSources{
        PageSources{dev.Snapshot(), dev.Validity(), dev.Published().ExtendedStatistics != 0}, dev.Published()};
}

// One counter the watch follows: where the panel shows it, and its value.
struct Watched {
    std::string where;
    std::string name;
    std::string unit;  // the ASIO page has two rows of one name, told apart by their units
    bool error = false;
    std::optional<int64_t> first;
    std::optional<int64_t> last;
};

uint64_t Key(const CounterRef& r) {
    return (uint64_t(r.group) << 62) | (uint64_t(r.dir) << 61) | (uint64_t(r.index & 0xFFFFFF) << 32) |
           (uint64_t(r.channel & 0xFFFF) << 16) | r.row;
}

// Every counter of every page, each once, under the name of the page that shows it alone.
std::map<uint64_t, std::pair<CounterRef, Watched>> Counters(const CDev& dev) {
    std::map<uint64_t, std::pair<CounterRef, Watched>> counters;
    const PageTextSources sources = Sources(dev);
    for (const PageTable& page : PageTables(sources)) {
        const uint32_t kind = KindOf(page.node);
        // The columns of these pages are streams or channels of their own.
        const bool columnsApart =
            kind == NodeKind_IsoInStreams || kind == NodeKind_IsoOutStreams || kind == NodeKind_ChannelIn ||
            kind == NodeKind_ChannelOut;
        for (std::size_t r = 0; r < page.rows.size(); ++r) {
            for (std::size_t c = 1; c < page.rows[r].size(); ++c) {
                const std::optional<CounterRef> ref = CounterAtCell(page.node, int(r), int(c));
                if (!ref) continue;
                auto [it, added] = counters.try_emplace(Key(*ref));
                if (!added) continue;
                Watched& w = it->second.second;
                it->second.first = *ref;
                w.where = page.path;
                if (columnsApart && c < page.headings.size()) w.where.append("/").append(page.headings[c]);
                w.name = page.rows[r][0].text;
                w.unit = PanelTextUtf8(TrimmedUnit(CounterUnit(*ref)));
                w.error = IsErrorCounter(*ref);
            }
        }
    }
    return counters;
}

void ReadValues(const CDev& dev, std::map<uint64_t, std::pair<CounterRef, Watched>>& counters, bool first) {
    const CounterSources sources{dev.Snapshot(), dev.Validity(), dev.Published().ExtendedStatistics != 0};
    for (auto& [key, entry] : counters) {
        const std::optional<int64_t> value = ReadCounter(sources, entry.first);
        if (first)
            entry.second.first = value;
        else if (value)
            entry.second.last = value;
    }
}
}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (int code = ParseArguments(argc, argv, options); code != 0) return code < 0 ? 0 : code;

#ifdef _WIN32
    std::unique_ptr<ControlDevice> system = MakeSystemControlDevice();
#else
    std::unique_ptr<ControlDevice> system = std::make_unique<SocketControlDevice>(options.path);
#endif
    ReportingControlDevice device(*system, Program, options.path, stderr);
    CDev dev(device);
    RestoreWindow restore;
    // A recording holds what the panel reads too, so that it replays into every page.
    ConsoleWindow window(dev, restore, options.mode != Mode::Status || !options.record.empty());
    PollingCycle cycle(dev, restore, window, window, window);
    cycle.ResetView();
    DriverRecorder recorder(dev);
    if (!options.record.empty() && !recorder.Start(options.record, static_cast<uint32_t>(options.periodMs))) {
        std::fprintf(stderr, "%s: cannot record: %s\n", Program, recorder.Error().c_str());
        return ExitUsage;
    }
    auto refresh = [&] {
        cycle.OnRefreshTimer();
        if (recorder.Started() && !recorder.Recording()) {
            std::fprintf(stderr, "%s: the recording stopped: %s\n", Program, recorder.Error().c_str());
            recorder.Stop();
        }
    };

    if (options.mode != Mode::Status) {
        // The device reports a failed open on stderr, with the path it tried.
        refresh();
        if (device.LastOpenResult() != 0) return ExitUsage;
        const std::string time = SnapshotDocument::UtcTime(std::chrono::system_clock::now());
        std::string out;
        switch (options.mode) {
            case Mode::Dump: out = SnapshotDocument::Text(Sources(dev)); break;
            case Mode::Json: out = SnapshotDocument::Json(Sources(dev), time); break;
            case Mode::Csv: out = SnapshotDocument::Csv(Sources(dev), time); break;
            default: break;
        }
        if (options.mode != Mode::Watch) {
            std::fwrite(out.data(), 1, out.size(), stdout);
            return ExitOk;
        }
        auto counters = Counters(dev);
        ReadValues(dev, counters, true);
        const long ticks = std::max(1L, options.watchSeconds * 1000 / options.periodMs);
        for (long tick = 0; tick < ticks; ++tick) {
            std::this_thread::sleep_for(std::chrono::milliseconds(options.periodMs));
            refresh();
            // A tick without the driver changes nothing: the values are those of the last one that read.
            if (device.LastOpenResult() == 0) ReadValues(dev, counters, false);
        }
        bool errorsCounted = false;
        for (const auto& [key, entry] : counters) {
            const Watched& w = entry.second;
            if (!w.first || !w.last || *w.first == *w.last) continue;
            const int64_t delta = *w.last - *w.first;
            std::printf("%s\t%s\t%lld\t%lld\t%+lld\t%s%s\n", w.where.c_str(), w.name.c_str(),
                        static_cast<long long>(*w.first), static_cast<long long>(*w.last),
                        static_cast<long long>(delta), w.unit.c_str(), w.error ? "\terror" : "");
            errorsCounted = errorsCounted || (w.error && delta > 0);
        }
        std::fflush(stdout);
        return options.failOnErrors && errorsCounted ? ExitErrorsCounted : ExitOk;
    }
    const long ticksPerSecond = std::max(1L, 1000 / options.periodMs);
    for (long tick = 1; options.ticks < 0 || tick <= options.ticks; ++tick) {
        std::this_thread::sleep_for(std::chrono::milliseconds(options.periodMs));
        if (tick % ticksPerSecond == 0) cycle.OnElapsedTimer();
        refresh();
        window.Print(static_cast<int>(tick));
    }
    return device.LastOpenResult() == 0 ? ExitOk : ExitNoDriverStatus;
}
