#include "driver/StatisticsSnapshot.h"

namespace {
const DeviceInfo kNoDevice{};
const ChannelBundleInfo kNoBundle{};
const ChannelInfo kNoChannel{};
ChannelBundleInfo gBundleSink;
ChannelInfo gChannelSink;

}  // namespace

const DeviceInfo& StatisticsSnapshot::Device(uint32_t i) const {
    return i < DeviceCapacity ? deviceInfo[i] : kNoDevice;
}

const ChannelBundleInfo& StatisticsSnapshot::Bundle(Dir d, uint32_t bundle) const {
    return bundle < BundleCapacity ? bundleInfo[Half(d)][bundle] : kNoBundle;
}

const ChannelInfo& StatisticsSnapshot::Channel(Dir d, uint32_t bundle, uint32_t channel) const {
    return bundle < BundleCapacity && channel < ChannelSlots ? channelInfo[Half(d)][bundle][channel] : kNoChannel;
}

// Writers only ever pass clamped positions; a stray one lands in a sink, never outside.
ChannelBundleInfo& StatisticsSnapshot::MutableBundle(Dir d, uint32_t bundle) {
    return bundle < BundleCapacity ? bundleInfo[Half(d)][bundle] : gBundleSink;
}

ChannelInfo& StatisticsSnapshot::MutableChannel(Dir d, uint32_t bundle, uint32_t channel) {
    return bundle < BundleCapacity && channel < ChannelSlots ? channelInfo[Half(d)][bundle][channel] : gChannelSink;
}
