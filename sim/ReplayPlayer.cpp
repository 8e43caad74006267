#include "sim/ReplayPlayer.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>

#include "sim/DeviceServer.h"
#include "sim/ReplayDriver.h"
#include "sim/ReplayInput.h"

namespace sim {
namespace {
using Clock = std::chrono::steady_clock;

std::string StartText(int64_t ms) {
    const std::time_t seconds = static_cast<std::time_t>(ms / 1000);
    char text[32] = "?";
    // Called on the main thread only, before the server thread reads no clock of its own.
    if (const std::tm* utc = std::gmtime(&seconds)) std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S UTC", utc);
    return text;
}
}  // namespace

int ReplayPlayer::Run(ReplayInput& input) {
    ReplayDriver driver(options_.path);
    auto fail = [&] {
        std::fprintf(stderr, "%s: %s: %s\n", program_, options_.path.c_str(), driver.Message().c_str());
        return 1;
    };
    if (!driver.Open()) return fail();
    const RecordHeader h = driver.Reader().Header();  // a copy: a loop reads the file anew

    driver.SetLoaded(driver.DriverPresent());
    DeviceServer server(driver, devicePath_);
    if (!server.Start()) {
        std::fprintf(stderr, "%s: %s\n", program_, server.Error().c_str());
        return 1;
    }
    std::printf("%s: replaying %s (recorded %s on %s by panel %u.%u.%u, every %u ms) on %s\n", program_,
                options_.path.c_str(), StartText(h.startMs).c_str(), h.platform.c_str(), h.panel[0], h.panel[1],
                h.panel[2], h.periodMs, server.Path().c_str());
    std::fflush(stdout);

    bool paused = options_.paused;
    // The recording's time that the wall clock's `base` stands for.
    Clock::time_point base = Clock::now();
    int64_t baseMs = driver.CurrentMs();
    int code = 0;
    // At the end: true to go on from the start again, false to stop with `code`.
    auto ended = [&] {
        const std::string message = driver.Message();
        const bool fault = driver.Reader().Ended() == RecordReader::End::Fault;
        if (!message.empty())
            std::fprintf(fault ? stderr : stdout, "%s: %s: %s\n", program_, options_.path.c_str(), message.c_str());
        if (options_.loop && !fault) {
            server.SetLoaded(false);
            if (!driver.Rewind()) {
                code = fail();
                return false;
            }
            server.SetLoaded(driver.DriverPresent());
            base = Clock::now();
            baseMs = driver.CurrentMs();
            return true;
        }
        std::printf("%s: the recording ended after %llu ticks; the driver goes away\n", program_,
                    static_cast<unsigned long long>(driver.Tick()));
        std::fflush(stdout);
        code = fault ? 1 : 0;
        return false;
    };
    // The next tick; at a fault in it, as at the end.
    auto step = [&] {
        if (!driver.Step()) return ended();
        server.SetLoaded(driver.DriverPresent());
        if (paused) {
            std::printf("%s: tick %llu at %.1f s\n", program_, static_cast<unsigned long long>(driver.Tick()),
                        double(driver.CurrentMs()) / 1000.0);
            std::fflush(stdout);
        }
        return true;
    };
    for (;;) {
        const std::optional<int64_t> next = driver.NextMs();
        // The last tick is served for a poll period, as the driver served it then.
        const int64_t dueMs = next ? *next : driver.CurrentMs() + h.periodMs;
        long waitMs = 1000;
        if (!paused) {
            const double due = double(dueMs - baseMs) / options_.speed;
            const double now = std::chrono::duration<double, std::milli>(Clock::now() - base).count();
            if (due <= now) {
                if (next ? step() : ended()) continue;
                break;
            }
            waitMs = static_cast<long>(std::min(1000.0, due - now)) + 1;
        }
        const ReplayInput::Event event = input.Wait(static_cast<int>(waitMs));
        if (event == ReplayInput::Event::Stop) break;
        if (event == ReplayInput::Event::Step && paused && !(next ? step() : ended())) break;
        if (event == ReplayInput::Event::TogglePause) {
            paused = !paused;
            base = Clock::now();
            baseMs = driver.CurrentMs();
            std::printf("%s: %s at tick %llu\n", program_, paused ? "paused" : "playing",
                        static_cast<unsigned long long>(driver.Tick()));
            std::fflush(stdout);
        }
    }
    server.SetLoaded(false);
    server.Stop();
    return code;
}

}  // namespace sim
