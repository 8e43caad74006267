#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "driver/PublishedDriverVersion.h"
#include "driver/RecordValidity.h"
#include "driver/StatisticsSnapshot.h"
#include "platform/ControlDevice.h"

// The panel's only path to the driver: opens and closes the control device, performs single
// control requests and fills the statistics snapshot. Results follow Windows: 0 success, the
// system's error code on failure, -1 when the device is not open.
class CDev {
public:
    static constexpr int32_t NotOpen = -1;
    static constexpr uint32_t BundleReadFailed = 0x8064;
    static constexpr size_t NameBufferSize = 256;

    explicit CDev(ControlDevice& device);
    virtual ~CDev();
    CDev(const CDev&) = delete;
    CDev& operator=(const CDev&) = delete;

    uint32_t Open();
    void Close();
    bool IsOpen() const { return channel_->IsOpen(); }
    int32_t Control(uint32_t code, const void* in, uint32_t inSize, void* out, uint32_t outSize,
                    uint32_t* bytesReturned = nullptr);

    // Requests go through `decorator`, which passes them on to Device(), until it is given null.
    void RouteThrough(ControlDevice* decorator) { channel_ = decorator ? decorator : &device_; }
    ControlDevice& Device() { return device_; }

    int32_t ReadDriverVersion();
    void ReadDevices();
    uint32_t ReadChannelBundles();
    int32_t ReadIsoStreamStatistics();
    int32_t ReadAsioStatistics();
    int32_t ReadAsioInfo();
    void ReadGlobalInfo();
    // The device's hardware name in a buffer that the next call overwrites, or null.
    const char* GetDeviceName(uint32_t deviceId);

    uint32_t DeviceCount() const { return deviceCount_; }
    // Which records the latest reads answered in full; a short answer counts as failed.
    const RecordValidity& Validity() const { return validity_; }
    RecordValidity& MutableValidity() { return validity_; }
    // Whether any record read failed since the last ClearReadFailed (the polling cycle's tick).
    bool ReadFailed() const { return readFailed_; }
    void ClearReadFailed() { readFailed_ = false; }
    void ResetDeviceCount() { deviceCount_ = 0; }

    const StatisticsSnapshot& Snapshot() const { return *snapshot_; }
    StatisticsSnapshot& MutableSnapshot() { return *snapshot_; }
    PublishedDriverVersion& Published() { return published_; }
    const PublishedDriverVersion& Published() const { return published_; }

private:
    template <typename R>
    int32_t Request(uint32_t code, R& record, const uint32_t* id = nullptr);
    // Request for a snapshot record: a failure is remembered for the tick.
    template <typename R>
    bool Read(uint32_t code, R& record, const uint32_t* id = nullptr);
    bool ReadBundleHalf(Dir d);

    ControlDevice& device_;
    ControlDevice* channel_;
    uint32_t deviceCount_ = 0;
    std::unique_ptr<StatisticsSnapshot> snapshot_;  // ~6 MB: allocated once, with the CDev
    PublishedDriverVersion published_;
    RecordValidity validity_;
    bool readFailed_ = false;
    DeviceInfo nameRecord_;
    std::array<char, NameBufferSize> nameBuffer_{};
};
