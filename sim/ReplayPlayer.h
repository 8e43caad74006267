#pragma once

#include <string>
#include <utility>

#include "sim/ReplayInput.h"
#include "sim/ReplayOptions.h"

namespace sim {

// qorsimd --replay: serves a recording on the control device (the socket, or the pipe on
// Windows), tick by tick at the recorded pace times `speed`, or one tick per step while paused
// (see ReplayInput). At the end the driver goes away and the player returns, unless it loops.
class ReplayPlayer {
public:
    ReplayPlayer(ReplayOptions options, std::string devicePath, const char* program)
        : options_(std::move(options)), devicePath_(std::move(devicePath)), program_(program) {}

    // Runs until the recording ends (not when looping) or the input says stop. Returns the exit
    // code: 0, or 1 when the file cannot be served.
    int Run(ReplayInput& input);

private:
    ReplayOptions options_;
    std::string devicePath_;
    const char* program_;
};

}  // namespace sim
