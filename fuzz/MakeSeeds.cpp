// Writes the seed corpus: a few panel sessions against the driver simulator, recorded in the
// harness's input format. Each recording is replayed through the harness's own device at once
// and must make the panel show exactly what the simulator made it show.
//
//   qor_make_seeds DIR     (exit status 1 when a recording does not replay the same, or is too big)
#include <QApplication>
#include <QTemporaryDir>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "driver/IoctlCodes.h"
#include "fuzz/AnswerEncoding.h"
#include "fuzz/FuzzControlDevice.h"
#include "fuzz/FuzzInput.h"
#include "fuzz/InputScript.h"
#include "fuzz/PanelSession.h"
#include "fuzz/SessionRecorder.h"
#include "platform/WinError.h"
#include "sim/DriverSimulator.h"
#include "sim/SimControlDevice.h"

namespace AE = AnswerEncoding;

namespace {

constexpr size_t MaxSeedSize = 100 * 1024;

struct Seed {
    const char* name;
    sim::SimOptions options;
    sim::FaultPlan faults;
    std::optional<uint32_t> storedNode;
    std::vector<uint8_t> actions;  // one per tick
    uint32_t advanceMs;            // simulated time per tick; 0 keeps big answers repeatable
    std::function<void(sim::DriverSimulator&, int tick)> beforeTick;
};

std::vector<uint8_t> Ticks(int n, uint8_t action = 0) { return std::vector<uint8_t>(size_t(n), action); }

sim::SimOptions Options(uint32_t devices, uint32_t streams, uint32_t bundles, uint32_t channelsPerBundle) {
    sim::SimOptions o;
    o.devices = devices;
    o.inStreams = o.outStreams = streams;
    o.inBundles = o.outBundles = bundles;
    o.channelsPerBundle = channelsPerBundle;
    o.errorRate = 2.0;
    return o;
}

std::vector<Seed> Seeds() {
    std::vector<Seed> seeds;
    seeds.push_back({"default-studio", sim::SimOptions{}, {}, 0x21000002u, Ticks(12, AE::ActionElapsed), 500, {}});
    seeds.push_back({"max-streams-and-devices", Options(64, 16, 2, 0), {}, 0x20000005u, Ticks(8), 500, {}});
    // Every input bundle the records hold (all 128 of both directions would not make a small seed);
    // no time passes, so after the first tick the answers repeat and cost a byte each.
    sim::SimOptions maxIn = Options(2, 2, 128, 1);
    maxIn.outBundles = 2;
    seeds.push_back({"max-in-bundles", maxIn, {}, 0x2100007Fu, Ticks(5), 0, {}});
    seeds.push_back({"full-bundles", Options(4, 4, 8, 16), {}, 0x21000007u, Ticks(6), 0, {}});

    sim::FaultPlan over;
    over.overcount = true;
    seeds.push_back({"counts-beyond-capacity", Options(3, 3, 6, 0), over, 0x19000001u, Ticks(8), 500, {}});

    sim::FaultPlan names;
    names.namesWithoutNul = true;
    seeds.push_back({"names-without-nul", sim::SimOptions{}, names, 0x11000000u, Ticks(8), 500, {}});

    sim::FaultPlan shorts;
    shorts.shortAnswers = true;
    seeds.push_back({"short-answers", sim::SimOptions{}, shorts, std::nullopt, Ticks(8), 500, {}});

    sim::FaultPlan flaky;
    flaky.failCode = IOCTL_QOR_GET_CHANNEL_INFO;
    flaky.failEvery = 3;
    seeds.push_back({"every-third-channel-fails", sim::SimOptions{}, flaky, 0x22000001u, Ticks(8), 500, {}});

    sim::FaultPlan silent;
    silent.noAnswerCode = IOCTL_QOR_GET_DEVICE_LIST;
    seeds.push_back({"device-list-never-answers", sim::SimOptions{}, silent, std::nullopt, Ticks(6), 500, {}});

    // The driver goes and comes back, reading is stopped and started, statistics are cleared.
    std::vector<uint8_t> mixed = {0, 0, AE::ActionClear, AE::ActionStartStop, 0, AE::ActionStartStop | AE::ActionWalk,
                                  0, 0, AE::ActionElapsed, 0, 0, AE::ActionClear | AE::ActionWalk};
    seeds.push_back({"driver-comes-and-goes", sim::SimOptions{}, {}, 0x12000000u, mixed, 500,
                     [](sim::DriverSimulator& s, int tick) {
                         if (tick == 3) s.SetLoaded(false);
                         if (tick == 6) s.SetLoaded(true);
                         if (tick == 9) s.SetStreamCounts(1, 2);
                     }});
    return seeds;
}

bool MakeSeed(const Seed& seed, const std::string& dir, const QString& settingsDir) {
    const std::string settings = (settingsDir + "/QOR_Stats.ini").toStdString();
    sim::DriverSimulator simulator(seed.options);
    simulator.SetFaults(seed.faults);
    sim::SimControlDevice simDevice(simulator);
    SessionRecorder recorder(simDevice, seed.storedNode, seed.actions, [&](int tick) {
        simulator.Advance(seed.advanceMs);
        if (seed.beforeTick) seed.beforeTick(simulator, tick);
    });
    std::string recorded;
    PanelSession(recorder, recorder, settings).Run(&recorded);
    const std::vector<uint8_t>& bytes = recorder.Bytes();

    FuzzInput input(bytes.data(), bytes.size());
    FuzzControlDevice device(input);
    InputScript script(input);
    std::string replayed;
    PanelSession(device, script, settings).Run(&replayed);

    bool ok = true;
    if (replayed != recorded) {
        size_t at = 0;
        while (at < recorded.size() && at < replayed.size() && recorded[at] == replayed[at]) ++at;
        std::fprintf(stderr, "%s: the replay differs from the recording at character %zu:\n  recorded ...%s\n  replayed ...%s\n",
                     seed.name, at, recorded.substr(at, 80).c_str(), replayed.substr(at, 80).c_str());
        ok = false;
    }
    if (input.Remaining() != 0) {
        std::fprintf(stderr, "%s: the replay left %zu of %zu bytes unread\n", seed.name, input.Remaining(), bytes.size());
        ok = false;
    }
    if (bytes.size() > MaxSeedSize) {
        std::fprintf(stderr, "%s: %zu bytes, more than a seed should have\n", seed.name, bytes.size());
        ok = false;
    }
    std::ofstream(dir + "/" + seed.name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    std::printf("%-28s %6zu bytes %s\n", seed.name, bytes.size(), ok ? "ok" : "FAILED");
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s DIR\n", argv[0]);
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    int appArgc = 1;
    QApplication app(appArgc, argv);
    std::error_code ec;
    std::filesystem::create_directories(argv[1], ec);
    QTemporaryDir settingsDir(PanelSession::ScratchBase() + "/qor-seeds-XXXXXX");
    if (!settingsDir.isValid()) return 2;
    bool ok = true;
    for (const Seed& seed : Seeds()) ok = MakeSeed(seed, argv[1], settingsDir.path()) && ok;
    return ok ? 0 : 1;
}
