// Writes the seed corpora and the dictionary of the fuzz harnesses: a few sessions against the
// driver simulator, recorded in the harnesses' input format, once through the panel and once
// through the driver harness. Each recording is replayed through its harness's own device at
// once and must give exactly what the simulator gave.
//
//   qor_make_seeds FUZZDIR           writes FUZZDIR/corpus/{driver,panel}/ and FUZZDIR/qor.dict
//   qor_make_seeds --check FUZZDIR   fails unless the files there are what it would write
//
// Exit status 1 when a recording does not replay the same, is too big, or (with --check) differs.
#include <QApplication>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "driver/DriverRecords.h"
#include "driver/IoctlCodes.h"
#include "fuzz/AnswerEncoding.h"
#include "fuzz/DriverSession.h"
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

    // A list that fails after it was answered: what it listed before must not pass for answered.
    for (auto [name, code] : {std::pair{"every-second-bundle-list-fails", IOCTL_QOR_GET_BUNDLE_LIST},
                              std::pair{"every-second-device-list-fails", IOCTL_QOR_GET_DEVICE_LIST}}) {
        sim::FaultPlan lists;
        lists.failCode = code;
        lists.failEvery = 2;
        seeds.push_back({name, sim::SimOptions{}, lists, std::nullopt, Ticks(6), 500, {}});
    }

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

// The driver harness reads fewer ticks; its walks stand for the panel's, every few ticks.
std::vector<uint8_t> DriverActions(const std::vector<uint8_t>& actions) {
    std::vector<uint8_t> out(actions.begin(),
                             actions.begin() + std::min<size_t>(actions.size(), DriverSession::MaxTicks));
    for (size_t i = 0; i < out.size(); ++i)
        if (i % PanelSession::WalkEvery == PanelSession::WalkEvery - 1) out[i] |= AE::ActionWalk;
    return out;
}

// Records one session through the harness (run as run(device, script, transcript)), replays the
// recording through the harness's own device, and returns the bytes; empty when they fail.
template <typename Run>
std::vector<uint8_t> RecordSession(const Seed& seed, const std::vector<uint8_t>& actions, const char* harness, Run run) {
    sim::DriverSimulator simulator(seed.options);
    simulator.SetFaults(seed.faults);
    sim::SimControlDevice simDevice(simulator);
    SessionRecorder recorder(simDevice, seed.storedNode, actions, [&](int tick) {
        simulator.Advance(seed.advanceMs);
        if (seed.beforeTick) seed.beforeTick(simulator, tick);
    });
    std::string recorded;
    run(recorder, recorder, &recorded);
    std::vector<uint8_t> bytes = recorder.Bytes();

    FuzzInput input(bytes.data(), bytes.size());
    FuzzControlDevice device(input);
    InputScript script(input);
    std::string replayed;
    run(device, script, &replayed);

    bool ok = true;
    if (replayed != recorded) {
        size_t at = 0;
        while (at < recorded.size() && at < replayed.size() && recorded[at] == replayed[at]) ++at;
        std::fprintf(stderr, "%s/%s: the replay differs from the recording at character %zu:\n  recorded ...%s\n  replayed ...%s\n",
                     harness, seed.name, at, recorded.substr(at, 80).c_str(), replayed.substr(at, 80).c_str());
        ok = false;
    }
    if (input.Remaining() != 0) {
        std::fprintf(stderr, "%s/%s: the replay left %zu of %zu bytes unread\n", harness, seed.name, input.Remaining(),
                     bytes.size());
        ok = false;
    }
    if (bytes.size() > MaxSeedSize) {
        std::fprintf(stderr, "%s/%s: %zu bytes, more than a seed should have\n", harness, seed.name, bytes.size());
        ok = false;
    }
    if (!ok) bytes.clear();
    return bytes;
}

void AddWord(std::string& entry, uint32_t value, int bytes) {
    char hex[8];
    for (int i = 0; i < bytes; ++i) {
        std::snprintf(hex, sizeof hex, "\\x%02x", (value >> (8 * i)) & 0xFF);
        entry += hex;
    }
}

