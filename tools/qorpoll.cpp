// A headless panel: runs the polling cycle against the control device and prints what the
// status bar would show after every tick, or every page as the panel shows it (text, JSON,
// CSV), or the counters that changed while it watched. The pages come from the panel's own
// row tables, so the tool and the panel cannot disagree.

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "base/CommandLine.h"
#include "cycle/PollingCycle.h"
#include "driver/CDev.h"
#include "export/SnapshotDocument.h"
#include "platform/ReportingControlDevice.h"
#include "platform/StopRequest.h"
#include "record/DriverRecorder.h"
#include "res/StringTable.h"
#include "rows/PageDescription.h"
#include "PollWatch.h"
#include "metrics/LatestMetrics.h"
#include "metrics/MetricsLayout.h"
#include "metrics/MetricsServer.h"
#include "platform/FileReplace.h"

namespace {
class ConsoleWindow : public IStatusPanes, public IToolbarImage, public IPollingView {
public:
    // `allPages`: it reads what every page reads; `nameDevices`: it names the devices a dump
    // shows, once, as a freshly started panel does.
    ConsoleWindow(CDev& dev, RestoreWindow& restore, bool allPages, bool nameDevices)
        : dev_(dev), restore_(restore), allPages_(allPages), nameDevices_(nameDevices) {}
    void SetPane(int pane, std::string_view text, Colour, Colour) override {
        if (pane >= 0 && pane < 3) panes_[pane] = std::string(text);
    }
    void RepaintNow() override {}
    void LoadBitmap(int) override {}
    void RefreshInfoPage(bool) override {}
    void RefreshPage(PageId page) override {
        // A dump shows every page, so it asks what each page asks for while it shows: the devices
        // page, the sample rate record.
        const PageDescription* description = PageOf(RootKindOf(page));
        if (!allPages_ || description == nullptr) return;
        if (description->requests & RequestGlobalInfo) dev_.ReadGlobalInfo();
        if (nameDevices_ && (description->requests & RequestItemNames)) AskNames(*description);
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

    // The names the lists' devices were given when asked for alone.
    const ListLayouts& Names() const { return names_; }

private:
    // A panel asks for the name of each device its lists name; the device list, when it
    // answers, has them already.
    void AskNames(const PageDescription& page) {
        const StatisticsSnapshot& s = dev_.Snapshot();
        const PageSources sources{s, dev_.Validity(), false};
        auto ask = [&](uint32_t id) {
            if (SnapshotDeviceName(sources, id) || names_.DeviceName(id)) return;
            if (const char* name = dev_.GetDeviceName(id)) names_.KeepName(id, name);
        };
        const uint32_t children = std::min(ChildCount(page, s), StatisticsSnapshot::BundleCapacity);
        for (uint32_t i = 0; i < children; ++i) ask(ItemDeviceId(page, s, page.kind, i));
        if (page.rows == PageRows::ChannelList)
            ForEachChannelRow(s, page.dir, children,
                              [&](uint32_t b, uint32_t c) { ask(s.Channel(page.dir, b, c).DeviceId()); });
    }

    CDev& dev_;
    RestoreWindow& restore_;
    bool allPages_;
    bool nameDevices_;
    std::string panes_[3];
    ListLayouts names_;
};

constexpr const char* Program = "qorpoll";
constexpr const char* TextFileName = "qorstats.prom";
constexpr long MaxPeriodMs = 3600 * 1000;
constexpr long MaxWatchSeconds = 7 * 24 * 3600;  // 604800, as --watch says

// Exit codes.
constexpr int ExitOk = 0;
constexpr int ExitNoDriverStatus = 1;  // the status ticks found no driver on the last tick
constexpr int ExitUsage = 2;           // a bad command line, or no driver for a dump or a watch

enum class Mode { Status, Dump, Json, Csv, Watch, Metrics };

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
        "                    'error' for an error counter and 'went back' for one that went down;\n"
        "                    then a line 'event<TAB>text' for each device that left or came and\n"
        "                    each error counter that went back. Ctrl+C prints what was gathered\n"
        "  --fail-on-errors  with --watch: exit 3 when an error counter (the panel's red rows) went\n"
        "                    up, a device left or a counter went back\n"
        "  --listen [ADDR:]PORT  serve every counter to Prometheus at http://ADDR:PORT/metrics after\n"
        "                    every tick (ADDR 127.0.0.1 when left out; PORT 0 takes a free one)\n"
        "  --textfile DIR    write the same metrics to DIR/qorstats.prom after every tick, for the\n"
        "                    textfile collectors of node_exporter and windows_exporter\n"
        "                    (--listen and --textfile go together; both run until interrupted)\n"
        "\n"
        "Options:\n"
        "  --device PATH     read the control device at PATH (default %s);\n"
#ifdef _WIN32
        "                    \\\\.\\pipe\\NAME reads from the simulator, qorsimd --device\n"
#else
        "                    --socket PATH says the same\n"
#endif
        "  --ticks N         stop after N ticks (default: run until interrupted)\n"
        "  --record FILE     also write every request to the driver and its answer to FILE, for\n"
        "                    qorsimd --replay FILE or a support desk (stops at 200 MB)\n"
        "  --period-ms N     milliseconds between ticks (default 500)\n"
        "  -h, --help        show this text and exit\n"
        "  -v, --version     show the version and exit\n"
        "\n"
        "Exit status: 0 success; 1 the status ticks found no driver on the last tick; 2 a bad\n"
        "command line, the driver could not be opened for --dump, --json, --csv or --watch, or it\n"
        "went away during --watch; 3 an event during --watch --fail-on-errors (see above); 130\n"
        "and 143 a watch ended by SIGINT or SIGTERM.\n"
        , ReportingControlDevice::SystemPath(false).empty() ? "none: no private directory for it"
                                                            : ReportingControlDevice::SystemPath(false).c_str());
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
    std::string path;  // the system's, once the command line asks for no other
    long ticks = -1;  // until interrupted
    long periodMs = 500;
    Mode mode = Mode::Status;
    long watchSeconds = 0;
    bool failOnErrors = false;
    std::string record;
    std::optional<ListenAddress> listen;
    std::string textFileDir;
};

