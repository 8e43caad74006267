#include "driver/CDev.h"

#include <algorithm>
#include <cstring>

#include "driver/IoctlCodes.h"
#include "platform/WinError.h"

CDev::CDev(ControlDevice& device)
    : device_(device), channel_(&device), snapshot_(std::make_unique<StatisticsSnapshot>()) {}

CDev::~CDev() { Close(); }

uint32_t CDev::Open() {
    Close();
    uint32_t result = channel_->Open();
    if (result != 0 || !channel_->IsOpen()) {
        channel_->Close();
        deviceCount_ = 0;
        return result != 0 ? result : 2;
    }
    return 0;
}

void CDev::Close() {
    if (channel_->IsOpen()) channel_->Close();
}

int32_t CDev::Control(uint32_t code, const void* in, uint32_t inSize, void* out, uint32_t outSize,
                      uint32_t* bytesReturned) {
    if (bytesReturned) *bytesReturned = 0;
    if (!channel_->IsOpen()) return NotOpen;
    uint32_t returned = 0;
    uint32_t result = channel_->Control(code, in, inSize, out, outSize, returned);
    if (bytesReturned) *bytesReturned = std::min(returned, outSize);
    return static_cast<int32_t>(result);
}

template <typename R>
int32_t CDev::Request(uint32_t code, R& record, const uint32_t* id) {
    uint8_t input[4];
    if (id) Le::PutU32(input, *id);
    uint32_t returned = 0;
    int32_t result =
        Control(code, id ? input : nullptr, id ? 4 : 0, record.Data(), static_cast<uint32_t>(R::Size), &returned);
    // Records have a fixed size: an answer that stops short of it is no answer.
    if (result == 0 && returned < R::Size) return static_cast<int32_t>(WinError::InvalidData);
    return result;
}

template <typename R>
bool CDev::Read(uint32_t code, R& record, const uint32_t* id) {
    if (Request(code, record, id) == 0) return true;
    readFailed_ = true;
    return false;
}

int32_t CDev::ReadDriverVersion() {
    int32_t result = NotOpen;
    StatisticsSnapshot& s = *snapshot_;
    if (IsOpen()) {
        s.driverVersion.Zero();
        result = Request(IOCTL_QOR_GET_DRIVER_VERSION, s.driverVersion);
        if (result != 0) readFailed_ = true;
    }
    validity_.driverVersion = result == 0;
    if (result == 0) {
        const DriverVersion& v = s.driverVersion;
        published_.interfaceMajor = v.InterfaceMajor();
        published_.interfaceMinor = v.InterfaceMinor();
        published_.releaseMajor = v.ReleaseMajor();
        published_.releaseMinor = v.ReleaseMinor();
        published_.releaseBuild = v.ReleaseBuild();
        published_.DebugBuild = v.Flags() & DriverVersion::FlagDebugBuild;
        published_.ExtendedStatistics = v.Flags() & DriverVersion::FlagExtendedStatistics;
        return 0;
    }
    published_ = PublishedDriverVersion{};
    return result;
}

void CDev::ReadDevices() {
    StatisticsSnapshot& s = *snapshot_;
    s.deviceList.Zero();
    validity_.devices.reset();
    validity_.deviceList = Read(IOCTL_QOR_GET_DEVICE_LIST, s.deviceList);
    if (!validity_.deviceList) return;
    deviceCount_ = s.deviceList.Count();
    for (uint32_t i = 0; i < deviceCount_; ++i) {
        uint32_t id = s.deviceList.Id(i);
        if (!Read(IOCTL_QOR_GET_DEVICE_INFO, s.deviceInfo[i], &id)) return;
        validity_.devices.set(i);
        if (!Read(IOCTL_QOR_GET_DEVICE_STREAM_INFO, s.deviceStreamInfo[i], &id)) return;
    }
}

bool CDev::ReadBundleHalf(Dir d) {
    StatisticsSnapshot& s = *snapshot_;
    const size_t half = Half(d);
    uint32_t bundles = s.bundleList.Count(d);
    for (uint32_t b = 0; b < bundles; ++b) {
        uint32_t bundleId = s.bundleList.Id(d, b);
        ChannelBundleInfo& bundle = s.MutableBundle(d, b);
        if (!Read(IOCTL_QOR_GET_BUNDLE_INFO, bundle, &bundleId)) return false;
        validity_.bundles[half].set(b);
        uint32_t channels = bundle.ChannelCount();
        for (uint32_t c = 0; c < channels; ++c) {
            uint32_t channelId = bundle.Entry(c).ChannelId();
            if (!Read(IOCTL_QOR_GET_CHANNEL_INFO, s.MutableChannel(d, b, c), &channelId)) return false;
            validity_.channels[half][b].set(c);
        }
    }
    return true;
}

uint32_t CDev::ReadChannelBundles() {
    StatisticsSnapshot& s = *snapshot_;
    s.bundleList.Zero();
    for (size_t half = 0; half < 2; ++half) {
        validity_.bundles[half].reset();
        for (auto& channels : validity_.channels[half]) channels.reset();
    }
    validity_.bundleList = Read(IOCTL_QOR_GET_BUNDLE_LIST, s.bundleList);
    if (!validity_.bundleList) return BundleReadFailed;
    if (!ReadBundleHalf(Dir::In) || !ReadBundleHalf(Dir::Out)) return BundleReadFailed;
    return 0;
}

int32_t CDev::ReadIsoStreamStatistics() {
    snapshot_->isoStreamStatistics.Zero();
    validity_.isoStreams = false;
    if (!IsOpen()) return NotOpen;
    int32_t result = Request(IOCTL_QOR_GET_ISO_STREAM_STATISTICS, snapshot_->isoStreamStatistics);
    validity_.isoStreams = result == 0;
    if (result != 0) readFailed_ = true;
    return result;
}

int32_t CDev::ReadAsioStatistics() {
    snapshot_->asioStatistics.Zero();
    int32_t result = Request(IOCTL_QOR_GET_ASIO_STATISTICS, snapshot_->asioStatistics);
    validity_.asioStatistics = result == 0;
    if (result != 0) readFailed_ = true;
    return result;
}

int32_t CDev::ReadAsioInfo() {
    snapshot_->asioInfo.Zero();
    int32_t result = Request(IOCTL_QOR_GET_ASIO_INFO, snapshot_->asioInfo);
    validity_.asioInfo = result == 0;
    if (result != 0) readFailed_ = true;
    return result;
}

void CDev::ReadGlobalInfo() {
    StatisticsSnapshot& s = *snapshot_;
    validity_.sampleRate = false;
    if (!Read(IOCTL_QOR_GET_GLOBAL_VALUE, s.globalValue)) return;
    if (!Read(IOCTL_QOR_GET_SAMPLE_RATE_INFO, s.sampleRateInfo)) return;
    validity_.sampleRate = true;
    Read(IOCTL_QOR_GET_GLOBAL_PAIR, s.globalPair);
}

const char* CDev::GetDeviceName(uint32_t deviceId) {
    nameRecord_.Zero();
    if (Request(IOCTL_QOR_GET_DEVICE_INFO, nameRecord_, &deviceId) != 0) return nullptr;
    std::string_view name = nameRecord_.HardwareName();
    size_t n = std::min(name.size(), NameBufferSize - 1);
    std::memcpy(nameBuffer_.data(), name.data(), n);
    nameBuffer_[n] = '\0';
    return nameBuffer_.data();
}