std::string Token(const std::string& name, std::initializer_list<std::pair<uint32_t, int>> words) {
    std::string entry = name + "=\"";
    for (auto [value, bytes] : words) AddWord(entry, value, bytes);
    return entry + "\"\n";
}

// libFuzzer's dictionary: the words that matter in an input are not the codes themselves (the
// order of requests is the panel's) but record sizes as explicit byte counts, counts at and past
// their capacities, and the offsets of the count fields for word patches.
std::string Dictionary() {
    std::string d = "# The fuzz harnesses' dictionary, written by qor_make_seeds; see fuzz/AnswerEncoding.h.\n";
    const uint8_t ok = AE::StatusOk, exact = AE::MakeShape(AE::Shape::Explicit);
    for (const IoctlInfo& io : IoctlTable) {
        d += Token(std::string("code_") + (io.name + 10), {{io.code, 4}});
        if (io.outputSize == 0) continue;
        d += Token(std::string("size_") + (io.name + 10), {{ok, 1}, {exact, 1}, {io.outputSize, 2}});
    }
    for (uint32_t capacity : {IsoStreamStatistics::Capacity, DeviceList::Capacity, BundleList::Capacity,
                              uint32_t(StatisticsSnapshot::ChannelSlots)}) {
        d += Token("count_" + std::to_string(capacity), {{capacity, 4}});
        d += Token("count_" + std::to_string(capacity + 1), {{capacity + 1, 4}});
    }
    d += Token("value_not_available", {{0xFFFFFFFFu, 4}});
    d += Token("value_shows_text", {{0xFFFFFFFEu, 4}});
    d += Token("value_sign", {{0x80000000u, 4}});
    d += Token("patch_bundle_channel_count", {{8, 2}});
    d += Token("patch_bundle_out_count", {{uint32_t(BundleList::HalfOffset(Dir::Out)), 2}});
    d += Token("patch_iso_out_count", {{uint32_t(IsoStreamStatistics::OutCountOffset), 2}});
    d += Token("fill_ff", {{AE::MakePayload(AE::Payload::Fill), 1}, {0xFF, 1}});
    return d;
}

// Writes the file, or with check compares it; false when it differs.
bool Emit(const std::filesystem::path& file, const std::string& bytes, bool check) {
    if (!check) {
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
        return true;
    }
    std::ifstream in(file, std::ios::binary);
    const std::string have((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (have == bytes) return true;
    std::fprintf(stderr, "%s: %zu bytes committed, the recorder makes %zu different ones; run qor_make_seeds on the fuzz directory to write them again\n",
                 file.string().c_str(), have.size(), bytes.size());
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    const bool check = argc == 3 && std::strcmp(argv[1], "--check") == 0;
    if (argc != 2 && !check) {
        std::fprintf(stderr, "usage: %s [--check] FUZZDIR\n", argv[0]);
        return 2;
    }
    const std::filesystem::path dir = argv[argc - 1];
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    int appArgc = 1;
    QApplication app(appArgc, argv);
    PanelSession panel;
    DriverSession driver;
    auto runPanel = [&](ControlDevice& d, SessionScript& s, std::string* t) { panel.Run(d, s, t); };
    auto runDriver = [&](ControlDevice& d, SessionScript& s, std::string* t) { driver.Run(d, s, t); };

    bool ok = Emit(dir / "qor.dict", Dictionary(), check);
    for (const Seed& seed : Seeds()) {
        const std::vector<uint8_t> p = RecordSession(seed, seed.actions, "panel", runPanel);
        const std::vector<uint8_t> d = RecordSession(seed, DriverActions(seed.actions), "driver", runDriver);
        const bool recorded = !p.empty() && !d.empty();
        ok = recorded && ok;
        if (recorded) {
            ok = Emit(dir / "corpus" / "panel" / seed.name, std::string(p.begin(), p.end()), check) && ok;
            ok = Emit(dir / "corpus" / "driver" / seed.name, std::string(d.begin(), d.end()), check) && ok;
        }
        std::printf("%-32s panel %6zu bytes, driver %6zu bytes %s\n", seed.name, p.size(), d.size(),
                    recorded ? "ok" : "FAILED");
    }
    return ok ? 0 : 1;
}
