// What one refresh of the panel costs against the driver stand-in: in process, and over the
// control device socket to a server in the same process. The socket round trip of a single
// small request is the floor, so that a refresh can be compared with floor x requests.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <unistd.h>

#include "events/EventDetector.h"
#include "history/ErrorWatch.h"
#include "driver/CDev.h"
#include "driver/IoctlCodes.h"
#include "platform/SocketControlDevice.h"
#include "sim/DriverSimulator.h"
#include "sim/SimControlDevice.h"
#include "sim/SimServer.h"
#include "support/AllocationCounter.h"
#include "support/RefreshReads.h"
#include "support/SimulatedDriver.h"
#include "SocketRig.h"

namespace {

using Clock = std::chrono::steady_clock;

sim::SimOptions Setup(int64_t maxLoad) { return maxLoad ? sim::SimOptions::MaxLoad() : sim::SimOptions{}; }

// A control device socket in a private temporary directory, served from the process.
double SecondsPerVersionRequest(ControlDevice& device, int count) {
    DriverVersion v;
    uint32_t returned = 0;
    auto start = Clock::now();
    for (int i = 0; i < count; ++i)
        device.Control(IOCTL_QOR_GET_DRIVER_VERSION, nullptr, 0, v.Data(), DriverVersion::Size, returned);
    return std::chrono::duration<double>(Clock::now() - start).count() / count;
}

void Report(benchmark::State& state, sim::DriverSimulator& s, uint64_t allocationCount) {
    double iterations = double(state.iterations());
    double requests = double(s.TotalRequests());
    state.counters["requests_per_refresh"] = requests / iterations;
    state.counters["allocs_per_refresh"] = double(allocationCount) / iterations;
    state.counters["time_per_request"] =
        benchmark::Counter(requests, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_RefreshInProcess(benchmark::State& state) {
    auto driver = std::make_unique<SimulatedDriver>(Setup(state.range(0)));
    RefreshReads(driver->dev);
    driver->sim.ResetRequestLog();
    uint64_t news = 0;
    for (auto _ : state) {
        AllocationCounter::Start();
        RefreshReads(driver->dev);
        news += AllocationCounter::Stop().news;
    }
    Report(state, driver->sim, news);
}
BENCHMARK(BM_RefreshInProcess)->ArgName("max_load")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_RefreshSocket(benchmark::State& state) {
    SocketRig rig(Setup(state.range(0)));
    if (!rig.server->Start()) {
        state.SkipWithError(rig.server->Error().c_str());
        return;
    }
    SocketControlDevice device(rig.Path());
    auto dev = std::make_unique<CDev>(device);

    // The floor on the same socket, measured right before the refreshes.
    device.Open();
    double floor = SecondsPerVersionRequest(device, 2000);
    device.Close();

    RefreshReads(*dev);
    rig.sim->ResetRequestLog();
    uint64_t news = 0;
    auto start = Clock::now();
    for (auto _ : state) {
        AllocationCounter::Start();
        RefreshReads(*dev);
        news += AllocationCounter::Stop().news;
    }
    double perRefresh = std::chrono::duration<double>(Clock::now() - start).count() / double(state.iterations());
    Report(state, *rig.sim, news);
    double requestsPerRefresh = double(rig.sim->TotalRequests()) / double(state.iterations());
    state.counters["floor_us"] = floor * 1e6;
    state.counters["refresh_over_floor_x_requests"] = perRefresh / (floor * requestsPerRefresh);
}
BENCHMARK(BM_RefreshSocket)->ArgName("max_load")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond)->UseRealTime();

// One refresh per tick period against a driver that never answers one code: after the first
// refresh (one full timeout) what the GUI thread waits per tick, the worst tick included.
void BM_RefreshSocketOneCodeHanging(benchmark::State& state) {
    SocketRig rig(sim::SimOptions{});
    if (!rig.server->Start()) {
        state.SkipWithError(rig.server->Error().c_str());
        return;
    }
    SocketControlDevice device(rig.Path());
    auto dev = std::make_unique<CDev>(device);
    RefreshReads(*dev);
    double healthy = 1e9;
    for (int i = 0; i < 20; ++i) {
        auto start = Clock::now();
        RefreshReads(*dev);
        healthy = std::min(healthy, std::chrono::duration<double>(Clock::now() - start).count());
    }
    sim::FaultPlan plan;
    plan.noAnswerCode = uint32_t(state.range(0));
    rig.sim->SetFaults(plan);
    auto firstStart = Clock::now();
    RefreshReads(*dev);
    const double first = std::chrono::duration<double>(Clock::now() - firstStart).count();

    double worst = 0;
    for (auto _ : state) {
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        auto start = Clock::now();
        RefreshReads(*dev);
        const double took = std::chrono::duration<double>(Clock::now() - start).count();
        worst = std::max(worst, took);
        state.SetIterationTime(took);
    }
    state.counters["healthy_refresh_ms"] = healthy * 1e3;
    state.counters["first_refresh_ms"] = first * 1e3;
    state.counters["worst_refresh_ms"] = worst * 1e3;
}
BENCHMARK(BM_RefreshSocketOneCodeHanging)
    ->ArgName("code")
    ->Arg(IOCTL_QOR_GET_DRIVER_VERSION)
    ->Arg(IOCTL_QOR_GET_DEVICE_INFO)
    ->Iterations(12)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// The event detector's share of a tick at the driver's maximum load: one refresh of the
// records in process (the cheapest a refresh gets), then the detector comparing it with the
// one before, timed apart in the same iterations. Nothing changes between refreshes but the
// simulator's time, as on a healthy system.
// Refreshes in process at maximum load, each followed by `observer`'s tick timed apart;
// counters `<name>_us`, `<name>_over_refresh` and `<name>_allocs_per_tick`.
void ObserverAtMaxLoad(benchmark::State& state, sim::DriverSimulator& s, CDev& dev, ITickObserver& observer,
                       const std::string& name) {
    TickFacts facts;
    facts.deviceOpen = facts.readingEnabled = facts.refreshed = true;
    facts.snapshot = &dev.Snapshot();
    facts.validity = &dev.Validity();
    RefreshReads(dev);
    observer.OnTick(facts);

    double refreshSeconds = 0, observerSeconds = 0;
    uint64_t news = 0;
    for (auto _ : state) {
        s.Advance(500);
        facts.monotonicMs += 500;
        const auto start = Clock::now();
        RefreshReads(dev);
        const auto middle = Clock::now();
        AllocationCounter::Start();
        observer.OnTick(facts);
        news += AllocationCounter::Stop().news;
        const auto end = Clock::now();
        refreshSeconds += std::chrono::duration<double>(middle - start).count();
        observerSeconds += std::chrono::duration<double>(end - middle).count();
        state.SetIterationTime(std::chrono::duration<double>(end - middle).count());
    }
    const double n = double(state.iterations());
    state.counters["refresh_us"] = refreshSeconds / n * 1e6;
    state.counters[name + "_us"] = observerSeconds / n * 1e6;
    state.counters[name + "_over_refresh"] = observerSeconds / refreshSeconds;
    state.counters[name + "_allocs_per_tick"] = double(news) / n;
}

void BM_EventDetectorAtMaxLoad(benchmark::State& state) {
    auto driver = std::make_unique<SimulatedDriver>(sim::SimOptions::MaxLoad());
    struct Quiet : IEventSink {
        uint64_t events = 0;
        void OnEvent(const DriverEvent&) override { ++events; }
    } sink;
    EventDetector detector(&sink);
    ObserverAtMaxLoad(state, driver->sim, driver->dev, detector, "detector");
    state.counters["events_per_tick"] = double(sink.events) / double(state.iterations());
}
BENCHMARK(BM_EventDetectorAtMaxLoad)->UseManualTime()->Unit(benchmark::kMicrosecond);

// The error watch that marks the tree and lists the problems, at maximum load: every error
// counter read and compared on every tick. With errors (arg 1), thousands of counters count
// and rise, as on the worst day.
void BM_ErrorWatchAtMaxLoad(benchmark::State& state) {
    auto driver = std::make_unique<SimulatedDriver>(sim::SimOptions::MaxLoad());
    if (state.range(0)) driver->sim.SetErrorRate(20);
    ErrorWatch watch(driver->dev.Published());
    ObserverAtMaxLoad(state, driver->sim, driver->dev, watch, "watch");
    state.counters["problems"] = double(watch.Problems().size());
}
BENCHMARK(BM_ErrorWatchAtMaxLoad)->ArgName("errors")->Arg(0)->Arg(1)->UseManualTime()->Unit(benchmark::kMicrosecond);

// The floor: one small request and its answer over the socket, connection kept open.
void BM_SocketRoundTrip(benchmark::State& state) {
    SocketRig rig(sim::SimOptions{});
    if (!rig.server->Start()) {
        state.SkipWithError(rig.server->Error().c_str());
        return;
    }
    SocketControlDevice device(rig.Path());
    device.Open();
    DriverVersion v;
    uint32_t returned = 0;
    uint64_t news = 0;
    for (auto _ : state) {
        AllocationCounter::Start();
        device.Control(IOCTL_QOR_GET_DRIVER_VERSION, nullptr, 0, v.Data(), DriverVersion::Size, returned);
        news += AllocationCounter::Stop().news;
    }
    state.counters["allocs_per_request"] = double(news) / double(state.iterations());
}
BENCHMARK(BM_SocketRoundTrip)->Unit(benchmark::kMicrosecond)->UseRealTime();

// The same request handled in process, for comparison.
void BM_InProcessRoundTrip(benchmark::State& state) {
    auto s = std::make_unique<sim::DriverSimulator>();
    sim::SimControlDevice device(*s);
    device.Open();
    DriverVersion v;
    uint32_t returned = 0;
    for (auto _ : state)
        device.Control(IOCTL_QOR_GET_DRIVER_VERSION, nullptr, 0, v.Data(), DriverVersion::Size, returned);
}
BENCHMARK(BM_InProcessRoundTrip)->Unit(benchmark::kMicrosecond);

}  // namespace
