#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string_view>

#include "driver/DriverRecords.h"
#include "driver/IoctlCodes.h"
#include "sim/FaultPlan.h"
#include "sim/ServedDriver.h"
#include "sim/SimOptions.h"

namespace sim {

// The driver's side of the control device: answers every control code from state kept in
// fixed arrays. Time only moves through Advance, so everything it reports is reproducible.
// Answers are built in place and nothing is allocated while answering. Every public member is
// safe to call from any thread.
//
// Values poked with the Set...Field members are stored state: counters move on from a poked
// value when time advances, other fields keep it until a configuration change rebuilds them.
class DriverSimulator : public ServedDriver {
public:
    static constexpr uint32_t InitialTraceMask = 0x00000003;  // fatal errors and warnings
    static constexpr uint32_t MaxDevices = SimOptions::MaxDevices;
    static constexpr uint32_t MaxStreams = SimOptions::MaxStreams;
    static constexpr uint32_t MaxBundles = SimOptions::MaxBundles;
    static constexpr uint32_t MaxChannels = SimOptions::MaxChannelsPerBundle;

    explicit DriverSimulator(const SimOptions& options = {});
    DriverSimulator(const DriverSimulator&) = delete;
    DriverSimulator& operator=(const DriverSimulator&) = delete;

    // One control request. Returns 0 and the answer's byte count, or a Windows error code with
    // out untouched. A request that is never answered returns SemTimeout; the second form tells
    // the difference, for a server that then must not reply.
    uint32_t Handle(uint32_t code, const uint8_t* in, uint32_t inSize, uint8_t* out, uint32_t outSize,
                    uint32_t& bytesReturned);
    uint32_t Handle(uint32_t code, const uint8_t* in, uint32_t inSize, uint8_t* out, uint32_t outSize,
                    uint32_t& bytesReturned, bool& answered) override;

    void Advance(uint32_t milliseconds);
    uint64_t ElapsedMs() const;

    // Configuration. Changing the layout (devices, streams, bundles) re-links the records to
    // the device ids; changing the bundles rebuilds them.
    void SetSampleRate(uint32_t rate);
    uint32_t SampleRate() const;
    void SetDeviceCount(uint32_t count);
    uint32_t DeviceCount() const;  // configured, including a device that is hot-unplugged
    void SetStreamCounts(uint32_t in, uint32_t out);
    void SetBundleCounts(uint32_t in, uint32_t out, uint32_t channelsPerBundle = 0);
    void SetDebugBuild(bool on);
    void SetExtendedStatistics(bool on);
    void SetDriverVersion(uint8_t interfaceMajor, uint8_t interfaceMinor, uint8_t releaseMajor,
                          uint8_t releaseMinor, uint32_t build, uint32_t flags);
    void SetErrorRate(double perStreamPerSecond);
    void SetHotplugPeriod(uint32_t ms);
    bool DeviceUnplugged() const;
    void SetFaults(const FaultPlan& plan);
    FaultPlan Faults() const;

    void SetLoaded(bool loaded) override;
    bool Loaded() const override;
    uint32_t LoadGeneration() const override;

    // Pokes. They return false for positions outside the records.
    bool SetIsoInField(uint32_t stream, size_t offset, uint32_t value, size_t width = 4);
    bool SetIsoOutField(uint32_t stream, size_t offset, uint32_t value, size_t width = 4);
    bool SetAsioStatisticsField(size_t offset, uint32_t value);
    bool SetAsioInfoField(size_t offset, uint32_t value);
    bool SetDeviceNames(uint32_t device, std::string_view hardwareName, std::string_view nickName);
    bool SetDeviceId(uint32_t device, uint32_t id);
    bool SetBundleType(Dir d, uint32_t bundle, uint32_t type);
    bool SetChannelNames(Dir d, uint32_t bundle, uint32_t channel, std::string_view hardwareName,
                         std::string_view nickName);
    bool SetBundleEntryField(Dir d, uint32_t bundle, uint32_t channel, size_t offset, uint32_t value);
    bool SetChannelInfoField(Dir d, uint32_t bundle, uint32_t channel, size_t offset, uint32_t value);
    void SetTraceMask(uint32_t mask);

    uint32_t TraceMask() const;
    uint32_t DefaultTraceMask() const;
    uint32_t DeviceId(uint32_t device) const;
    uint32_t BundleId(Dir d, uint32_t bundle) const;
    uint32_t ChannelId(Dir d, uint32_t bundle, uint32_t channel) const;

