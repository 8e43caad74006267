#pragma once

#include <array>
#include <bitset>

#include "driver/DriverRecords.h"

// Whether the latest request for each snapshot record was answered in full. A record whose
// request failed (or was never made) holds zeros or an older answer, and is shown as "n/a".
struct RecordValidity {
    static constexpr size_t Devices = DeviceList::Capacity;
    static constexpr size_t Bundles = BundleList::Capacity;
    static constexpr size_t ChannelSlots = 256;

    bool driverVersion = false;
    bool deviceList = false;
    bool sampleRate = false;
    bool asioStatistics = false;
    bool asioInfo = false;
    bool isoStreams = false;
    bool bundleList = false;
    std::bitset<Devices> devices;
    std::array<std::bitset<Bundles>, 2> bundles;                             // [direction]
    std::array<std::array<std::bitset<ChannelSlots>, Bundles>, 2> channels;  // [direction][bundle]

    bool Device(uint32_t i) const { return i < Devices && devices.test(i); }
    bool Bundle(Dir d, uint32_t b) const { return b < Bundles && bundles[Half(d)].test(b); }
    bool Channel(Dir d, uint32_t b, uint32_t c) const {
        return b < Bundles && c < ChannelSlots && channels[Half(d)][b].test(c);
    }
};
