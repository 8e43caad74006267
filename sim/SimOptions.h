#pragma once

#include <algorithm>
#include <cstdint>

namespace sim {

// How the simulated driver is set up when it starts. Counts beyond the driver's capacities are
// clamped when the simulator takes them.
struct SimOptions {
    static constexpr uint32_t MaxDevices = 64;
    static constexpr uint32_t MaxStreams = 16;
    static constexpr uint32_t MaxBundles = 128;
    static constexpr uint32_t MaxChannelsPerBundle = 16;

    uint32_t devices = 2;
    uint32_t inStreams = 2;
    uint32_t outStreams = 2;
    // Bundles cycle through stereo, multi-channel, mono, SPDIF and MIDI.
    uint32_t inBundles = 5;
    uint32_t outBundles = 5;
    // 0: each bundle has the channels its type implies (stereo 2, multi-channel 8, ...).
    uint32_t channelsPerBundle = 0;
    uint32_t sampleRate = 48000;
    bool debugBuild = true;
    bool extendedStatistics = true;
    // Expected error counter increments per stream per second.
    double errorRate = 0.0;
    // Every hotplugMs the last device (with its streams and bundles) leaves or comes back; 0 = never.
    uint32_t hotplugMs = 0;
    uint64_t seed = 0x51AB1E5EEDull;

    static SimOptions MaxLoad() {
        SimOptions o;
        o.devices = MaxDevices;
        o.inStreams = o.outStreams = MaxStreams;
        o.inBundles = o.outBundles = MaxBundles;
        o.channelsPerBundle = MaxChannelsPerBundle;
        return o;
    }

    SimOptions Clamped() const {
        SimOptions o = *this;
        o.devices = std::min(o.devices, MaxDevices);
        o.inStreams = std::min(o.inStreams, MaxStreams);
        o.outStreams = std::min(o.outStreams, MaxStreams);
        o.inBundles = std::min(o.inBundles, MaxBundles);
        o.outBundles = std::min(o.outBundles, MaxBundles);
        o.channelsPerBundle = std::min(o.channelsPerBundle, MaxChannelsPerBundle);
        if (!(o.errorRate >= 0.0)) o.errorRate = 0.0;  // also catches NaN
        return o;
    }
};

}  // namespace sim
