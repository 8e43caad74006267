#pragma once

#include <string>

namespace sim {

// qorsimd --replay FILE and how to play it.
struct ReplayOptions {
    std::string path;
    double speed = 1.0;
    bool loop = false;
    bool paused = false;
};

}  // namespace sim