    // What was asked, for tests.
    uint64_t RequestCount(uint32_t code) const;
    uint64_t TotalRequests() const;
    uint32_t LastInput(uint32_t code) const;  // 4-byte input of the latest request of the code
    void ResetRequestLog();

private:
    static constexpr size_t CodeSlots = IoctlTable.size() + 1;  // the last counts unknown codes
    static constexpr size_t MaxRecordSize = IsoStreamStatistics::Size;

    struct Accumulators {
        uint64_t data = 0;    // ms x rate not yet turned into data packets
        uint64_t asio = 0;    // ms x rate not yet turned into buffer switches
        uint64_t midi = 0;    // ms x MIDI byte rate not yet turned into bytes
        uint64_t hotplug = 0;  // ms since the last hot-plug toggle
    };

    static size_t CodeSlot(uint32_t code);
    uint32_t HandleLocked(uint32_t code, const uint8_t* in, uint32_t inSize, uint8_t* out, uint32_t outSize,
                          uint32_t& bytesReturned, bool& answered);
    // Writes the answer of a known code into dst (room for the whole record); returns 0 or an error.
    uint32_t Answer(uint32_t code, uint32_t id, uint8_t* dst);

    void BuildDevices();
    void BuildStreams();
    void BuildBundles(uint32_t channelsPerBundle);
    void InitIsoIn(uint32_t s);
    void InitIsoOut(uint32_t s);
    void ApplySampleRate();
    void Relink();
    void AddErrors(uint32_t ms);
    uint64_t NextRandom();

    uint32_t StreamDevice(uint32_t s) const;
    uint32_t BundleDevice(uint32_t b) const;
    bool DeviceVisible(uint32_t device) const;
    bool BundleVisible(Dir d, uint32_t b) const;
    bool StreamVisible(Dir d, uint32_t s) const;
    int FindDevice(uint32_t id) const;
    bool DecodeBundleId(uint32_t id, Dir& d, uint32_t& b) const;
    bool DecodeChannelId(uint32_t id, Dir& d, uint32_t& b, uint32_t& c) const;
    bool ValidChannel(Dir d, uint32_t b, uint32_t c) const;
    ChannelBundleInfo& Bundle(Dir d, uint32_t b) { return bundles_[d == Dir::In ? 0 : 1][b]; }
    const ChannelBundleInfo& Bundle(Dir d, uint32_t b) const { return bundles_[d == Dir::In ? 0 : 1][b]; }
    ChannelInfo& Channel(Dir d, uint32_t b, uint32_t c) { return channels_[d == Dir::In ? 0 : 1][b][c]; }
    uint8_t* IsoEntry(Dir d, uint32_t s) { return iso_.Data() + IsoStreamStatistics::EntryOffset(d, s); }
    uint32_t SytInterval() const;

    mutable std::mutex mutex_;

    uint32_t sampleRate_;
    uint32_t deviceCount_;
    uint32_t streamCount_[2];
    uint32_t bundleCount_[2];
    double errorRate_;
    uint32_t hotplugMs_;
    bool unplugged_ = false;
    bool loaded_ = true;
    uint32_t loadGeneration_ = 0;
    uint64_t elapsedMs_ = 0;
    uint64_t random_;
    Accumulators acc_;
    uint32_t traceMask_ = InitialTraceMask;
    uint32_t defaultTraceMask_ = InitialTraceMask;
    FaultPlan faults_;
    uint64_t failCounter_ = 0;

    DriverVersion version_;
    SampleRateInfo rateInfo_;
    AsioStatistics asio_;
    AsioInfo asioInfo_;
    std::array<DeviceInfo, MaxDevices> devices_;
    IsoStreamStatistics iso_;  // entries at their stream index; the counts are written per answer
    std::array<std::array<ChannelBundleInfo, MaxBundles>, 2> bundles_;
    std::array<std::array<std::array<ChannelInfo, MaxChannels>, MaxBundles>, 2> channels_;
    std::array<uint8_t, MaxRecordSize> scratch_{};  // short answers are built here

    std::array<uint64_t, CodeSlots> requestCount_{};
    std::array<uint32_t, CodeSlots> lastInput_{};
    uint64_t totalRequests_ = 0;
};

}  // namespace sim