namespace opt {
enum Id : int { Dump, Json, Csv, Watch, Listen, TextFile, FailOnErrors, Help, Version, Device, Record, Ticks, PeriodMs };
}  // namespace opt
constexpr CommandLine::Option OptionTable[] = {
    {opt::Dump, "dump"},
    {opt::Json, "json"},
    {opt::Csv, "csv"},
    {opt::Watch, "watch", "a number of seconds"},
    {opt::Listen, "listen", "an address and port"},
    {opt::TextFile, "textfile", "a folder"},
    {opt::FailOnErrors, "fail-on-errors"},
    {opt::Help, "h|help"},
    {opt::Version, "v|version"},
    {opt::Device, "device|socket", "a path"},
    {opt::Record, "record", "a file"},
    {opt::Ticks, "ticks", "a number"},
    {opt::PeriodMs, "period-ms", "a number"},
};

// 0 to go on, otherwise the exit code: -1 for --help and --version (exit 0), 2 for a mistake.
int ParseArguments(int argc, char** argv, Options& options) {
    auto fail = [](const std::string& message) {
        std::fprintf(stderr, "%s: %s\nTry '%s --help' for more information.\n", Program, message.c_str(), Program);
        return 2;
    };
    for (const CommandLine::Argument& a : CommandLine(OptionTable).Read(CommandLine::Arguments(argc, argv))) {
        auto mode = [&](Mode m) {
            if (options.mode != Mode::Status && options.mode != m) return false;
            options.mode = m;
            return true;
        };
        const char* const oneMode = "choose one of --dump, --json, --csv, --watch and --listen/--textfile";
        // A mode that clashes with another is said before what is wrong with its value.
        const Mode modes[] = {Mode::Dump, Mode::Json, Mode::Csv, Mode::Watch, Mode::Metrics, Mode::Metrics};
        if (a.id >= opt::Dump && a.id <= opt::TextFile && !mode(modes[a.id])) return fail(oneMode);
        if (a.kind != CommandLine::Argument::Kind::Option) return fail(a.Mistake());
        const std::string& text = a.value;
        switch (a.id) {
            case opt::Watch:
                if (!ParseNumber(text, 1, MaxWatchSeconds, options.watchSeconds))
                    return fail("--watch wants a whole number of seconds from 1 to 604800, not '" + text + "'");
                break;
            case opt::Listen:
                options.listen = ListenAddress::Parse(text);
                if (!options.listen)
                    return fail("--listen wants [ADDR:]PORT, such as 127.0.0.1:9469 or [::1]:9469, not '" + text + "'");
                break;
            case opt::TextFile:
                options.textFileDir = text;
                if (text.empty()) return fail("--textfile needs a folder");
                break;
            case opt::FailOnErrors:
                options.failOnErrors = true;
                break;
            case opt::Help:
                Usage();
                return -1;
            case opt::Version:
                std::printf(Str::VersionLineFormat, Program, Str::PanelVersion[0], Str::PanelVersion[1],
                            Str::PanelVersion[2]);
                return -1;
            case opt::Device:
                options.path = text;
                if (text.empty()) return fail(a.written + " needs a path");
                break;
            case opt::Record:
                options.record = text;
                if (text.empty()) return fail("--record needs a file");
                break;
            case opt::Ticks:
                if (!ParseNumber(text, 1, 1L << 30, options.ticks))
                    return fail("--ticks wants a whole number from 1, not '" + text + "'");
                break;
            case opt::PeriodMs:
                if (!ParseNumber(text, 1, MaxPeriodMs, options.periodMs))
                    return fail("--period-ms wants a whole number from 1 to " + std::to_string(MaxPeriodMs) +
                                ", not '" + text + "'");
                break;
        }
    }
    if (options.failOnErrors && options.mode != Mode::Watch) return fail("--fail-on-errors needs --watch");
    if (options.mode != Mode::Status && options.mode != Mode::Metrics && options.ticks > 0)
        return fail("--ticks goes with the status ticks, --listen and --textfile only");
    return 0;
}

