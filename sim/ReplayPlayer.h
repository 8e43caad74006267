#pragma once

#include <csignal>
#include <string>
#include <utility>

#include "sim/ReplayOptions.h"

namespace sim {

// qorsimd --replay: serves a recording on the control device socket, tick by tick at the
// recorded pace times `speed`, or one tick per SIGUSR1 while paused (SIGUSR2 pauses and
// resumes). At the end the driver goes away and the player returns, unless it loops.
class ReplayPlayer {
public:
    ReplayPlayer(ReplayOptions options, std::string socketPath, const char* program)
        : options_(std::move(options)), socketPath_(std::move(socketPath)), program_(program) {}

    // Runs until the recording ends (not when looping) or a signal of `stopSignals` (blocked by
    // the caller) comes. Returns the exit code: 0, or 1 when the file cannot be served.
    int Run(const sigset_t& stopSignals);

private:
    ReplayOptions options_;
    std::string socketPath_;
    const char* program_;
};

}  // namespace sim
