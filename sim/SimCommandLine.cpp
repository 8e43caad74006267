#include "sim/SimCommandLine.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <iterator>
#include <limits>

#include "base/CommandLine.h"
#include "driver/IoctlCodes.h"

namespace sim {
namespace {

bool ParseUnsigned(const std::string& text, uint64_t max, uint64_t& value) {
    if (text.empty() || text[0] == '-' || text[0] == '+') return false;
    errno = 0;
    char* end = nullptr;
    unsigned long long v = std::strtoull(text.c_str(), &end, 0);
    if (errno != 0 || !end || *end != '\0' || v > max) return false;
    value = v;
    return true;
}

bool ParseU32(const std::string& text, uint32_t max, uint32_t& value) {
    uint64_t v = 0;
    if (!ParseUnsigned(text, max, v)) return false;
    value = static_cast<uint32_t>(v);
    return true;
}

// A finite number from min to max, nothing else.
bool ParseReal(const std::string& text, double min, double max, double& value) {
    char* end = nullptr;
    errno = 0;
    const double v = std::strtod(text.c_str(), &end);
    if (text.empty() || errno != 0 || *end != '\0' || !(v >= min && v <= max)) return false;
    value = v;
    return true;
}

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        size_t at = text.find(separator, start);
        parts.push_back(text.substr(start, at == std::string::npos ? std::string::npos : at - start));
        if (at == std::string::npos) return parts;
        start = at + 1;
    }
}

constexpr uint32_t MaxSampleRate = 768000;

}  // namespace

bool SimCommandLine::Fail(std::string message) {
    error_ = std::move(message);
    return false;
}

bool SimCommandLine::ParseCode(const std::string& text, uint32_t& code) {
    for (const IoctlInfo& info : IoctlTable) {
        std::string name = info.name;
        if (text == name || "IOCTL_QOR_" + text == name) {
            code = info.code;
            return true;
        }
    }
    return ParseU32(text, 0xFFFFFFFFu, code) && code != 0;
}

bool SimCommandLine::Parse(int argc, const char* const* argv) { return Parse(CommandLine::Arguments(argc, argv)); }

namespace {
namespace opt {
enum Id : int {
    Help, Version, Device, Devices, InStreams, OutStreams, InBundles, OutBundles, Channels, SampleRate, RateSchedule,
    Release, NoExtended, ErrorRate, HotplugMs, Seed, MaxLoad, FailCode, Replay, Speed, Loop, Paused, Overcount, NoNul,
    Short, NoAnswer
};
}  // namespace opt
constexpr const char* Value = "a value";
constexpr CommandLine::Option Table[] = {
    {opt::Help, "h|help"}, {opt::Version, "v|version"}, {opt::Device, "device|socket", Value}, {opt::Devices, "devices", Value},
    {opt::InStreams, "in-streams", Value}, {opt::OutStreams, "out-streams", Value}, {opt::InBundles, "in-bundles", Value},
    {opt::OutBundles, "out-bundles", Value}, {opt::Channels, "channels", Value}, {opt::SampleRate, "sample-rate", Value},
    {opt::RateSchedule, "rate-schedule", Value}, {opt::Release, "release"}, {opt::NoExtended, "no-extended"},
    {opt::ErrorRate, "error-rate", Value}, {opt::HotplugMs, "hotplug-ms", Value}, {opt::Seed, "seed", Value}, {opt::MaxLoad, "max-load"},
    {opt::FailCode, "fail", Value}, {opt::Replay, "replay", Value}, {opt::Speed, "speed", Value}, {opt::Loop, "loop"},
    {opt::Paused, "paused"}, {opt::Overcount, "overcount"}, {opt::NoNul, "no-nul"}, {opt::Short, "short"}, {opt::NoAnswer, "no-answer", Value},
};
// The options that set one count of the simulator, up to a limit.
struct CountOption {
    int id;
    uint32_t max;
    uint32_t SimOptions::*field;
};
constexpr CountOption Counts[] = {
    {opt::Devices, SimOptions::MaxDevices, &SimOptions::devices},
    {opt::InStreams, SimOptions::MaxStreams, &SimOptions::inStreams},
    {opt::OutStreams, SimOptions::MaxStreams, &SimOptions::outStreams},
    {opt::InBundles, SimOptions::MaxBundles, &SimOptions::inBundles},
    {opt::OutBundles, SimOptions::MaxBundles, &SimOptions::outBundles},
    {opt::Channels, SimOptions::MaxChannelsPerBundle, &SimOptions::channelsPerBundle},
    {opt::SampleRate, MaxSampleRate, &SimOptions::sampleRate},
    {opt::HotplugMs, 0xFFFFFFFFu, &SimOptions::hotplugMs},
};
}  // namespace

