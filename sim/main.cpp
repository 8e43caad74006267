// qorsimd: serves the driver's control device from the simulator until SIGINT or SIGTERM.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <memory>

#include "platform/StopRequest.h"
#include "res/StringTable.h"
#include "sim/DeviceServer.h"
#include "sim/DriverSimulator.h"
#include "sim/ReplayPlayer.h"
#include "sim/SimCommandLine.h"

int main(int argc, char** argv) {
    sim::SimCommandLine commandLine;
    const char* program = "qorsimd";
    if (!commandLine.Parse(argc, argv)) {
        std::fprintf(stderr, "%s: %s\nTry '%s --help' for more information.\n", program, commandLine.Error().c_str(),
                     program);
        return 2;
    }
    if (commandLine.HelpRequested()) {
        std::fputs(sim::SimCommandLine::Usage(program).c_str(), stdout);
        return 0;
    }
    if (commandLine.VersionRequested()) {
        std::printf(Str::VersionLineFormat, program, Str::PanelVersion[0], Str::PanelVersion[1], Str::PanelVersion[2]);
        return 0;
    }

    if (!commandLine.Replay().path.empty()) {
        if (commandLine.Replay().paused && !sim::ReplayInput::CanStep()) {
            std::fprintf(stderr, "%s: --paused needs a way to step, which this system has not\n", program);
            return 2;
        }
        sim::ReplayInput input;
        return sim::ReplayPlayer(commandLine.Replay(), commandLine.DevicePath(), program).Run(input);
    }

    StopRequest stop;

    auto simulator = std::make_unique<sim::DriverSimulator>(commandLine.Options());
    simulator->SetFaults(commandLine.Faults());
    sim::DeviceServer server(*simulator, commandLine.DevicePath());
    if (!server.Start()) {
        std::fprintf(stderr, "%s: %s\n", program, server.Error().c_str());
        return 1;
    }
    std::printf("%s: serving %s\n", program, server.Path().c_str());
    std::fflush(stdout);

    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    uint64_t advancedMs = 0;
    size_t nextRate = 0;
    const auto& schedule = commandLine.RateSchedule();
    for (;;) {
        if (stop.Wait(20)) break;
        uint64_t nowMs = static_cast<uint64_t>(
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
        // Whole milliseconds only, so the simulator's clock never runs ahead of the real one.
        while (advancedMs < nowMs) {
            uint64_t until = nowMs;
            if (nextRate < schedule.size() && schedule[nextRate].atMs < until) until = schedule[nextRate].atMs;
            if (until > advancedMs) {
                uint64_t step = std::min<uint64_t>(until - advancedMs, UINT32_MAX);
                simulator->Advance(static_cast<uint32_t>(step));
                advancedMs += step;
            }
            while (nextRate < schedule.size() && schedule[nextRate].atMs <= advancedMs)
                simulator->SetSampleRate(schedule[nextRate++].rate);
        }
        while (nextRate < schedule.size() && schedule[nextRate].atMs <= advancedMs)
            simulator->SetSampleRate(schedule[nextRate++].rate);
    }
    server.Stop();
    return 0;
}
