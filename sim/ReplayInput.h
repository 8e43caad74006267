#pragma once

namespace sim {

// What steers a replay besides its clock. On Linux: SIGINT and SIGTERM stop it, SIGUSR1 steps
// one tick while paused, SIGUSR2 pauses and resumes (all blocked while it exists, so that only
// Wait takes them; made before any thread starts). On Windows: Ctrl+C, Ctrl+Break or closing
// the console stop it, Enter on the console steps, and "p" with Enter pauses and resumes.
class ReplayInput {
public:
    enum class Event { None, Stop, Step, TogglePause };

    ReplayInput();
    ~ReplayInput();
    ReplayInput(const ReplayInput&) = delete;
    ReplayInput& operator=(const ReplayInput&) = delete;

    // Waits at most ms for an event.
    Event Wait(int ms);
    // Whether a paused replay can be stepped and resumed on this system.
    static bool CanStep();
};

}  // namespace sim