bool SimCommandLine::Parse(const std::vector<std::string>& args) {
    *this = SimCommandLine{};
    bool replaySet = false;  // an option that only a replay takes
    for (const CommandLine::Argument& a : CommandLine(Table).Read(args)) {
        if (a.kind != CommandLine::Argument::Kind::Option) return Fail(a.Mistake());
        const std::string& flag = a.written;
        const std::string& text = a.value;
        const auto counted = std::find_if(std::begin(Counts), std::end(Counts),
                                          [&](const CountOption& c) { return c.id == a.id; });
        if (counted != std::end(Counts)) {
            if (!ParseU32(text, counted->max, options_.*counted->field))
                return Fail(flag + " wants a number from 0 to " + std::to_string(counted->max) + ", not '" + text +
                            "'");
            continue;
        }

        switch (a.id) {
            case opt::Help:
                help_ = true;
                break;
            case opt::Version:
                version_ = true;
                break;
            case opt::Device:
                devicePath_ = text;
                if (devicePath_.empty()) return Fail(flag + " needs a path");
                break;
            case opt::RateSchedule:
                rateSchedule_.clear();
                for (const std::string& item : Split(text, ',')) {
                    std::vector<std::string> parts = Split(item, ':');
                    RateChange change{};
                    if (parts.size() != 2 || !ParseUnsigned(parts[0], UINT64_MAX / 2, change.atMs) ||
                        !ParseU32(parts[1], MaxSampleRate, change.rate))
                        return Fail("--rate-schedule wants ms:rate,ms:rate..., not '" + text + "'");
                    // In time order; of two changes at the same time the later one on the line wins.
                    auto at = std::upper_bound(rateSchedule_.begin(), rateSchedule_.end(), change.atMs,
                                               [](uint64_t ms, const RateChange& c) { return ms < c.atMs; });
                    rateSchedule_.insert(at, change);
                }
                break;
            case opt::Release:
                options_.debugBuild = false;
                break;
            case opt::NoExtended:
                options_.extendedStatistics = false;
                break;
            case opt::ErrorRate:
                if (!ParseReal(text, 0.0, std::numeric_limits<double>::max(), options_.errorRate))
                    return Fail("--error-rate wants a number of errors per stream per second, not '" + text + "'");
                break;
            case opt::Seed:
                if (!ParseUnsigned(text, UINT64_MAX, options_.seed))
                    return Fail("--seed wants a number, not '" + text + "'");
                break;
            case opt::MaxLoad: {
                SimOptions load = SimOptions::MaxLoad();
                load.sampleRate = options_.sampleRate;
                load.debugBuild = options_.debugBuild;
                load.extendedStatistics = options_.extendedStatistics;
                load.errorRate = options_.errorRate;
                load.hotplugMs = options_.hotplugMs;
                load.seed = options_.seed;
                options_ = load;
                break;
            }
            case opt::FailCode: {
                std::vector<std::string> parts = Split(text, ':');
                FaultPlan f = faults_;
                f.failEvery = 1;
                f.failError = WinError::GenFailure;
                if (parts.size() > 3 || !ParseCode(parts[0], f.failCode) ||
                    (parts.size() > 1 && !ParseU32(parts[1], 0xFFFFFFFFu, f.failEvery)) ||
                    (parts.size() > 2 && (!ParseU32(parts[2], 0xFFFFFFFFu, f.failError) || f.failError == 0)))
                    return Fail("--fail wants CODE[:N[:ERR]] with a known code and a nonzero error, not '" + text +
                                "'");
                faults_ = f;
                break;
            }
            case opt::Replay:
                replay_.path = text;
                if (replay_.path.empty()) return Fail("--replay needs a file");
                break;
            case opt::Speed:
                if (!ParseReal(text, 0.01, 1000.0, replay_.speed))
                    return Fail("--speed wants a number from 0.01 to 1000, not '" + text + "'");
                replaySet = true;
                break;
            case opt::Loop:
                replay_.loop = replaySet = true;
                break;
            case opt::Paused:
                replay_.paused = replaySet = true;
                break;
            case opt::Overcount:
                faults_.overcount = true;
                break;
            case opt::NoNul:
                faults_.namesWithoutNul = true;
                break;
            case opt::Short:
                faults_.shortAnswers = true;
                break;
            case opt::NoAnswer:
                if (!ParseCode(text, faults_.noAnswerCode))
                    return Fail("--no-answer wants a control code, not '" + text + "'");
                break;
        }
    }
    if (replaySet && replay_.path.empty()) return Fail("--speed, --loop and --paused go with --replay");
    return true;
}