PageTextSources Sources(const CDev& dev) {
    return PageTextSources{
        PageSources{dev.Snapshot(), dev.Validity(), dev.Published().ExtendedStatistics != 0}, dev.Published()};
}


// Polls every period and hands each poll's metrics to the endpoint and the text file; a
// scrape only ever reads the latest of them.
int ServeMetrics(const Options& options, PollingCycle& cycle, const ReportingControlDevice& device, const CDev& dev) {
    double took = 0;
    MetricsLayout layout;
    LatestMetrics latest([&](MetricsText::Format format) {
        return layout.Text(MetricsSources{Sources(dev), device.LastOpenResult() == 0, took}, format);
    });
    auto poll = [&] {
        latest.Update([&] {
            const auto start = std::chrono::steady_clock::now();
            cycle.OnRefreshTimer();
            took = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        });
    };
    const std::filesystem::path textFile =
        options.textFileDir.empty() ? std::filesystem::path() : std::filesystem::path(options.textFileDir) / TextFileName;
    std::string lastError;
    auto writeTextFile = [&] {
        if (textFile.empty()) return;
        std::string error;
        if (!FileReplace::Write(textFile, *latest.Text(MetricsText::Format::Prometheus), error)) {
            // Said once for each new reason, not on every tick.
            if (error != lastError) std::fprintf(stderr, "%s: %s\n", Program, error.c_str());
        }
        lastError = error;
    };
    std::error_code ec;
    if (!textFile.empty() && !std::filesystem::is_directory(options.textFileDir, ec)) {
        std::fprintf(stderr, "%s: --textfile: '%s' is not a folder\n", Program, options.textFileDir.c_str());
        return ExitUsage;
    }
    poll();
    writeTextFile();
    MetricsServer server(latest);
    if (options.listen) {
        std::string error;
        if (!server.Start(*options.listen, error)) {
            std::fprintf(stderr, "%s: %s\n", Program, error.c_str());
            return ExitUsage;
        }
        std::fprintf(stderr, "%s: serving http://%s/metrics\n", Program, options.listen->Text(server.Port()).c_str());
    }
    for (long tick = 2; options.ticks < 0 || tick <= options.ticks; ++tick) {
        std::this_thread::sleep_for(std::chrono::milliseconds(options.periodMs));
        poll();
        writeTextFile();
    }
    server.Stop();
    return device.LastOpenResult() == 0 ? ExitOk : ExitNoDriverStatus;
}
}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (int code = ParseArguments(argc, argv, options); code != 0) return code < 0 ? 0 : code;
    if (options.path.empty()) options.path = ReportingControlDevice::SystemPath();

    std::unique_ptr<ControlDevice> system = MakeControlDevice(options.path);
    ReportingControlDevice device(*system, Program, options.path, stderr);
    CDev dev(device);
    RestoreWindow restore;
    // A recording holds what the panel reads too, so that it replays into every page.
    // Only a one-tick dump names devices apart: a watch or an endpoint would ask again each tick.
    const bool dump = options.mode == Mode::Dump || options.mode == Mode::Json || options.mode == Mode::Csv;
    ConsoleWindow window(dev, restore, options.mode != Mode::Status || !options.record.empty(), dump);
    PollingCycle cycle(dev, restore, window, window, window);
    cycle.ResetView();
    DriverRecorder recorder(dev);
    if (!options.record.empty() && !recorder.Start(options.record, static_cast<uint32_t>(options.periodMs))) {
        std::fprintf(stderr, "%s: cannot record: %s\n", Program, recorder.Error().c_str());
        return ExitUsage;
    }
    auto recordingStopped = [&] {
        if (recorder.Started() && !recorder.Recording()) {
            std::fprintf(stderr, "%s: the recording stopped: %s\n", Program, recorder.Error().c_str());
            recorder.Stop();
        }
    };
    auto refresh = [&] {
        cycle.OnRefreshTimer();
        recordingStopped();
    };

    if (options.mode == Mode::Metrics) return ServeMetrics(options, cycle, device, dev);
    if (options.mode == Mode::Watch) {
        PollWatch watch(dev, cycle, device);
        StopRequest stop;
        // The device reports a failed open on stderr, with the path it tried.
        refresh();
        if (device.LastOpenResult() != 0) return ExitUsage;
        const long ticks = std::max(1L, options.watchSeconds * 1000 / options.periodMs);
        const int code = watch.Run(ticks, options.periodMs, options.failOnErrors, stop, stdout, stderr);
        recordingStopped();
        return code;
    }
    if (options.mode != Mode::Status) {
        refresh();
        if (device.LastOpenResult() != 0) return ExitUsage;
        const std::string read = cycle.LastReadTime() ? SnapshotDocument::UtcTime(*cycle.LastReadTime()) : "";
        const std::string saved = SnapshotDocument::UtcTime(std::chrono::system_clock::now());
        // The pages as a panel started now shows them: a list with nothing to lay out by keeps
        // its placeholder.
        ListPlaceholders placeholders;
        placeholders.ShowAll();
        placeholders.Follow(Sources(dev).cells);
        PageTextSources sources = Sources(dev);
        sources.placeholders = &placeholders;
        sources.layouts = &window.Names();
        std::string out;
        switch (options.mode) {
            case Mode::Dump: out = SnapshotDocument::Text(sources, read); break;
            case Mode::Json: out = SnapshotDocument::Json(sources, read, saved); break;
            default: out = SnapshotDocument::Csv(sources, read, saved); break;
        }
        std::fwrite(out.data(), 1, out.size(), stdout);
        return ExitOk;
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
