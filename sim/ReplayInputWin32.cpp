#include "sim/ReplayInput.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/StopRequest.h"

namespace sim {
namespace {
std::unique_ptr<StopRequest> stop;

// Lines typed on the console: Enter steps, "p" and Enter pauses or plays on. The reading thread
// blocks in the console's read until the process ends, so what it fills is never freed.
struct ConsoleLines {
    std::mutex mutex;
    std::deque<ReplayInput::Event> events;
};
ConsoleLines& Lines() {
    static auto* lines = new ConsoleLines;
    return *lines;
}

ReplayInput::Event Next() {
    ConsoleLines& lines = Lines();
    std::lock_guard lock(lines.mutex);
    if (lines.events.empty()) return ReplayInput::Event::None;
    const ReplayInput::Event event = lines.events.front();
    lines.events.pop_front();
    return event;
}
}  // namespace

ReplayInput::ReplayInput() {
    stop = std::make_unique<StopRequest>();
    static std::once_flag reading;
    std::call_once(reading, [] {
        std::thread([] {
            char line[256];
            while (std::fgets(line, sizeof line, stdin)) {
                const Event event = line[0] == 'p' || line[0] == 'P' ? Event::TogglePause : Event::Step;
                ConsoleLines& lines = Lines();
                std::lock_guard lock(lines.mutex);
                if (lines.events.size() < 64) lines.events.push_back(event);
            }
        }).detach();
    });
}

ReplayInput::~ReplayInput() { stop.reset(); }

ReplayInput::Event ReplayInput::Wait(int ms) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(ms, 0));
    for (;;) {
        if (const Event event = Next(); event != Event::None) return event;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return Event::None;
        // The console is looked at every 20 ms; a stop ends the wait at once.
        if (stop->Wait(static_cast<int>(std::min<long long>(left.count(), 20)))) return Event::Stop;
    }
}

bool ReplayInput::CanStep() { return true; }

}  // namespace sim
