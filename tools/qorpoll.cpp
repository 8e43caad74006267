// A headless panel: runs the polling cycle against the control device and prints what the
// status bar would show after every tick. Useful to watch a driver stand-in without a desktop.
//
//   qorpoll [--socket PATH] [--ticks N] [--period-ms N]

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "driver/CDev.h"
#include "driver/PollingCycle.h"
#include "platform/DevicePath.h"
#include "platform/SocketControlDevice.h"

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
}  // namespace

int main(int argc, char** argv) {
    std::string socket = DevicePath::SocketPath();
    long ticks = -1;
    long periodMs = 500;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        bool hasValue = i + 1 < argc;
        if (arg == "--socket" && hasValue)
            socket = argv[++i];
        else if (arg == "--ticks" && hasValue)
            ticks = std::strtol(argv[++i], nullptr, 10);
        else if (arg == "--period-ms" && hasValue)
            periodMs = std::strtol(argv[++i], nullptr, 10);
        else {
            std::fprintf(stderr, "usage: qorpoll [--socket PATH] [--ticks N] [--period-ms N]\n");
            return 2;
        }
    }
    SocketControlDevice device(socket);
    CDev dev(device);
    RestoreWindow restore;
    ConsoleWindow window(dev, restore);
    PollingCycle cycle(dev, restore, window, window, window);
    cycle.ResetView();
    for (long tick = 1; ticks < 0 || tick <= ticks; ++tick) {
        std::this_thread::sleep_for(std::chrono::milliseconds(periodMs));
        if (tick % std::max(1L, 1000 / std::max(1L, periodMs)) == 0) cycle.OnElapsedTimer();
        cycle.OnRefreshTimer();
        window.Print(static_cast<int>(tick));
    }
    return 0;
}