std::string SimCommandLine::Usage(const std::string& program) {
    return "Usage: " + program + " [options]\n"
#ifdef _WIN32
           "Stands in for the Velmoric 1394 audio driver: serves its control device on a named pipe.\n"
           "\n"
           "  --device PATH          serve on the pipe PATH (default \\\\.\\pipe\\qor1394-{GUID}); start\n"
           "                         qorstats and qorpoll with --device PATH to read from it\n"
#else
           "Stands in for the Velmoric 1394 audio driver: serves its control device on a socket.\n"
           "\n"
           "  --device PATH          serve on the socket PATH instead of the system's control device path\n"
           "                         (--socket PATH says the same)\n"
#endif
           "  --devices N            connected devices (default 2, up to 64)\n"
           "  --in-streams N         ISO input streams (default 2, up to 16)\n"
           "  --out-streams N        ISO output streams (default 2, up to 16)\n"
           "  --in-bundles N         input channel bundles (default 5, up to 128)\n"
           "  --out-bundles N        output channel bundles (default 5, up to 128)\n"
           "  --channels N           channels per bundle (default: as the bundle type has it; up to 16)\n"
           "  --sample-rate N        sample rate in samples/s (default 48000)\n"
           "  --rate-schedule LIST   change the sample rate while running: ms:rate,ms:rate,...\n"
           "  --release              report a release build (no tracing)\n"
           "  --no-extended          do not fill the extended statistics\n"
           "  --error-rate X         error counter increments per stream per second (default 0)\n"
           "  --hotplug-ms N         every N ms the last device leaves or comes back (default off)\n"
           "  --seed N               seed of the error generator\n"
           "  --max-load             64 devices, 128+128 bundles of 16 channels, 16+16 streams\n"
           "  --fail CODE[:N[:ERR]]  fail CODE (every N-th request, with Windows error ERR; default 1:31)\n"
           "  --overcount            report more devices, bundles, channels and streams than fit\n"
           "  --no-nul               names fill their fields without a terminating NUL\n"
           "  --short                answer with half of each record\n"
           "  --no-answer CODE       never answer requests of CODE\n"
           "  --replay FILE          serve a recording (qorpoll --record, File > Record to File...)\n"
           "                         instead of the simulator; the driver goes away at its end\n"
           "  --speed X              replay X times as fast as recorded (default 1)\n"
           "  --loop                 replay from the start again at the end\n"
#ifdef _WIN32
           "  --paused               start paused: Enter serves the next tick, p and Enter plays on\n"
#else
           "  --paused               start paused: SIGUSR1 serves the next tick, SIGUSR2 plays on\n"
#endif
           "  -h, --help             show this text and exit\n"
           "  -v, --version          show the version and exit\n"
           "\n"
           "CODE is a control code in hex (0x80882804) or its name (IOCTL_QOR_GET_DRIVER_VERSION or\n"
           "GET_DRIVER_VERSION). Stops cleanly on SIGINT or SIGTERM.\n";
}

}  // namespace sim
