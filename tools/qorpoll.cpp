// A headless panel: runs the polling cycle against the control device and prints what the
// status bar would show after every tick. Useful to watch a driver stand-in without a desktop.
// Exits 0 when the last tick read from the driver, 1 when it found no driver, 2 on a bad
// command line.

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>

#include "cycle/PollingCycle.h"
#include "driver/CDev.h"
#include "platform/ReportingControlDevice.h"
#include "res/StringTable.h"
#ifndef _WIN32
#include "platform/SocketControlDevice.h"
#endif

namespace {
class ConsoleWindow : public IStatusPanes, public IToolbarImage, public IPollingView {
public:
    explicit ConsoleWindow(CDev& dev, RestoreWindow& restore) : dev_(dev), restore_(restore) {}
    void SetPane(int pane, std::string_view text, Colour, Colour) override {
        if (pane >= 0 && pane < 3) panes_[pane] = std::string(text);
    }
    void RepaintNow() override {}
    void LoadBitmap(int) override {}
    void RefreshInfoPage(bool) override {}
    void RefreshPage(PageId) override {}
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
    std::string panes_[3];
};

constexpr const char* Program = "qorpoll";
constexpr long MaxPeriodMs = 3600 * 1000;

void Usage() {
    std::printf(
        "Usage: qorpoll [options]\n"
        "Runs the panel's polling cycle against the driver's control device and prints, after every\n"
        "tick, what the status bar would show and how many devices, streams and bundles were read.\n"
        "Exits 0 when the last tick read from the driver, 1 when there was no driver.\n"
        "\n"
#ifndef _WIN32
        "  --socket PATH     the control device's socket (default %s)\n"
#endif
        "  --ticks N         stop after N ticks (default: run until interrupted)\n"
        "  --period-ms N     milliseconds between ticks (default 500)\n"
        "  -h, --help        show this text and exit\n"
        "  -v, --version     show the version and exit\n"
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
        if (arg == "-h" || arg == "--help") {
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
    return 0;
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
    ConsoleWindow window(dev, restore);
    PollingCycle cycle(dev, restore, window, window, window);
    cycle.ResetView();
    const long ticksPerSecond = std::max(1L, 1000 / options.periodMs);
    for (long tick = 1; options.ticks < 0 || tick <= options.ticks; ++tick) {
        std::this_thread::sleep_for(std::chrono::milliseconds(options.periodMs));
        if (tick % ticksPerSecond == 0) cycle.OnElapsedTimer();
        cycle.OnRefreshTimer();
        window.Print(static_cast<int>(tick));
    }
    return device.LastOpenResult() == 0 ? 0 : 1;
}
