#pragma once

#include <array>

#include "driver/DriverRecords.h"

// The answer records of the latest refresh, at fixed capacity. Readers address entries by
// position; positions beyond a table's capacity read a record of zeros instead.
class StatisticsSnapshot {
public:
    static constexpr uint32_t DeviceCapacity = DeviceList::Capacity;
    static constexpr uint32_t BundleCapacity = BundleList::Capacity;
    static constexpr uint32_t ChannelSlots = 256;

    DriverVersion driverVersion;
    DeviceList deviceList;
    SampleRateInfo sampleRateInfo;
    GlobalPair globalPair;
    GlobalValue globalValue;
    std::array<DeviceStreamInfo, DeviceCapacity> deviceStreamInfo;
    std::array<DeviceInfo, DeviceCapacity> deviceInfo;
    AsioStatistics asioStatistics;
    AsioInfo asioInfo;
    IsoStreamStatistics isoStreamStatistics;
    BundleList bundleList;
    std::array<std::array<ChannelBundleInfo, BundleCapacity>, 2> bundleInfo;  // [direction][bundle]
    std::array<std::array<std::array<ChannelInfo, ChannelSlots>, BundleCapacity>, 2> channelInfo;

    const DeviceInfo& Device(uint32_t i) const;
    const ChannelBundleInfo& Bundle(Dir d, uint32_t bundle) const;
    const ChannelInfo& Channel(Dir d, uint32_t bundle, uint32_t channel) const;
    ChannelBundleInfo& MutableBundle(Dir d, uint32_t bundle);
    ChannelInfo& MutableChannel(Dir d, uint32_t bundle, uint32_t channel);
};
